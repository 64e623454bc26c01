# Builds the release Pelorin.exe twice from the same source, in two build folders of different
# names and at different times, and fails unless the two exes are the same bytes.
#   cmake -DSOURCE=<source dir> -DWORK=<scratch dir> -DARCH=<x64 or x86> -P check-reproducible.cmake
file(REMOVE_RECURSE ${WORK})
foreach(build first second-build-folder)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/${build} -G Ninja
                -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/cmake/mingw-w64.cmake -DPELORIN_WINDOWS_ARCH=${ARCH}
                -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF
        OUTPUT_QUIET RESULT_VARIABLE status)
    if(status EQUAL 0)
        execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/${build} --target Pelorin
                        OUTPUT_QUIET RESULT_VARIABLE status)
    endif()
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "the ${build} build failed")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1)
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/first/Pelorin.exe
                        ${WORK}/second-build-folder/Pelorin.exe RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "two builds of the same source gave different Pelorin.exe files")
endif()
file(SHA256 ${WORK}/first/Pelorin.exe hash)
message(STATUS "both builds gave Pelorin.exe with SHA-256 ${hash}")
file(REMOVE_RECURSE ${WORK})
