# The module itself: a 32-bit Windows DLL, cross-built, tested under Wine.

add_compile_options(-Wall -Wextra)
# Sources are UTF-8; every text the user sees is Windows-1251 in the binary.
add_compile_options(-finput-charset=UTF-8 -fexec-charset=CP1251)
add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 _WIN32_IE=0x0501)

# Programs, tests and the DLL side by side, so that LoadLibrary finds the DLL.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

set(WINE_RUN "${PROJECT_SOURCE_DIR}/tools/wine-run.sh" --prefix "${CMAKE_BINARY_DIR}/wineprefix")
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN})

# Everything but the DLL entry point, so that the tests can link the very
# same code; the resources go with it (dialogs and menus load from the
# module that holds them).
add_library(talvo_objects OBJECT
    ${TALVO_CORE_SOURCES}
    client/chat_connection.cpp
    client/client_window.cpp
    client/commands.cpp
    client/ignored_nicks.cpp
    client/input_commands.cpp
    client/connection.cpp
    client/control_font.cpp
    client/conversation_scrollback.cpp
    client/drop_reasons.cpp
    client/input_keys.cpp
    client/input_paste.cpp
    client/typed_text.cpp
    client/irc_client.cpp
    client/layout.cpp
    client/login_panel.cpp
    client/message_box.cpp
    client/paint.cpp
    client/port_field.cpp
    client/print_line.cpp
    client/reconnect.cpp
    client/reconnect_login.cpp
    client/registration.cpp
    client/services_login.cpp
    client/server_list.cpp
    client/tabs.cpp
    client/user_list.cpp
    net/certificate_check.cpp
    net/host_lookup.cpp
    net/liveness.cpp
    net/registration.cpp
    net/send_line.cpp
    net/server_connection.cpp
    net/tls_connection.cpp
    net/tls_session.cpp
    net/worker_request.cpp
    output/link_click.cpp
    output/message_sound.cpp
    output/output_batch.cpp
    output/page_output.cpp
    output/rich_stream.cpp
    output/scrollback_control.cpp
    ${TALVO_LINE_HANDLERS}
    protocol/local_time.cpp
    resources/talvo.rc
)
target_include_directories(talvo_objects PUBLIC ${PROJECT_SOURCE_DIR})

set(TALVO_SYSTEM_LIBS ws2_32 secur32 crypt32 comctl32 gdi32 user32 winmm shell32 ole32 kernel32)

# The module object and its windows live only in the DLL: tests that link
# talvo_objects and load the DLL see one module, the DLL's.
add_library(TalvoIrc SHARED
    module/dialog_routing.cpp
    module/dll_main.cpp
    module/exports.cpp
    module/module.cpp
    module/tab_menu.cpp
    module/widget.cpp
    $<TARGET_OBJECTS:talvo_objects>
)
target_include_directories(TalvoIrc PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(TalvoIrc PRIVATE TALVO_IRC_EXPORTS)
set_target_properties(TalvoIrc PROPERTIES PREFIX "" OUTPUT_NAME TalvoIrc)
# libgcc, libstdc++ and winpthread go inside: the DLL imports system DLLs only.
target_link_options(TalvoIrc PRIVATE -static -static-libgcc -static-libstdc++
                    -Wl,--enable-stdcall-fixup)
target_link_libraries(TalvoIrc PRIVATE ${TALVO_SYSTEM_LIBS})

# What the host-side tools share (tools/host_kit.h).
add_library(host_kit STATIC tools/host_kit.cpp)
target_include_directories(host_kit PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(host_kit PUBLIC ws2_32 user32)

# A host-side program that loads the module by its exports, run with the DLL
# and the skin beside it.
function(talvo_host_program name source)
    add_executable(${name} ${source})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_options(${name} PRIVATE -static)
    target_link_libraries(${name} PRIVATE host_kit ws2_32 ${ARGN})
    add_dependencies(${name} TalvoIrc skin)
endfunction()

add_subdirectory(tests/wine)
include(${PROJECT_SOURCE_DIR}/cmake/EndToEnd.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/Hostile.cmake)

# The demo host knows the module only through its public header and exports.
add_executable(demo_host host/demo_host.cpp)
target_include_directories(demo_host PRIVATE ${PROJECT_SOURCE_DIR})
target_link_options(demo_host PRIVATE -static)
add_dependencies(demo_host TalvoIrc skin)

# The skin is drawn at build time into IRCSkin/ beside the programs, where
# the module finds it from the host's current directory.
set(SKIN_DIR ${CMAKE_BINARY_DIR}/bin/IRCSkin)
add_custom_command(OUTPUT ${SKIN_DIR}/INPUT.BMP
                   COMMAND ${PROJECT_SOURCE_DIR}/tools/make-skin.sh ${SKIN_DIR}
                   DEPENDS ${PROJECT_SOURCE_DIR}/tools/make-skin.sh
                   COMMENT "Drawing the skin")
add_custom_target(skin ALL DEPENDS ${SKIN_DIR}/INPUT.BMP)

# Pictures of the window's panels, saved by tools/screenshots.sh.
talvo_host_program(screenshots tools/screenshots.cpp)
# A long soak of one chat window, run by tools/soak.sh.
talvo_host_program(soak tools/soak.cpp)
# The module's side of the benchmarks in bench/.
talvo_host_program(chat_bench bench/chat_bench.cpp winmm psapi)
target_sources(chat_bench PRIVATE ${PROJECT_SOURCE_DIR}/bench/thread_sampler.cpp)
talvo_host_program(start_time bench/start_time.cpp)
talvo_host_program(line_cost bench/line_cost.cpp)
target_sources(line_cost PRIVATE ${PROJECT_SOURCE_DIR}/output/rich_stream.cpp)
