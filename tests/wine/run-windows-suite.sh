#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
# Windows stage of CI: cross-builds the tree with the mingw preset and runs
# the whole suite (unit tests and end-to-end scenarios) under Wine.
# Run from anywhere; .ci/run calls it after the Linux stage.
set -euo pipefail
cd "$(dirname "$0")/../.."

# The POSIX build too: its board server and programs meet the Windows ones.
.ci/install-missing build windows

# A prefix of the suite's own, so that an operator's ~/.wine is not touched.
export WINEPREFIX="${KEL_WINEPREFIX:-$PWD/build/mingw-wineprefix}"
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"

# A private TMPDIR (0700), as pam_tmpdir or a per-user runtime directory
# gives, whatever the caller's: Wine keeps the server of a prefix under the
# TMPDIR of whoever started it, and no run as nobody may depend on the
# runner's being reachable (those runs make their own). One per checkout,
# so that a server left by an earlier stage is found and ended below. Its
# path is plain ASCII whatever the checkout's: the scenarios' working
# directories are made in it, and a program's ANSI calls (the current
# directory, the profile reader) cannot name a directory outside the ANSI
# code page, on Windows as under Wine.
checkout_key="$(printf '%s' "$PWD" | sha1sum | cut -c1-16)"
export TMPDIR="/tmp/kel-wine-$(id -u)-$checkout_key"
mkdir -p -m 0700 "$TMPDIR"
if [ -L "$TMPDIR" ] || [ ! -O "$TMPDIR" ]; then
  echo "run-windows-suite: $TMPDIR is not a directory of this user's own" >&2
  exit 1
fi
chmod 0700 "$TMPDIR"

# One persistent server for every program the suite starts. A server that
# Wine starts by itself (Debian's wineserver wrapper passes -p0) ends the
# moment its last program ends: without one that stays, every test starts a
# server and Wine's system processes of its own, racing the end of the
# previous test's. "wineserver -p" changes nothing and returns status 2,
# silently, while another server of the prefix runs: end that one first and
# wait until it is gone.
start_server() {
  wineserver -k 2>/dev/null || true
  wineserver -w
  if ! wineserver -p </dev/null >/dev/null 2>&1; then
    echo "run-windows-suite: no persistent wineserver could be started for $WINEPREFIX" >&2
    exit 1
  fi
}
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first start of Wine makes the prefix (several seconds); keep its
# messages out of the tests' output. It runs under the server that Wine
# starts by itself, and "wineserver -w" then waits until that start has
# settled and every process of it has ended: "wineboot -i" under a
# persistent server starts a second service control manager beside the
# one the server's first program starts (measured: two services.exe, for
# an existing prefix too), each with a database of its own, so a service
# one of them creates is unknown to the other (1060). Wine may lose this
# start as it may lose any (see docs/windows.md): it is tried three times.
# A lost first start leaves the prefix half made (no C:\windows), which no
# later start repairs: the suite's own prefix is then made anew. A prefix
# that KEL_WINEPREFIX names is the caller's, and is never removed.
wineserver -k 2>/dev/null || true
wineserver -w
for attempt in 1 2 3; do
  booted=0
  wineboot -i >/dev/null 2>&1 && booted=1
  if [ "$booted" -eq 0 ]; then
    wineserver -k 2>/dev/null || true
  fi
  wineserver -w
  if [ "$booted" -eq 1 ] && [ -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    break
  elif [ "$attempt" -eq 3 ]; then
    echo "run-windows-suite: wineboot -i failed three times in $WINEPREFIX" >&2
    exit 1
  elif [ -n "${KEL_WINEPREFIX:-}" ]; then
    echo "run-windows-suite: wineboot -i failed in $WINEPREFIX; trying again" >&2
    continue
  fi
  echo "run-windows-suite: wineboot -i failed; making $WINEPREFIX anew" >&2
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
done
start_server
# Wine's system processes (the service control manager among them) start
# with the server's first program and keep its output open: a plain boot
# with its output discarded starts them once, so that no test's output
# pipe is held and CTest does not wait on them.
wineboot >/dev/null 2>&1 || wineboot >/dev/null 2>&1 || true

# The POSIX side of the runs across platforms (built already when CI's
# Linux stage ran).
cmake --preset default >/dev/null
cmake --build --preset default --target demo_sgen demo_sensors kel_server KEL KEL_remote
cmake --preset mingw -DKEL_POSIX_BIN="$PWD/build/default/bin"
cmake --build --preset mingw

# The tests start again a program that Wine lost before it started, and
# take out a line Wine printed of its own; each is noted here, and the
# stage shows how often that happened.
export KEL_WINE_RESTARTS_LOG="$PWD/build/mingw/wine-restarts.log"
: >"$KEL_WINE_RESTARTS_LOG"
status=0
ctest --preset mingw || status=$?
if [ -s "$KEL_WINE_RESTARTS_LOG" ]; then
  echo "Wine faltered $(wc -l <"$KEL_WINE_RESTARTS_LOG") time(s) (a program started again, or a line of Wine's own taken out):"
  cat "$KEL_WINE_RESTARTS_LOG"
fi
exit "$status"
