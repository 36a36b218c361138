# Debian's cross-compiler for 64-bit Windows (g++-mingw-w64-x86-64-posix:
# the POSIX thread model, which std::thread and std::mutex need). Used for
# the game (make windows) and for SDL2, SDL2_mixer and GoogleTest built by
# scripts/win_deps.sh. The libraries are looked for in the mingw folder and
# in SW_WIN_SYSROOT; programs of the build machine anywhere.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${SW_WIN_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
