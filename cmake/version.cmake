# The one place that holds the version: Pelorin's own, and the application release it ships with.
# CMakeLists.txt includes it; a script asks `cmake -P cmake/version.cmake` for the version as it is
# shown, major.minor with two digits for the minor: 1.00.
set(PELORIN_VERSION 1.0.0.0)
set(PELORIN_APPLICATION_RELEASE 3.1.0)
string(REGEX MATCH "^([0-9]+)\\.([0-9]+)" PELORIN_VERSION_TEXT "${PELORIN_VERSION}")
if(CMAKE_MATCH_2 LESS 10)
    set(PELORIN_VERSION_TEXT "${CMAKE_MATCH_1}.0${CMAKE_MATCH_2}")
endif()
if(CMAKE_SCRIPT_MODE_FILE)
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${PELORIN_VERSION_TEXT}")
endif()
