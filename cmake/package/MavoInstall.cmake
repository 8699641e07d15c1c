# What `cmake --install` puts in place: the mavo tool, the codec library and
# its header as <mavo/codec.h>, the CMake package `mavo` (targets mavo::codec
# and mavo::mavo, the function mavo_add_assets) and the pkg-config module
# `mavo-codec`.
include(CMakePackageConfigHelpers)

set(MAVO_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/mavo"
    CACHE STRING "Where the CMake package goes, under the install prefix")

# The codec's library, and apart from it the programs (they run on the build
# machine, also when a cross build takes this package for them). The
# codec's sources go along too: a cross build cannot link this machine's
# library, so the package builds the codec from them there.
install(TARGETS mavo_codec EXPORT mavoTargets
    ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}")
if(TARGET mavo_codec_link)
    install(TARGETS mavo_codec_link EXPORT mavoTargets)
endif()
set(installed_tools "")
foreach(tool mavo mavo_embed)
    if(TARGET ${tool})
        list(APPEND installed_tools ${tool})
    endif()
endforeach()
if(installed_tools)
    install(TARGETS ${installed_tools} EXPORT mavoToolTargets
        RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
    install(EXPORT mavoToolTargets NAMESPACE mavo:: DESTINATION "${MAVO_INSTALL_CMAKEDIR}")
endif()
install(FILES "${PROJECT_SOURCE_DIR}/codec/codec.h" "${PROJECT_SOURCE_DIR}/reader/assets.h"
    DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/mavo")
install(EXPORT mavoTargets NAMESPACE mavo:: DESTINATION "${MAVO_INSTALL_CMAKEDIR}")
# The reader goes with them, as it goes into the library.
file(GLOB codec_sources "${PROJECT_SOURCE_DIR}/codec/*.cpp" "${PROJECT_SOURCE_DIR}/reader/*.cpp")
install(FILES ${codec_sources} "${PROJECT_SOURCE_DIR}/codec/codec.h"
    "${PROJECT_SOURCE_DIR}/codec/internal.h" "${PROJECT_SOURCE_DIR}/reader/assets.h"
    DESTINATION "${MAVO_INSTALL_CMAKEDIR}/codec")

configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/mavoConfig.cmake.in"
    "${PROJECT_BINARY_DIR}/mavoConfig.cmake"
    INSTALL_DESTINATION "${MAVO_INSTALL_CMAKEDIR}")
# Any architecture may take the package: a cross build uses its programs and
# builds the codec from its sources (mavoConfig.cmake).
write_basic_package_version_file("${PROJECT_BINARY_DIR}/mavoConfigVersion.cmake"
    COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES
    "${PROJECT_BINARY_DIR}/mavoConfig.cmake"
    "${PROJECT_BINARY_DIR}/mavoConfigVersion.cmake"
    "${CMAKE_CURRENT_LIST_DIR}/MavoCodecLink.cmake"
    "${PROJECT_SOURCE_DIR}/assets/MavoAssets.cmake"
    "${PROJECT_SOURCE_DIR}/assets/MavoAssetFiles.cmake"
    "${PROJECT_SOURCE_DIR}/assets/MavoAssetNames.cmake"
    "${PROJECT_SOURCE_DIR}/assets/MavoAssetProgram.cmake"
    "${PROJECT_SOURCE_DIR}/assets/reserved_names.txt"
    DESTINATION "${MAVO_INSTALL_CMAKEDIR}")

# pkg-config, for builds without CMake. The prefix is found from the
# module's own place, so that `cmake --install --prefix` anywhere works.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
    set(pc_prefix "${CMAKE_INSTALL_PREFIX}")
else()
    file(RELATIVE_PATH pc_up "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
    set(pc_prefix "\${pcfiledir}/${pc_up}")
endif()
configure_file("${CMAKE_CURRENT_LIST_DIR}/mavo-codec.pc.in"
    "${PROJECT_BINARY_DIR}/mavo-codec.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/mavo-codec.pc"
    DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
