# `cmake --install` lays out a package that hosts find with
# find_package(QuenInstaller) and link as Quen::Installer.
include(CMakePackageConfigHelpers)

# Every build but Debug installs stripped binaries, as `cmake --install
# --strip` would: the debug information stays in the build tree's files.
# `cmake -DCMAKE_INSTALL_DO_STRIP=0 -P <build>/cmake_install.cmake` keeps it.
install(CODE [[
if(NOT DEFINED CMAKE_INSTALL_DO_STRIP AND NOT CMAKE_INSTALL_CONFIG_NAME STREQUAL "Debug")
  set(CMAKE_INSTALL_DO_STRIP 1)
endif()
]])

# An installed program finds the library relative to itself ($ORIGIN: its
# own folder), so the install runs from whatever prefix it was put in.
file(RELATIVE_PATH _quen_bin_to_lib /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CMAKE_INSTALL_LIBDIR})
set(QUEN_INSTALL_RPATH "$ORIGIN/${_quen_bin_to_lib}")

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

# The same for C and C++ hosts built without CMake: pkg-config quen-installer.
# Its paths are relative to the file, so the installed tree can move.
file(RELATIVE_PATH QUEN_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" QUEN_PC_TO_PREFIX "${QUEN_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/quen-installer.pc.in ${PROJECT_BINARY_DIR}/quen-installer.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quen-installer.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Hosts of other Windows toolchains (MSVC, clang-cl, other languages) use the
# C interface through the shipped .def and an import library made from it.
# The .def of the build names the DLL as built.
if(WIN32)
  find_program(QUEN_DLLTOOL NAMES llvm-dlltool x86_64-w64-mingw32-dlltool REQUIRED)
  set(_def_source ${PROJECT_SOURCE_DIR}/capi/quen_installer.def)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_def_source})
  file(READ ${_def_source} _def)
  string(REGEX REPLACE "\nLIBRARY [^\n]*" "\nLIBRARY $<TARGET_FILE_NAME:quen_installer>" _def "${_def}")
  set(QUEN_DEF ${PROJECT_BINARY_DIR}/quen_installer.def)
  set(QUEN_IMPORT_LIBRARY ${PROJECT_BINARY_DIR}/msvc/quen_installer.lib)
  file(GENERATE OUTPUT ${QUEN_DEF} CONTENT "${_def}")
  add_custom_command(OUTPUT ${QUEN_IMPORT_LIBRARY}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/msvc
    COMMAND ${QUEN_DLLTOOL} -m i386:x86-64 -d ${QUEN_DEF} -l ${QUEN_IMPORT_LIBRARY}
    DEPENDS ${QUEN_DEF}
    VERBATIM)
  add_custom_target(quen_installer_import_library ALL DEPENDS ${QUEN_IMPORT_LIBRARY})
  install(FILES ${QUEN_DEF} ${QUEN_IMPORT_LIBRARY} DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
