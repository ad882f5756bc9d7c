# Checks a built module (cmake -DOBJDUMP=... -DMODULE=... -DBITS=4|8 [-DEXPORTS=a,b,...]
# -P CheckModule.cmake): its export table holds exactly the names hosts find it by (EXPORTS,
# sorted; by default those of TQCSTM.dll), and it imports from the system's DLLs only (the C and
# C++ runtimes and every library are linked in). Fails the build on any difference.
if(BITS EQUAL 8)
    set(_ptr E)
endif()
set(_expected
    "?VXCSTM_BaseInfoToControl@@YAHP${_ptr}BD@Z"
    "?VXCSTM_GetErrorString@@YAIHP${_ptr}ADI@Z"
    "?VXCSTM_GetStatus@@YAHP${_ptr}BD@Z"
    "?VXCSTM_SetAddTargets@@YAXP${_ptr}BD@Z"
    DllCanUnloadNow
    DllGetClassObject
    DllRegisterServer)
if(DEFINED EXPORTS)
    string(REPLACE "," ";" _expected "${EXPORTS}")
endif()
# What every Windows system has: the kernel, the registry and security, automation, the
# network provider, windows and message boxes, the system's C runtime, and what the native
# dialogs draw with (the common controls, drawing, the shell's icons and drops, input methods).
set(_system advapi32.dll comctl32.dll gdi32.dll imm32.dll kernel32.dll mpr.dll msvcrt.dll
    ole32.dll oleaut32.dll shell32.dll user32.dll)

# objdump's headings are read below, so they must not come translated to the builder's language.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C LANGUAGE= ${OBJDUMP} -p ${MODULE}
                OUTPUT_VARIABLE _dump RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()
string(REPLACE ";" "\\;" _dump "${_dump}")
string(REPLACE "\n" ";" _lines "${_dump}")
set(_exports)
set(_imports)
set(_in_names FALSE)
foreach(_line IN LISTS _lines)
    if(_line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
        set(_in_names TRUE)
    elseif(_in_names AND _line MATCHES "^\t\\[ *[0-9]+\\] (.+)$")
        list(APPEND _exports "${CMAKE_MATCH_1}")
    elseif(_in_names)
        set(_in_names FALSE)
    endif()
    if(_line MATCHES "^\tDLL Name: (.+)$")
        string(TOLOWER "${CMAKE_MATCH_1}" _dll)
        list(APPEND _imports "${_dll}")
    endif()
endforeach()
list(SORT _exports)
if(NOT _exports STREQUAL _expected)
    string(REPLACE ";" "\n  " _got "${_exports}")
    string(REPLACE ";" "\n  " _want "${_expected}")
    message(FATAL_ERROR "${MODULE} exports\n  ${_got}\ninstead of\n  ${_want}")
endif()
list(REMOVE_ITEM _imports ${_system})
if(_imports)
    message(FATAL_ERROR "${MODULE} needs DLLs that are not the system's: ${_imports}")
endif()
