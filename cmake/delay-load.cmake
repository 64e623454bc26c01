# The window and drawing DLLs are loaded only when the usage window or a failure report is shown:
# the launch path, which shows nothing, does without them.
set(PELORIN_DELAY_LOADED_DLLS user32 gdi32)

add_library(pelorin_gui_libraries INTERFACE)
if(MSVC)
    target_link_libraries(pelorin_gui_libraries INTERFACE user32 gdi32 delayimp)
    target_link_options(pelorin_gui_libraries INTERFACE /DELAYLOAD:user32.dll /DELAYLOAD:gdi32.dll)
elseif(MINGW)
    if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM)
        message(FATAL_ERROR "the toolchain names no dlltool or nm (CMAKE_DLLTOOL, CMAKE_NM)")
    endif()
    # 32-bit import libraries name stdcall functions _Name@12: the .def file takes them without
    # the underscore, and --kill-at gives the DLL's own name, Name, to look up.
    set(decorated OFF)
    set(killAt)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(decorated ON)
        set(killAt --kill-at)
    endif()
    foreach(dll IN LISTS PELORIN_DELAY_LOADED_DLLS)
        find_library(PELORIN_${dll}_IMPORT NAMES lib${dll}.a REQUIRED)
        set(def ${CMAKE_BINARY_DIR}/delay-load/${dll}.def)
        set(library ${CMAKE_BINARY_DIR}/delay-load/lib${dll}-delay.a)
        add_custom_command(
            OUTPUT ${library}
            COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIBRARY=${PELORIN_${dll}_IMPORT}
                    -DDLL=${dll}.dll -DDEF=${def} -DDECORATED=${decorated}
                    -P ${CMAKE_CURRENT_LIST_DIR}/make-delay-def.cmake
            COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll}.dll ${killAt}
                    --output-delaylib ${library}
            DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make-delay-def.cmake
            COMMENT "Making the delay-load library for ${dll}.dll")
        add_custom_target(pelorin_${dll}_delay DEPENDS ${library})
        add_dependencies(pelorin_gui_libraries pelorin_${dll}_delay)
        target_link_libraries(pelorin_gui_libraries INTERFACE ${library})
    endforeach()
    target_link_libraries(pelorin_gui_libraries INTERFACE delayimp)
    # The code that uses these DLLs calls their functions by name, not through their slots: the
    # 32-bit linker keeps a delay-load stub only when something calls it by name, and until the
    # DLL is loaded each slot leads to its stub. Without the stub the first call jumps to 0.
    set(PELORIN_DELAY_LOADED_CALLS_BY_NAME)
    foreach(dll IN LISTS PELORIN_DELAY_LOADED_DLLS)
        string(TOUPPER "_${dll}_" definition) # the headers then declare them without dllimport
        list(APPEND PELORIN_DELAY_LOADED_CALLS_BY_NAME ${definition})
    endforeach()
endif()
