# rotafond_add_test(<name> SOURCES <files...> LIBS <targets...> [E2E] [RUNNER <command...>])
# One Qt Test executable per class or feature. Unit tests run offscreen; E2E tests
# use the display that test.sh provides, or the one their runner starts (exit
# code 77 from the runner means skipped).
function(rotafond_add_test name)
    cmake_parse_arguments(ARG "E2E" "" "SOURCES;LIBS;RUNNER" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${ARG_RUNNER} $<TARGET_FILE:${name}>)
    # A test that cannot run here says so in its initTestCase: CTest counts it
    # as skipped, not passed.
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77
                         SKIP_REGULAR_EXPRESSION "SKIP   : [A-Za-z0-9_]+::initTestCase\\(\\)")
    if(ARG_E2E)
        set_tests_properties(${name} PROPERTIES LABELS e2e RUN_SERIAL TRUE TIMEOUT 120)
    else()
        set_tests_properties(${name} PROPERTIES LABELS unit
                             ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
endfunction()
