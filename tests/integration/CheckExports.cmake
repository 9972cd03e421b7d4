# Checks that the DLL's export table holds members of each exported class and
# the exported functions (names as the Itanium C++ ABI mangles them: length,
# then the name).
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
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
