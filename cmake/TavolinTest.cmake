# One place that says how a test is built and run: labels, time-out and, for
# widget tests, the offscreen platform so that no display is needed.
find_package(GTest REQUIRED)

# add_tavolin_test(NAME name SOURCES ... LIBS ... LABELS unit|integration|gui|slow [TIMEOUT s])
function(add_tavolin_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
    # Integration tests find the helper programs through paths compiled into the test
    # support library; they must be built first.
    foreach(tool tavolin-station tavolin-cli)
        if(TARGET ${tool})
            add_dependencies(${T_NAME} ${tool})
        endif()
    endforeach()
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT} ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
