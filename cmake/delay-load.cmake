# The window and drawing DLLs are loaded only when the usage window or a failure report is shown:
# the launch path, which shows nothing, does without them.
set(PELORIN_DELAY_LOADED_DLLS user32 gdi32)

add_library(pelorin_gui_libraries INTERFACE)
if(MSVC)
    target_link_libraries(pelorin_gui_libraries INTERFACE user32 gdi32 delayimp)
    target_link_options(pelorin_gui_libraries INTERFACE /DELAYLOAD:user32.dll /DELAYLOAD:gdi32.dll)
elseif(MINGW)
    find_program(PELORIN_DLLTOOL NAMES ${CMAKE_CXX_COMPILER_TARGET}-dlltool x86_64-w64-mingw32-dlltool
                 REQUIRED)
    find_program(PELORIN_NM NAMES x86_64-w64-mingw32-nm REQUIRED)
    foreach(dll IN LISTS PELORIN_DELAY_LOADED_DLLS)
        find_library(PELORIN_${dll}_IMPORT NAMES lib${dll}.a REQUIRED)
        set(def ${CMAKE_BINARY_DIR}/delay-load/${dll}.def)
        set(library ${CMAKE_BINARY_DIR}/delay-load/lib${dll}-delay.a)
        add_custom_command(
            OUTPUT ${library}
            COMMAND ${CMAKE_COMMAND} -DNM=${PELORIN_NM} -DIMPORT_LIBRARY=${PELORIN_${dll}_IMPORT}
                    -DDLL=${dll}.dll -DDEF=${def} -P ${CMAKE_CURRENT_LIST_DIR}/make-delay-def.cmake
            COMMAND ${PELORIN_DLLTOOL} --input-def ${def} --dllname ${dll}.dll
                    --output-delaylib ${library}
            DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make-delay-def.cmake
            COMMENT "Making the delay-load library for ${dll}.dll")
        add_custom_target(pelorin_${dll}_delay DEPENDS ${library})
        add_dependencies(pelorin_gui_libraries pelorin_${dll}_delay)
        target_link_libraries(pelorin_gui_libraries INTERFACE ${library})
    endforeach()
    target_link_libraries(pelorin_gui_libraries INTERFACE delayimp)
endif()
