# Cross-compiles for x86_64 Windows with mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(XARN_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
