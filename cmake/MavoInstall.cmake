# What `cmake --install` puts in place: the mavo tool, the codec library and
# its header as <mavo/codec.h>, the CMake package `mavo` (targets mavo::codec
# and mavo::mavo, the function mavo_add_assets) and the pkg-config module
# `mavo-codec`.
include(CMakePackageConfigHelpers)

set(MAVO_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/mavo"
    CACHE STRING "Where the CMake package goes, under the install prefix")

set(installed_targets mavo_codec)
foreach(tool mavo mavo_asset_step)
    if(TARGET ${tool})
        list(APPEND installed_targets ${tool})
    endif()
endforeach()
install(TARGETS ${installed_targets} EXPORT mavoTargets
    RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
    ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/codec/codec.h"
    DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/mavo")
install(EXPORT mavoTargets NAMESPACE mavo:: DESTINATION "${MAVO_INSTALL_CMAKEDIR}")

configure_package_config_file("${CMAKE_CURRENT_LIST_DIR}/mavoConfig.cmake.in"
    "${PROJECT_BINARY_DIR}/mavoConfig.cmake"
    INSTALL_DESTINATION "${MAVO_INSTALL_CMAKEDIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/mavoConfigVersion.cmake"
    COMPATIBILITY SameMajorVersion)
install(FILES
    "${PROJECT_BINARY_DIR}/mavoConfig.cmake"
    "${PROJECT_BINARY_DIR}/mavoConfigVersion.cmake"
    "${PROJECT_SOURCE_DIR}/assets/MavoAssets.cmake"
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
