# xarn_share_unwinder(<target>): the target and every module that links it use one exception
# unwinder. On i686 each module that links libgcc statically unwinds only through its own
# DWARF-2 tables, so an exception thrown in one module (a program's inline code, the class
# library) would end the program instead of reaching a catch in another (the helper library).
# Linked with libgcc's DLL, the modules register their tables with one unwinder; the DLL goes
# beside them as a runtime DLL of theirs. The DLL of the win32 thread model is the one shipped:
# its exports are the same and it needs no threads DLL. On x86_64 unwinding goes through the
# system's tables and needs none of this.
if(XARN_ARCH STREQUAL "i686")
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
                    OUTPUT_VARIABLE XARN_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(XARN_LIBGCC_DIR ${XARN_LIBGCC} DIRECTORY)
    string(REGEX REPLACE "-posix$" "-win32" XARN_LIBGCC_DLL_DIR ${XARN_LIBGCC_DIR})
    if(NOT EXISTS ${XARN_LIBGCC_DLL_DIR}/libgcc_s_dw2-1.dll)
        message(FATAL_ERROR "libgcc's DLL is missing: ${XARN_LIBGCC_DLL_DIR}/libgcc_s_dw2-1.dll")
    endif()
    add_library(xarn_libgcc_dll SHARED IMPORTED GLOBAL)
    set_target_properties(xarn_libgcc_dll PROPERTIES
        IMPORTED_LOCATION ${XARN_LIBGCC_DLL_DIR}/libgcc_s_dw2-1.dll
        IMPORTED_IMPLIB ${XARN_LIBGCC_DIR}/libgcc_s.a)
endif()

function(xarn_share_unwinder target)
    if(XARN_ARCH STREQUAL "i686")
        set_target_properties(${target} PROPERTIES
            XARN_SHARED_UNWINDER ON
            INTERFACE_XARN_SHARED_UNWINDER ON
            COMPATIBLE_INTERFACE_BOOL XARN_SHARED_UNWINDER)
        target_link_libraries(${target} PUBLIC xarn_libgcc_dll)
    endif()
endfunction()
