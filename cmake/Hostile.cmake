# The hostile corpus: every transcript under tests/hostile/ is played into a
# logged-in chat window of the real DLL by the replay tool, one test each.

talvo_host_program(replay tools/replay.cpp)
# The judge frames and parses the transcript as the client does.
target_sources(replay PRIVATE net/line_assembler.cpp protocol/line_parser.cpp protocol/message_tags.cpp
               protocol/tokens.cpp protocol/words.cpp)

set(HOSTILE_DIR ${PROJECT_SOURCE_DIR}/tests/hostile)
file(GLOB_RECURSE HOSTILE_TRANSCRIPTS CONFIGURE_DEPENDS ${HOSTILE_DIR}/*.irc)
foreach(transcript IN LISTS HOSTILE_TRANSCRIPTS)
    # tests/hostile/framing/overlong.irc is the test hostile.framing.overlong
    file(RELATIVE_PATH name ${HOSTILE_DIR} ${transcript})
    string(REGEX REPLACE "\\.irc$" "" name ${name})
    string(REPLACE "/" "." name ${name})
    add_test(NAME hostile.${name} COMMAND replay ${transcript} 1 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(hostile.${name} PROPERTIES TIMEOUT 300)
endforeach()
