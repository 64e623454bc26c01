# The layers and the folders each may include, the arrows running one way: the launcher may reach
# every layer; registry/ and help/ never the launcher; platform/ and text/ none of the others.
# Run by the build (cmake -DROOT=... -DSTAMP=... -P layers.cmake): it fails on the first include
# that runs against them, and touches STAMP when there is none.
cmake_policy(SET CMP0057 NEW) # IN_LIST
set(layers launcher registry help platform text)
set(launcher_may launcher registry help platform text resources)
set(registry_may registry platform text)
set(help_may help platform text resources)
set(platform_may platform resources)
set(text_may text)

foreach(layer IN LISTS layers)
    file(GLOB_RECURSE files "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^/\"]+/")
        foreach(include IN LISTS includes)
            string(REGEX REPLACE "^[^\"]*\"([^/\"]+)/.*$" "\\1" folder "${include}")
            if(NOT folder IN_LIST ${layer}_may)
                file(RELATIVE_PATH name "${ROOT}" "${file}")
                string(REPLACE ";" "/, " allowed "${${layer}_may}")
                message(FATAL_ERROR "${name} includes ${folder}/, which ${layer}/ may not reach: "
                                    "it may include ${allowed}/ only.")
            endif()
        endforeach()
    endforeach()
endforeach()
file(TOUCH "${STAMP}")
