# xarn_widl(<idl> <basename> [widl options...]): compiles an interface definition into a
# header and fully interpreted (-Oicf) client and server stubs in the build folder; sets
# <basename>_HEADER, <basename>_CLIENT and <basename>_SERVER.
function(xarn_widl idl base)
    get_filename_component(idl_abs ${idl} ABSOLUTE)
    set(out ${CMAKE_CURRENT_BINARY_DIR})
    if(XARN_ARCH STREQUAL "x86_64")
        set(widl_arch --win64)
    else()
        set(widl_arch --win32)
    endif()
    add_custom_command(
        OUTPUT ${out}/${base}.h ${out}/${base}_c.c ${out}/${base}_s.c
        COMMAND ${XARN_WIDL} ${widl_arch} -Oicf ${ARGN} -I${CMAKE_CURRENT_SOURCE_DIR}
                -h -H ${out}/${base}.h -c -C ${out}/${base}_c.c -s -S ${out}/${base}_s.c
                ${idl_abs}
        DEPENDS ${idl_abs}
        COMMENT "widl ${idl}")
    set(${base}_HEADER ${out}/${base}.h PARENT_SCOPE)
    set(${base}_CLIENT ${out}/${base}_c.c PARENT_SCOPE)
    set(${base}_SERVER ${out}/${base}_s.c PARENT_SCOPE)
endfunction()
