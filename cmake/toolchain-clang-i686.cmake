# The same 32-bit Windows build with clang instead of gcc: clang's i686-w64-mingw32 target over
# Debian's mingw-w64 headers, gcc's libstdc++ (posix thread model) and the mingw-w64 linker.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOL_PREFIX i686-w64-mingw32)
set(CHRONEL_GCC_LIB /usr/lib/gcc/${TOOL_PREFIX}/12-posix)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TOOL_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOL_PREFIX})
set(CMAKE_RC_COMPILER ${TOOL_PREFIX}-windres)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${CHRONEL_GCC_LIB}/include/c++ -isystem ${CHRONEL_GCC_LIB}/include/c++/${TOOL_PREFIX}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "--ld-path=/usr/bin/${TOOL_PREFIX}-ld -L${CHRONEL_GCC_LIB}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "--ld-path=/usr/bin/${TOOL_PREFIX}-ld -L${CHRONEL_GCC_LIB}")
# libstdc++ and libgcc_eh of the posix model need winpthread after them; clang puts its own
# runtime libraries last, so they are named here first.
set(CMAKE_CXX_STANDARD_LIBRARIES "-lstdc++ -lgcc_eh -lwinpthread")
set(CMAKE_FIND_ROOT_PATH /usr/${TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
