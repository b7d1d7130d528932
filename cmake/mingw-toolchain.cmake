# What the two mingw-w64 toolchain files share (posix thread model); they set
# CMAKE_SYSTEM_PROCESSOR and XARN_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${XARN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${XARN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${XARN_TRIPLE}-windres)
set(XARN_WIDL ${XARN_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${XARN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh)

# Compiles go through ccache when it is installed: the two architectures and every work tree of
# the same sources share one cache, as paths below the tree's top are hashed relative to it.
# Precompiled headers need the sloppiness ccache asks for them (its manual's "Precompiled
# headers"): a header set is made during the build, just before the sources that use it.
find_program(XARN_CCACHE ccache)
if(XARN_CCACHE)
    get_filename_component(xarn_top ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
    set(xarn_ccache_launcher
        ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${xarn_top} CCACHE_NOHASHDIR=1
        CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
        ${XARN_CCACHE})
    set(CMAKE_C_COMPILER_LAUNCHER ${xarn_ccache_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${xarn_ccache_launcher})
endif()
