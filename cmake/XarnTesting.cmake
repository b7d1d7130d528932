set(XARN_RUN_GTEST ${CMAKE_CURRENT_LIST_DIR}/../tools/run-gtest.sh)
# Every test runs in a sandbox of its own (Wine prefix, display, home folder), so that tests run
# side by side: tools/test-sandbox.sh.
set(XARN_TEST_SANDBOX ${CMAKE_CURRENT_LIST_DIR}/../tools/test-sandbox.sh)
# Seconds between the sandbox's own limit and ctest's timeout: room to end and show the test.
set(XARN_TEST_SANDBOX_MARGIN 15)

# xarn_add_test(NAME <name> SOURCES <files...> [LIBS <libs...>] [TIMEOUT <seconds>] [LABELS <labels...>])
# Builds one GoogleTest program and registers it as one ctest entry; ctest runs it under Wine in
# a sandbox of its own through tools/run-gtest.sh, which passes it only when the program ended
# with its summary and every test in it passed.
function(xarn_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gmock gtest_main)
    # The project's DLLs that the test links go next to it, where Windows looks for them.
    add_custom_command(TARGET ${T_NAME} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E
                $<IF:$<BOOL:$<TARGET_RUNTIME_DLLS:${T_NAME}>>,copy_if_different,true>
                $<TARGET_RUNTIME_DLLS:${T_NAME}> $<TARGET_FILE_DIR:${T_NAME}>
        COMMAND_EXPAND_LISTS)
    xarn_add_script_test(NAME ${T_NAME} TIMEOUT ${T_TIMEOUT} LABELS ${T_LABELS}
                         COMMAND ${XARN_RUN_GTEST} $<TARGET_FILE:${T_NAME}> --gtest_brief=1)
endfunction()

# xarn_add_script_test(NAME <name> COMMAND <command...> [TIMEOUT <seconds>] [LABELS <labels...>]
#                      [DRIVE <letter>])
# Registers a test command (a script or runner that starts Windows programs under Wine) as one
# ctest entry, run in a sandbox of its own; DRIVE gives the sandbox's prefix a fixed drive of
# that letter from its start (see tools/test-sandbox.sh). The timeout is given here only: the
# sandbox ends the test's programs a little before it, so that the test's output is still shown
# (ctest kills a test at its timeout without a word).
function(xarn_add_script_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT;DRIVE" "COMMAND;LABELS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    set(drive "")
    if(T_DRIVE)
        set(drive --drive ${T_DRIVE})
    endif()
    math(EXPR limit "${T_TIMEOUT} - ${XARN_TEST_SANDBOX_MARGIN}")
    add_test(NAME ${T_NAME}
             COMMAND ${XARN_TEST_SANDBOX} --limit ${limit} ${drive} ${T_COMMAND})
    # Tests run longest first, so that the last to start are short: a test's timeout stands for
    # its length until ctest has timed it (ctest prefers a set COST to its own times, so
    # tools/test.sh's run over both architectures drops it then: tools/combine_tests.py).
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} COST ${T_TIMEOUT}
                                              LABELS "${XARN_ARCH};${T_LABELS}")
endfunction()
