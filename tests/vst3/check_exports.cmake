# Reads the plug-in DLL's tables with objdump: it must export exactly the three module entry points
# and import nothing but DLLs that come with the system, so it loads with nothing beside it.
# Arguments: OBJDUMP, DLL, SYSTEM_DLL_DIR (the system DLLs that Wine provides).
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "objdump -p ${DLL} failed: ${result}")
endif()

set(failures "")

# The export names follow the "[Ordinal/Name Pointer] Table" heading, one "[ n] name" per line.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]*\\[[ 0-9]+\\] [^\n]+\n)+" export_block "${dump}")
string(REGEX MATCHALL "\\[[ 0-9]+\\] [A-Za-z_0-9@]+" export_lines "${export_block}")
set(exports "")
foreach(line IN LISTS export_lines)
  string(REGEX REPLACE "^\\[[ 0-9]+\\] " "" name "${line}")
  list(APPEND exports ${name})
endforeach()
list(SORT exports)
if(NOT exports STREQUAL "ExitDll;GetPluginFactory;InitDll")
  string(APPEND failures "exports are [${exports}], expected exactly [ExitDll;GetPluginFactory;InitDll]\n")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${dump}")
if(NOT import_lines)
  string(APPEND failures "no import table found\n")
endif()
foreach(line IN LISTS import_lines)
  string(REGEX REPLACE "DLL Name: " "" name "${line}")
  string(STRIP "${name}" name)
  string(TOLOWER "${name}" lower)
  # The compiler's own runtimes must be linked in, never loaded.
  if(lower MATCHES "^lib(stdc\\+\\+|gcc|winpthread)" OR NOT EXISTS ${SYSTEM_DLL_DIR}/${lower})
    string(APPEND failures "imports ${name}, which is not a system DLL\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${DLL}:\n${failures}")
endif()
message(STATUS "exports: ${exports}; imports: ${import_lines}")
