# The pure logic built natively with clang: sanitizer tests and the fuzzer.

if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The native build wants clang (CXX=clang++) for its sanitizers and libFuzzer")
endif()

add_compile_options(-Wall -Wextra -g -O1 -fno-omit-frame-pointer
                    -fsanitize=address,undefined -fno-sanitize-recover=all)
add_link_options(-fsanitize=address,undefined)

add_library(talvo_core STATIC ${TALVO_CORE_SOURCES})
target_include_directories(talvo_core PUBLIC ${PROJECT_SOURCE_DIR})
# Coverage for the fuzzer; the tests link it as any other code.
target_compile_options(talvo_core PRIVATE -fsanitize=fuzzer-no-link)

# The handlers of received lines against a recorded window: the native
# tests judge them, the line fuzzer runs them.
add_library(recorded_handlers STATIC ${TALVO_LINE_HANDLERS} fuzz/recording_window.cpp)
target_include_directories(recorded_handlers PUBLIC ${PROJECT_SOURCE_DIR}/fuzz)
target_compile_options(recorded_handlers PRIVATE -fsanitize=fuzzer-no-link)
target_link_libraries(recorded_handlers PUBLIC talvo_core)

add_subdirectory(tests/native)
add_subdirectory(fuzz)
