# Included by ctest (not by cmake): lists the test program's suites and adds one ctest test per
# suite. Per-case tests would start the program once per case, which under Wine costs more
# than the tests themselves. Inputs: QRT_TEST_EXE, QRT_TEST_EMULATOR (may be empty), QRT_TEST_LABEL.

if(NOT EXISTS "${QRT_TEST_EXE}")
    add_test("${QRT_TEST_LABEL}:qrt-tests_NOT_BUILT" "${QRT_TEST_EXE}")
    return()
endif()

execute_process(
    COMMAND ${QRT_TEST_EMULATOR} "${QRT_TEST_EXE}" --gtest_list_tests
    OUTPUT_VARIABLE listing
    ERROR_VARIABLE listing_err
    RESULT_VARIABLE listing_rc
    TIMEOUT 300)
if(NOT listing_rc EQUAL 0)
    # Surface the failure as a failing test rather than an empty, green run.
    add_test("${QRT_TEST_LABEL}:qrt-tests_LIST_FAILED" ${QRT_TEST_EMULATOR} "${QRT_TEST_EXE}" --gtest_list_tests)
    set_tests_properties("${QRT_TEST_LABEL}:qrt-tests_LIST_FAILED" PROPERTIES LABELS "${QRT_TEST_LABEL}")
    return()
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(count 0)
foreach(line IN LISTS lines)
    # Suite lines start in column one and end with "." (typed suites add a "# TypeParam" note).
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.( |$)")
        set(suite "${CMAKE_MATCH_1}")
        set(name "${QRT_TEST_LABEL}:${suite}")
        add_test("${name}" ${QRT_TEST_EMULATOR} "${QRT_TEST_EXE}" "--gtest_filter=${suite}.*")
        set_tests_properties("${name}" PROPERTIES LABELS "${QRT_TEST_LABEL}")
        math(EXPR count "${count} + 1")
    endif()
endforeach()
if(count EQUAL 0)
    add_test("${QRT_TEST_LABEL}:qrt-tests_NO_TESTS" "${QRT_TEST_EXE}" --gtest_list_tests)
    set_tests_properties("${QRT_TEST_LABEL}:qrt-tests_NO_TESTS" PROPERTIES LABELS "${QRT_TEST_LABEL}" WILL_FAIL ON)
endif()
