# `cmake --install` lays out a package that hosts find with
# find_package(QuenInstaller) and link as Quen::Installer.
include(CMakePackageConfigHelpers)

# Every build but Debug installs stripped binaries, as `cmake --install
# --strip` would: the debug information stays in the build tree's files.
# `-DCMAKE_INSTALL_DO_STRIP=0` at install keeps it.
install(CODE [[
if(NOT DEFINED CMAKE_INSTALL_DO_STRIP AND NOT CMAKE_INSTALL_CONFIG_NAME STREQUAL "Debug")
  set(CMAKE_INSTALL_DO_STRIP 1)
endif()
]])

install(TARGETS quen_installer EXPORT QuenInstallerTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/quen DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(_quen_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/QuenInstaller)
install(EXPORT QuenInstallerTargets NAMESPACE Quen:: DESTINATION ${_quen_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuenInstallerConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QuenInstallerConfig.cmake INSTALL_DESTINATION ${_quen_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuenInstallerConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuenInstallerConfig.cmake
  ${PROJECT_BINARY_DIR}/QuenInstallerConfigVersion.cmake DESTINATION ${_quen_cmake_dir})
