# End-to-end tests: the real DLL in a host of its own, driven against real IRC
# servers (ngircd, inspircd, atheme's NickServ) and a real terminal client
# (irssi in tmux), all on loopback.

# The probe host loads the DLL through its exports, like any host, and lets
# the driver act on its chat windows and read what they show.
talvo_host_program(probe_host tests/e2e/probe_host.cpp)

# Each fixture starts its servers in a fresh folder under the build tree and
# stops them when its tests are done. Ports differ from run.sh's (16667), so
# that a running demo does not collide.
find_program(TALVO_PYTHON3 python3)
if(NOT TALVO_PYTHON3)
    # The tests still register, and fail saying why.
    set(TALVO_PYTHON3 python3)
endif()
set(E2E_DIR ${CMAKE_BINARY_DIR}/e2e)
set(E2E_FIXTURE ${PROJECT_SOURCE_DIR}/tests/e2e/fixture.sh)

# talvo_e2e_fixture(NAME IRCD ENVIRONMENT [atheme]): ENVIRONMENT names IRCD's ports.
function(talvo_e2e_fixture name ircd environment)
    add_test(NAME ${name}_start COMMAND ${E2E_FIXTURE} start ${E2E_DIR}/${name} ${ircd} ${ARGN})
    add_test(NAME ${name}_stop COMMAND ${E2E_FIXTURE} stop ${E2E_DIR}/${name})
    set_tests_properties(${name}_start PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 90)
    set_tests_properties(${name}_stop PROPERTIES FIXTURES_CLEANUP ${name} TIMEOUT 60)
    set_tests_properties(${name}_start ${name}_stop PROPERTIES ENVIRONMENT "${environment}")
endfunction()

# One scenario against one server; the tests of one fixture take turns, as
# they share the channel.
function(talvo_e2e_test scenario ircd fixture port environment)
    set(name e2e_${ircd}_${scenario})
    add_test(NAME ${name}
             COMMAND ${TALVO_PYTHON3} ${PROJECT_SOURCE_DIR}/tests/e2e/scenarios.py
                     --scenario ${scenario} --server ${ircd} --port ${port}
                     --build ${CMAKE_BINARY_DIR} --source ${PROJECT_SOURCE_DIR}
                     --workdir ${E2E_DIR}/${name} --rundir ${E2E_DIR}/${fixture}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${fixture} RESOURCE_LOCK ${fixture}
                         ENVIRONMENT "${environment}" TIMEOUT 300)
endfunction()

set(E2E_NGIRCD "NGIRCD_PORT=17667")
set(E2E_INSPIRCD "INSPIRCD_PORT=17668;INSPIRCD_LINK_PORT=17669")
# The restart scenario stops its servers: it gets servers of its own.
set(E2E_NGIRCD_SPARE "NGIRCD_PORT=17670")
set(E2E_INSPIRCD_SPARE "INSPIRCD_PORT=17671;INSPIRCD_LINK_PORT=17672")
# The paste scenario wants the flood limits servers ship with.
set(E2E_INSPIRCD_FLOOD "INSPIRCD_PORT=17673;INSPIRCD_LINK_PORT=17674;INSPIRCD_FLOOD=stock")

talvo_e2e_fixture(e2e_ngircd ngircd "${E2E_NGIRCD}" atheme)
talvo_e2e_fixture(e2e_inspircd inspircd "${E2E_INSPIRCD}" atheme)
talvo_e2e_fixture(e2e_ngircd_spare ngircd "${E2E_NGIRCD_SPARE}" atheme)
talvo_e2e_fixture(e2e_inspircd_spare inspircd "${E2E_INSPIRCD_SPARE}" atheme)
talvo_e2e_fixture(e2e_inspircd_flood inspircd "${E2E_INSPIRCD_FLOOD}")

foreach(scenario chat nickserv sasl irssi utf8)
    talvo_e2e_test(${scenario} ngircd e2e_ngircd 17667 "${E2E_NGIRCD}")
    talvo_e2e_test(${scenario} inspircd e2e_inspircd 17668 "${E2E_INSPIRCD}")
endforeach()
talvo_e2e_test(restart ngircd e2e_ngircd_spare 17670 "${E2E_NGIRCD_SPARE}")
talvo_e2e_test(restart inspircd e2e_inspircd_spare 17671 "${E2E_INSPIRCD_SPARE}")
talvo_e2e_test(paste inspircd e2e_inspircd_flood 17673 "${E2E_INSPIRCD_FLOOD}")

# Over TLS: ngircd's TLS port with a certificate from a test authority that
# only the test's own namespace trusts, NickServ and irssi, the traffic of
# each port captured (tls-e2e.sh; needs root). The namespace has a loopback
# of its own, so the servers listen on the registered TLS port.
add_test(NAME e2e_ngircd_tls
         COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/tls-e2e.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR}
                 ${E2E_DIR}/e2e_ngircd_tls)
set_tests_properties(e2e_ngircd_tls PROPERTIES TIMEOUT 300)
