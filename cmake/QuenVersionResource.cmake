# Windows: a version resource (file and product version from the project's
# version, product name, the file's description) compiled into `target`, so
# Explorer's file properties and installers see what the file is.
function(quen_add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(_type ${target} TYPE)
  if(_type STREQUAL "SHARED_LIBRARY")
    set(QUEN_RC_FILE_TYPE VFT_DLL)
    set(QUEN_RC_FILE_NAME ${target}.dll)
  else()
    set(QUEN_RC_FILE_TYPE VFT_APP)
    set(QUEN_RC_FILE_NAME ${target}.exe)
  endif()
  set(QUEN_RC_DESCRIPTION "${description}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/QuenVersionInfo.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()
