# Checks the installed DLL as a Windows user receives it: named
# quen_installer.dll, a version resource that gives the project's version,
# no debug information, and an export table that holds members of each
# exported class and the exported functions (names as the Itanium C++ ABI
# mangles them: length, then the name).
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()
if(NOT table MATCHES "\nName[ \t]+[0-9a-f]+ quen_installer\\.dll\n")
  message(FATAL_ERROR "${DLL} does not call itself quen_installer.dll")
endif()
# A resource of type 16 (RT_VERSION), whose strings give the version.
if(NOT table MATCHES "Type Table:[^\n]*\n[0-9a-f]+ +Entry: ID: 0x000010,")
  message(FATAL_ERROR "${DLL} has no version resource")
endif()
file(STRINGS ${DLL} texts ENCODING UTF-16LE REGEX "^(FileVersion|ProductVersion|[0-9]+\\.[0-9]+\\.[0-9]+)$")
foreach(field FileVersion ProductVersion)
  list(FIND texts ${field} at)
  if(at LESS 0)
    message(FATAL_ERROR "${DLL}: the version resource has no ${field}")
  endif()
  math(EXPR at "${at} + 1")
  list(GET texts ${at} value)
  if(NOT value STREQUAL VERSION)
    message(FATAL_ERROR "${DLL}: ${field} ${value}, the project's version ${VERSION}")
  endif()
endforeach()
execute_process(COMMAND ${OBJDUMP} -h ${DLL} OUTPUT_VARIABLE sections)
if(sections MATCHES "\\.debug_")
  message(FATAL_ERROR "${DLL} is not stripped")
endif()

string(FIND "${table}" "[Ordinal/Name Pointer] Table" start)
if(start LESS 0)
  message(FATAL_ERROR "${DLL} has no export table")
endif()
string(SUBSTRING "${table}" ${start} -1 exports)

set(names
  CInstaller CWIMFile CModuleInstaller IModuleToCopy CWinMutex COSDependentFactory IOSDependentPlugin IMediaBurner
  CCopyAppsAndDrivers
  EBaseException ELibraryException EFileException CFileException ILoggable
  CFileSystemObject CFilename CDirectory CRegistry COsServices CExecuteCmd CMulticastEvent
  CBackgroundOperation CBgThreadData
  CInstallDB CDataTable CDataTableList CQuenHDRecoveryIni EDataException IdfFields IniFields
  CLoggingFactory ILogger ILogSink LogRecord LogLine CLogEntry CFileLogSink CMemoryLogSink CStderrLogSink
  CCallbackLogSink
  VerifyVersion)
set(missing "")
foreach(name IN LISTS names)
  string(LENGTH ${name} length)
  string(FIND "${exports}" "${length}${name}" at)
  if(at LESS 0)
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not exported by ${DLL}: ${missing}")
endif()
list(LENGTH names count)
message(STATUS "${count} names exported")
