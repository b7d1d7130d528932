# Steps whose outputs do not depend on the architecture (generated images, language files) run
# once for both architectures' builds: their outputs are kept in one folder beside the build
# folders, under a key of the command and its inputs' contents (tools/host_step.py).
set(XARN_HOST_STEP_CACHE ${CMAKE_BINARY_DIR}/../host-steps CACHE PATH
    "Where both architectures' builds keep the outputs of their architecture-independent steps")
set(XARN_HOST_STEP ${CMAKE_CURRENT_LIST_DIR}/../tools/host_step.py)

# xarn_host_step(NAME <name> OUTPUT <files...> INPUTS <files...> COPY <sub=destination...>
#                COMMAND <command...> [COMMENT <text>])
# A custom command that makes OUTPUT from INPUTS (every file the step reads, the script
# included). COMMAND writes below the folder "{out}"; COPY names what is copied from there.
function(xarn_host_step)
    cmake_parse_arguments(H "" "NAME;COMMENT" "OUTPUT;INPUTS;COPY;COMMAND" ${ARGN})
    set(arguments --cache ${XARN_HOST_STEP_CACHE} --name ${H_NAME})
    foreach(input IN LISTS H_INPUTS)
        get_filename_component(input ${input} ABSOLUTE)
        list(APPEND arguments --input ${input})
    endforeach()
    foreach(copy IN LISTS H_COPY)
        list(APPEND arguments --copy ${copy})
    endforeach()
    add_custom_command(OUTPUT ${H_OUTPUT}
        COMMAND python3 ${XARN_HOST_STEP} ${arguments} -- ${H_COMMAND}
        DEPENDS ${XARN_HOST_STEP} ${H_INPUTS}
        COMMENT "${H_COMMENT}"
        VERBATIM)
endfunction()
