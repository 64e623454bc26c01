# Writes a module-definition file listing every function that an import library exports, so that
# dlltool can make a delay-load library for the same DLL.
# DECORATED: the library is a 32-bit one, whose C names carry a leading underscore.
#   cmake -DNM=<nm> -DIMPORT_LIBRARY=<libfoo.a> -DDLL=<foo.dll> -DDEF=<out.def> [-DDECORATED=ON]
#         -P make-delay-def.cmake
execute_process(COMMAND ${NM} -g --defined-only ${IMPORT_LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} could not read ${IMPORT_LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-fA-F]+ T [A-Za-z_][A-Za-z0-9_@]*" functions "${symbols}")
set(text "LIBRARY ${DLL}\nEXPORTS\n")
foreach(line IN LISTS functions)
    string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${line}")
    if(DECORATED)
        string(REGEX REPLACE "^_" "" name "${name}")
    endif()
    string(APPEND text "${name}\n")
endforeach()
file(WRITE ${DEF} "${text}")
