# Copies the tests' wimgapi.dll (DLL) into the system folder of the Wine
# prefix the tests run in: $WINEPREFIX, else DEFAULT_PREFIX, the one
# scripts/wine-run uses. Wine loads a real DLL found there instead of its
# own stub, with no override.
if(DEFINED ENV{WINEPREFIX} AND NOT "$ENV{WINEPREFIX}" STREQUAL "")
  set(prefix "$ENV{WINEPREFIX}")
else()
  set(prefix "${DEFAULT_PREFIX}")
endif()
set(system "${prefix}/drive_c/windows/system32")
if(NOT IS_DIRECTORY "${system}")
  message(FATAL_ERROR "No Wine prefix at ${prefix} (scripts/test prepares it with wineboot -i)")
endif()
file(COPY_FILE "${DLL}" "${system}/wimgapi.dll" ONLY_IF_DIFFERENT)
