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
# the same sources share one cache (tools/build.sh sets its base folder).
find_program(XARN_CCACHE ccache)
if(XARN_CCACHE)
    set(CMAKE_C_COMPILER_LAUNCHER ${XARN_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${XARN_CCACHE})
endif()
