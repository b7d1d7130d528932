# Precompiled headers: the Windows headers, the most used standard headers and the class library
# are parsed once per architecture instead of once per source file (they are most of what a
# source file's compile reads). Two sets, each precompiled once in a target of its own and
# reused by every C++ target of its kind:
#   windows     the Windows headers and the most used standard headers
#   classlib    + the class library (as its DLL's users see it) and the resource owners
# A set is used only where its headers mean the same as in the target's own sources: GCC checks
# that the macros the headers test agree and otherwise reads the headers as text, and
# -Winvalid-pch makes such a miss a warning. Without them (-DXARN_PRECOMPILED_HEADERS=OFF) every
# source must still compile: the sets hide a missing #include.
# A header goes into a set only when most sources read it anyway (every source of a target loads
# its set whole), and <string>, <memory> and GoogleTest stay out: GCC 12 loses the system-header
# mark of a precompiled std::basic_string for the optimiser's warnings (-Warray-bounds in an
# inlined wmemcpy), which then show in the sources that use it.
option(XARN_PRECOMPILED_HEADERS "Precompile the common headers" ON)
set(XARN_PCH_WINDOWS
    <winsock2.h> <windows.h> <commctrl.h> <algorithm> <cstdint> <cstring> <cwchar> <vector>)
set(XARN_PCH_CLASSLIB <owners/WinOwners.h> <classlib/Classlib.h>)

# The targets that hold the sets. Made after the project-wide compile settings, so that their
# flags are those of every other target.
function(xarn_make_precompiled_header_sets)
    if(NOT XARN_PRECOMPILED_HEADERS)
        return()
    endif()
    set(source ${CMAKE_BINARY_DIR}/xarn_pch_anchor.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// The precompiled header sets' own source.\n")
    foreach(set windows classlib)
        add_library(xarn_pch_${set} OBJECT ${source})
        set_target_properties(xarn_pch_${set} PROPERTIES EXCLUDE_FROM_ALL TRUE)
    endforeach()
    target_precompile_headers(xarn_pch_windows PRIVATE ${XARN_PCH_WINDOWS})
    target_precompile_headers(xarn_pch_classlib PRIVATE ${XARN_PCH_WINDOWS} ${XARN_PCH_CLASSLIB})
    target_link_libraries(xarn_pch_classlib PRIVATE xarnclasslib)
endfunction()

# Every target a target links, directly or through others (names of targets only).
function(xarn_linked_targets target out)
    set(seen "")
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending current)
        get_target_property(type ${current} TYPE)
        set(links "")
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(direct ${current} LINK_LIBRARIES)
            if(direct)
                list(APPEND links ${direct})
            endif()
        endif()
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        if(interface)
            list(APPEND links ${interface})
        endif()
        foreach(link IN LISTS links)
            if(TARGET ${link} AND NOT link IN_LIST seen)
                list(APPEND seen ${link})
                list(APPEND pending ${link})
            endif()
        endforeach()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

# The set a target uses; empty for none.
function(xarn_precompiled_header_set target out)
    set(${out} "" PARENT_SCOPE)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
        return()
    endif()
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    if(NOT sources)
        return()
    endif()
    # The class library's own sources build it with its exports (one set of its own), and its
    # static form's users see other declarations: neither reads the class library from a set.
    if(target STREQUAL "xarnclasslib")
        set(${out} own PARENT_SCOPE)
        return()
    endif()
    xarn_linked_targets(${target} linked)
    if("xarnclasslib" IN_LIST linked AND NOT "xarnclasslib_static" IN_LIST linked
       AND NOT target STREQUAL "xarnclasslib_static")
        set(${out} classlib PARENT_SCOPE)
    else()
        set(${out} windows PARENT_SCOPE)
    endif()
endfunction()

# Gives every C++ target of the project under `folder` its set. Called once, after every target
# is made.
function(xarn_use_precompiled_headers folder)
    if(NOT XARN_PRECOMPILED_HEADERS)
        return()
    endif()
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        if(target MATCHES "^xarn_pch_")
            continue()
        endif()
        xarn_precompiled_header_set(${target} set)
        if(set STREQUAL "own")
            target_precompile_headers(${target} PRIVATE ${XARN_PCH_WINDOWS} ${XARN_PCH_CLASSLIB})
        elseif(set)
            target_precompile_headers(${target} REUSE_FROM xarn_pch_${set})
        endif()
    endforeach()
    get_property(folders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    foreach(subfolder IN LISTS folders)
        if(NOT subfolder MATCHES "/third_party/")
            xarn_use_precompiled_headers(${subfolder})
        endif()
    endforeach()
endfunction()
