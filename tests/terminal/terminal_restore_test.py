#!/usr/bin/env python3
"""Runs a program on a pseudo-terminal, as an operator would, and checks that
the terminal's settings are the same after it ended - by a key, by Ctrl+C
typed on the terminal, or by SIGTERM - and that keys are not echoed.

  terminal_restore_test.py --program PATH --kind sgen|sensors
"""
import argparse
import fcntl
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time

SIMULATED_BOARD = "[board 1]\nname = TTY\n[board 1 unit 0]\nid = 0x100\n" \
                  "[board 1 service 0]\nname = SYSMON0\n"
FILES = {
    "sgen": {"demo_sgen.ini": "[Option]\nStartStb=0\n", "kel_sgen.ini": SIMULATED_BOARD},
    "sensors": {"demo_sensors.ini": "[Option]\nTemperature=1\nIsMon=1\n", "kel.ini": SIMULATED_BOARD},
}
# What the program prints once it waits for keys.
WAITING = {"sgen": b"Press any key for leaving program...", "sensors": b"Esc"}
CLOSING_PROMPT = b" . . . "


def read_until(master, marker, seconds):
    seen = b""
    deadline = time.time() + seconds
    while marker not in seen and time.time() < deadline:
        ready, _, _ = select.select([master], [], [], 0.1)
        if ready:
            try:
                seen += os.read(master, 4096)
            except OSError:
                break
    return seen


def drain(master):
    seen = b""
    while True:
        ready, _, _ = select.select([master], [], [], 0.2)
        if not ready:
            return seen
        try:
            chunk = os.read(master, 4096)
        except OSError:
            return seen
        if not chunk:
            return seen
        seen += chunk


def run_once(program, kind, ending):
    master, slave = os.openpty()
    before = termios.tcgetattr(slave)

    def own_terminal():
        os.setsid()
        fcntl.ioctl(0, termios.TIOCSCTTY, 0)

    with tempfile.TemporaryDirectory(prefix="kel-tty-") as work:
        for name, text in FILES[kind].items():
            with open(os.path.join(work, name), "w") as handle:
                handle.write(text)
        child = subprocess.Popen([program], cwd=work, stdin=slave, stdout=slave, stderr=slave,
                                 preexec_fn=own_terminal, close_fds=True)
        output = read_until(master, WAITING[kind], 10)
        if kind == "sensors":
            # Key mode starts after the first pass: end the run in the second.
            output += read_until(master, WAITING[kind], 10)
        problems = []
        if WAITING[kind] not in output:
            problems.append("never reached its key wait")
        time.sleep(0.3)
        if ending == "key":
            os.write(master, b"\x1b" if kind == "sensors" else b"x")
            if kind == "sensors":
                # Esc ends the monitor; the closing prompt then waits for a key.
                output += read_until(master, CLOSING_PROMPT, 10)
                os.write(master, b"x")
        elif ending == "ctrl-c":
            os.write(master, b"\x03")
        else:
            child.send_signal(signal.SIGTERM)
        try:
            status = child.wait(timeout=10)
        except subprocess.TimeoutExpired:
            child.kill()
            child.wait()
            status = None
            problems.append("did not end")
        output += drain(master)
        after = termios.tcgetattr(slave)
    os.close(master)
    os.close(slave)

    expected_status = {"key": 0, "ctrl-c": 128 + signal.SIGINT, "sigterm": 128 + signal.SIGTERM}[ending]
    if status != expected_status:
        problems.append(f"exit status {status}, expected {expected_status}")
    if after != before:
        problems.append("terminal settings differ after the run: "
                        f"lflag {before[3]:#x} -> {after[3]:#x}")
    if ending == "key" and kind == "sgen" and output.rstrip().endswith(b"x"):
        problems.append("the key was echoed")
    if kind == "sensors" and b"\x1b[2J" not in output:
        problems.append("the screen was not cleared on a terminal")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--kind", required=True, choices=sorted(FILES))
    options = parser.parse_args()
    failed = 0
    for ending in ("key", "ctrl-c", "sigterm"):
        problems = run_once(os.path.abspath(options.program), options.kind, ending)
        verdict = "ok" if not problems else "FAIL: " + "; ".join(problems)
        print(f"{options.kind} ended by {ending}: {verdict}")
        failed += bool(problems)
    print(f"{3 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
