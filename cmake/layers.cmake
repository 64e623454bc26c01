# The layers and the folders each may include, the arrows running one way: the launcher may reach
# every layer; registry/ and help/ never the launcher; platform/ and text/ none of the others.
# platform/win32, the real machine, is the platform's own and the entry's (launcher/win_main.cpp):
# the logic knows the machine by platform/platform.h alone. The programs around them are checked
# too: the resources reach nothing of the code's, the bench reaches the tests' stand-in runtime,
# and the tests reach everything.
# Run by the build (cmake -DROOT=... -DSTAMP=... -P layers.cmake): it fails on the first include
# that runs against them, and touches STAMP when there is none.
cmake_policy(SET CMP0057 NEW) # IN_LIST
set(layers launcher registry help platform text resources bench tests)
set(launcher_may launcher registry help platform text resources)
set(registry_may registry platform text)
set(help_may help platform text resources)
set(platform_may platform platform/win32)
set(text_may text)
set(resources_may resources)
set(bench_may bench tests)
set(tests_may tests launcher registry help platform platform/win32 text resources)
set(entry launcher/win_main.cpp)

foreach(layer IN LISTS layers)
    file(GLOB_RECURSE files "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.cpp" "${ROOT}/${layer}/*.rc")
    foreach(file IN LISTS files)
        file(RELATIVE_PATH name "${ROOT}" "${file}")
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^/\"]+/")
        foreach(include IN LISTS includes)
            string(REGEX REPLACE "^[^\"]*\"([^/\"]+)/.*$" "\\1" folder "${include}")
            if(include MATCHES "\"platform/win32/")
                set(folder platform/win32)
            endif()
            if(NOT folder IN_LIST ${layer}_may AND NOT (name STREQUAL entry AND folder STREQUAL platform/win32))
                string(REPLACE ";" "/, " allowed "${${layer}_may}")
                message(FATAL_ERROR "${name} includes ${folder}/, which ${layer}/ may not reach: "
                                    "it may include ${allowed}/ only.")
            endif()
        endforeach()
    endforeach()
endforeach()
file(TOUCH "${STAMP}")
