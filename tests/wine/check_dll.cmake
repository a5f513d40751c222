# Checks the built DLL as a host would first meet it: a PE file of the
# expected kind (MAGIC: PE32 or PE32+), the three undecorated exports, and
# imports of system DLLs that Windows ships, nothing else. Needs no Wine, so
# it also runs for a build this machine cannot execute.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

string(REPLACE "+" "\\+" magic_pattern "${MAGIC}")
if(NOT dump MATCHES "Magic[ \t]+[0-9a-f]+[ \t]+\\(${magic_pattern}\\)")
    message(FATAL_ERROR "${DLL} is not a ${MAGIC} file")
endif()
message(STATUS "${MAGIC}")

# The export names stand one a line under this heading, up to a blank line.
set(heading "[Ordinal/Name Pointer] Table\n")
string(FIND "${dump}" "${heading}" start)
string(LENGTH "${heading}" skip)
math(EXPR start "${start} + ${skip}")
string(SUBSTRING "${dump}" ${start} -1 table)
string(FIND "${table}" "\n\n" end)
string(SUBSTRING "${table}" 0 ${end} table)
# Rows read "\t[   0] Name"; brackets would upset CMake's lists, so they go first.
string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] " "" table "${table}")
string(REPLACE "\n" ";" exported "${table}")
list(SORT exported)
if(NOT exported STREQUAL "GetModuleInfo;Initialize;ReceiveMessage")
    message(FATAL_ERROR "${DLL} exports '${exported}', not GetModuleInfo, Initialize and ReceiveMessage")
endif()
message(STATUS "exports ${exported}")

string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
if(NOT lines)
    message(FATAL_ERROR "no imports found in ${DLL}")
endif()
set(system_dlls advapi32.dll comctl32.dll crypt32.dll gdi32.dll kernel32.dll msvcrt.dll
                 ole32.dll secur32.dll shell32.dll user32.dll winmm.dll ws2_32.dll)
set(bad "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "DLL Name: *" "" name "${line}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" lower)
    list(FIND system_dlls "${lower}" found)
    if(found EQUAL -1)
        list(APPEND bad "${name}")
    else()
        message(STATUS "imports ${name}")
    endif()
endforeach()
if(bad)
    message(FATAL_ERROR "the DLL imports DLLs that Windows does not ship: ${bad}")
endif()
