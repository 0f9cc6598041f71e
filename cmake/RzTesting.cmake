# rz_add_test_binary(<name> SOURCES <files...> LIBS <targets...> [GUI]
#                    [WHOLE PROPERTIES <ctest properties...>])
#
# The one way a test binary is added: links GoogleTest/GoogleMock and the sandbox main
# (every test runs with its own temporary HOME and XDG folders), then registers each test
# with CTest through gtest_discover_tests. GUI binaries get a QApplication on the offscreen
# platform. WHOLE registers the binary as one CTest test named <name> instead, with the given
# properties (say FIXTURES_REQUIRED). The environment holds one variable: gtest_discover_tests
# spreads a list over its arguments, which would drop the properties after it; the test mains
# set the locale themselves.
include(GoogleTest)
find_package(GTest REQUIRED)

function(rz_add_test_binary name)
    cmake_parse_arguments(ARG "GUI;WHOLE" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} rz_testsupport_gui)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} rz_testsupport)
    endif()
    set(env "QT_QPA_PLATFORM=offscreen")
    if(ARG_WHOLE)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" ${ARG_PROPERTIES})
        return()
    endif()
    # Parameterised suites name their cases with a name generator, so CTest takes the names as
    # GoogleTest gives them rather than appending the printed parameter.
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        NO_PRETTY_VALUES
        PROPERTIES TIMEOUT 300 ENVIRONMENT "${env}"
    )
endfunction()
