# Checks that the DLL's export table holds members of each exported class
# (names as the Itanium C++ ABI mangles them: length, then the name).
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()
string(FIND "${table}" "[Ordinal/Name Pointer] Table" start)
if(start LESS 0)
  message(FATAL_ERROR "${DLL} has no export table")
endif()
string(SUBSTRING "${table}" ${start} -1 exports)

set(classes
  CInstaller CModuleInstaller IModuleToCopy CWinMutex COSDependentFactory IOSDependentPlugin IMediaBurner
  EBaseException ELibraryException EFileException CFileException ILoggable
  CFileSystemObject CFilename CDirectory CRegistry COsServices CExecuteCmd CMulticastEvent
  CBackgroundOperation CBgThreadData
  CInstallDB CDataTable CDataTableList CQuenHDRecoveryIni EDataException IdfFields IniFields
  CLoggingFactory ILogger ILogSink LogRecord LogLine CLogEntry CFileLogSink CMemoryLogSink CStderrLogSink
  CCallbackLogSink)
set(missing "")
foreach(class IN LISTS classes)
  string(LENGTH ${class} length)
  string(FIND "${exports}" "${length}${class}" at)
  if(at LESS 0)
    list(APPEND missing ${class})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not exported by ${DLL}: ${missing}")
endif()
list(LENGTH classes count)
message(STATUS "${count} classes exported")
