#!/usr/bin/env bash
# Windows stage of CI: cross-builds the tree with the mingw preset and runs
# the whole suite (unit tests and end-to-end scenarios) under Wine.
# Run from anywhere; .ci/run calls it after the Linux stage.
set -euo pipefail
cd "$(dirname "$0")/../.."

.ci/install-missing windows

# A prefix of the suite's own, so that an operator's ~/.wine is not touched.
export WINEPREFIX="${KEL_WINEPREFIX:-$PWD/build/mingw-wineprefix}"
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"

# One server for every program the suite starts (about 50 ms a start instead
# of a second); the build's test discovery already runs Windows programs.
wineserver -k 2>/dev/null || true
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first start of Wine makes the prefix (several seconds); keep its
# messages out of the tests' output.
wineboot -i >/dev/null 2>&1

cmake --preset mingw
cmake --build --preset mingw
ctest --preset mingw
