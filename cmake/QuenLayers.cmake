# The library's layers. Each is an object library whose include path holds
# one folder made here, in the build tree, with links to its own source folder,
# the folders of the layers below it and the public headers those layers own:
# an upward #include finds no file and fails to compile. docs/layers.md draws
# the layers.

# The owner of each public header of include/quen/. CInstaller and
# CModuleInstaller name each other in their declarations, so both belong to the
# lower of the two, module; the installer folder itself stays out of module's sight.
set(QUEN_HEADERS_foundation Export.h Exceptions.h)
set(QUEN_HEADERS_platform Machine.h WinMutex.h)
set(QUEN_HEADERS_support Logging.h OsServices.h InstallDB.h Plugins.h MulticastEventT2.h)
set(QUEN_HEADERS_wim WIMFile.h)
set(QUEN_HEADERS_version VerifyVersion.h)
set(QUEN_HEADERS_module ModuleToCopy.h ModuleHost.h ModuleInstaller.h Installer.h InstallPlan.h)
set(QUEN_HEADERS_installer CopyAppsAndDrivers.h)
set(QUEN_HEADERS_capi quen.h)

set(QUEN_LAYERS foundation platform support wim version module installer capi)

# A header nobody owns would be visible to no layer: say so at configure time.
file(GLOB _quen_public RELATIVE ${PROJECT_SOURCE_DIR}/include/quen CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/include/quen/*.h)
foreach(_layer IN LISTS QUEN_LAYERS)
  list(REMOVE_ITEM _quen_public ${QUEN_HEADERS_${_layer}})
endforeach()
if(_quen_public)
  message(FATAL_ERROR "include/quen/ headers without a layer in cmake/QuenLayers.cmake: ${_quen_public}")
endif()

# The object library of a layer: quen_<layer>, but the installer's objects are
# quen_installer_objs, since quen_installer is the shared library.
function(quen_layer_target layer out)
  if(layer STREQUAL "installer")
    set(${out} quen_installer_objs PARENT_SCOPE)
  else()
    set(${out} quen_${layer} PARENT_SCOPE)
  endif()
endfunction()

# quen_add_layer(<layer> [<layer directly below>...]): the layer's object
# library, linked to the layers below, and its folder of visible sources.
function(quen_add_layer layer)
  set(_sees ${layer})
  foreach(_below IN LISTS ARGN)
    get_property(_below_sees GLOBAL PROPERTY QUEN_LAYER_SEES_${_below})
    list(APPEND _sees ${_below_sees})
  endforeach()
  list(REMOVE_DUPLICATES _sees)
  set_property(GLOBAL PROPERTY QUEN_LAYER_SEES_${layer} ${_sees})

  set(_dir ${PROJECT_BINARY_DIR}/layers/${layer})
  # Links only: removing the folder itself could follow a link into the sources.
  file(MAKE_DIRECTORY ${_dir}/quen)
  file(GLOB _old LIST_DIRECTORIES true ${_dir}/* ${_dir}/quen/*)
  foreach(_entry IN LISTS _old)
    if(IS_SYMLINK ${_entry})
      file(REMOVE ${_entry})
    endif()
  endforeach()
  foreach(_seen IN LISTS _sees)
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${_seen} ${_dir}/${_seen} SYMBOLIC)
    foreach(_header IN LISTS QUEN_HEADERS_${_seen})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/include/quen/${_header} ${_dir}/quen/${_header} SYMBOLIC)
    endforeach()
  endforeach()

  quen_layer_target(${layer} _target)
  add_library(${_target} OBJECT)
  target_include_directories(${_target} PRIVATE ${_dir})
  foreach(_below IN LISTS ARGN)
    quen_layer_target(${_below} _below_target)
    target_link_libraries(${_target} PUBLIC ${_below_target})
  endforeach()
  quen_set_warnings(${_target})
endfunction()
