# rotafond_add_test(<name> SOURCES <files...> LIBS <targets...> [E2E])
# One Qt Test executable per class or feature. Unit tests run offscreen; E2E tests
# use the display that test.sh provides.
function(rotafond_add_test name)
    cmake_parse_arguments(ARG "E2E" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(ARG_E2E)
        set_tests_properties(${name} PROPERTIES LABELS e2e RUN_SERIAL TRUE TIMEOUT 120)
    else()
        set_tests_properties(${name} PROPERTIES LABELS unit
                             ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
endfunction()
