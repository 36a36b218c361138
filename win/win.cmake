# The Windows build, configured with win/mingw-w64.cmake (make windows):
# the same core, SDL layers and tests for 64-bit Windows, linked against
# SDL2 and SDL2_mixer built for it into SW_WIN_SYSROOT
# (scripts/win_deps.sh). The build's own tools (the bitmap converter and
# the synthesizer) are not made for Windows: the pictures and sounds come
# from the desktop build's game folder SW_WIN_ASSETS, as the browser's do.
#
# Everything is linked statically (the C and C++ run-time, the threads,
# SDL2 and the mixer): the player gets one .exe and no DLL to lose or to
# mix up with another program's.
set(SW_WIN_SYSROOT "" CACHE PATH "SDL2, SDL2_mixer and GoogleTest built for Windows")
set(SW_WIN_ASSETS "" CACHE PATH "a built game folder holding pic/ and sound/")
set(SW_WIN_PACKAGE ${CMAKE_BINARY_DIR}/SevenWell CACHE PATH "the player's folder, zipped beside it")
if(NOT EXISTS ${SW_WIN_SYSROOT}/lib/libSDL2.a OR NOT EXISTS ${SW_WIN_ASSETS}/pic/etc.bmp)
  message(FATAL_ERROR "the Windows build needs SW_WIN_SYSROOT and SW_WIN_ASSETS (make windows)")
endif()
# The tests run under Wine, in the prefix win_deps.sh made beside the libraries.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/win/wine.sh ${SW_WIN_SYSROOT}/../wine)
list(APPEND CMAKE_FIND_ROOT_PATH ${SW_WIN_SYSROOT})
find_package(SDL2 REQUIRED CONFIG)
find_package(SDL2_mixer REQUIRED CONFIG)
# SDL2main gives the programs that include SDL.h their WinMain.
set(SW_SDL SDL2_mixer::SDL2_mixer-static SDL2::SDL2main SDL2::SDL2-static)
# -O2: at -O3 GCC 12 warns of overlapping copies inside std::string that
# cannot happen (its bug 105329).
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
set(SW_ASSETS OFF)
set(SW_BENCH OFF)
add_link_options(-static)
