#!/bin/sh
# Runs a Windows program of the build under Wine, for the tests
# (CMAKE_CROSSCOMPILING_EMULATOR): Wine quiet, in the prefix that
# scripts/win_deps.sh made once, SDL drawing by software (Wine's Direct3D
# on a machine without a GPU runs on a software GL, far too slow).
#   win/wine.sh WINEPREFIX PROGRAM.exe ARGUMENTS...
export WINEPREFIX="$1"
shift
export WINEDEBUG=-all SDL_RENDER_DRIVER=software
exec wine "$@"
