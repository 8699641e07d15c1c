# MavoCodecLink.cmake - the codec as firmware links it.
#
# The codec is C++ but needs no C++ runtime. CMake, though, links every
# program that uses a C++ library with the C++ driver, which asks for the
# C++ library: bare-metal toolchains often have none (Debian's newlib has
# no libstdc++), and a C firmware project would fail to link. In a cross
# build programs therefore take the codec through `link`, an INTERFACE
# library that names the archive of `codec` by its file: no C++ comes
# along, and the program links with its own language's driver.
function(mavo_codec_for_c_linkers codec link)
    add_library(${link} INTERFACE)
    target_link_libraries(${link} INTERFACE
        "$<BUILD_INTERFACE:$<TARGET_FILE:${codec}>>" "$<INSTALL_INTERFACE:mavo::codec>")
    get_target_property(includes ${codec} INTERFACE_INCLUDE_DIRECTORIES)
    target_include_directories(${link} INTERFACE ${includes})
    add_dependencies(${link} ${codec})
endfunction()
