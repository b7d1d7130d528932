# A language file of the product (such as "Stellmark.ini") is put together in bin/ from the text
# fragments of the subsystems that use it, merged by section, so that each subsystem keeps its
# texts beside its code. Subsystems call xarn_language_texts; the top level writes the files
# once every subsystem is added.
function(xarn_language_texts file)
    set_property(GLOBAL APPEND PROPERTY XARN_LANGUAGE_FILES ${file})
    foreach(fragment IN LISTS ARGN)
        get_filename_component(fragment_path ${fragment} ABSOLUTE)
        set_property(GLOBAL APPEND PROPERTY XARN_LANGUAGE_FRAGMENTS_${file} ${fragment_path})
    endforeach()
endfunction()

function(xarn_write_language_files)
    get_property(files GLOBAL PROPERTY XARN_LANGUAGE_FILES)
    if(NOT files)
        return()
    endif()
    list(REMOVE_DUPLICATES files)
    set(outputs)
    foreach(file IN LISTS files)
        get_property(fragments GLOBAL PROPERTY XARN_LANGUAGE_FRAGMENTS_${file})
        set(output ${CMAKE_BINARY_DIR}/bin/${file})
        xarn_host_step(NAME language_${file}
            OUTPUT ${output}
            INPUTS ${PROJECT_SOURCE_DIR}/tools/merge_ini.py ${fragments}
            COMMAND python3 ${PROJECT_SOURCE_DIR}/tools/merge_ini.py {out}/${file} ${fragments}
            COPY ${file}=${output}
            COMMENT "Language file ${file}")
        list(APPEND outputs ${output})
    endforeach()
    add_custom_target(xarn_language_files ALL DEPENDS ${outputs})
endfunction()
