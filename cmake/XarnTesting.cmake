set(XARN_RUN_GTEST ${CMAKE_CURRENT_LIST_DIR}/../tools/run-gtest.sh)

# xarn_add_test(NAME <name> SOURCES <files...> [LIBS <libs...>] [TIMEOUT <seconds>] [LABELS <labels...>])
# Builds one GoogleTest program and registers it as one ctest entry; ctest runs it under Wine
# through tools/run-gtest.sh, which passes it only when the program ended with its summary and
# every test in it passed.
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
    add_test(NAME ${T_NAME} COMMAND ${XARN_RUN_GTEST} $<TARGET_FILE:${T_NAME}> --gtest_brief=1)
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
                                              LABELS "${XARN_ARCH};${T_LABELS}")
endfunction()
