#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
"""Runs a program on a pseudo-terminal, as an operator would from a shell,
and checks what the operator sees: keys are not echoed, an arrow or function
key is one key press that is not Esc and leaves nothing behind for the next
prompt or the shell, Ctrl+Z gives the operator's settings back until the
program is brought back, the terminal's settings are the same after the
program ended whatever ended it, and on Ctrl+C, a termination or hang-up
signal, a hang-up of the terminal itself and a closed output the board
library's call trace shows the board given back (service release, device
close, library cleanup).

  terminal_restore_test.py --program PATH --kind sgen|sensors
"""
import argparse
import fcntl
import os
import resource
import select
import signal
import sys
import tempfile
import termios
import time
import traceback

SIMULATED_BOARD = "[board 1]\nname = TTY\n[board 1 unit 0]\nid = 0x100\n" \
                  "[board 1 service 0]\nname = SYSMON0\n[board 1 service 1]\nname = BASEDDS0\n"
FILES = {
    "sgen": {"demo_sgen.ini": "[Option]\nStartStb=1\n", "kel_sgen.ini": SIMULATED_BOARD},
    "sensors": {"demo_sensors.ini": "[Option]\nTemperature=1\nIsMon=1\n", "kel.ini": SIMULATED_BOARD},
}
SERVICE = {"sgen": "BASEDDS0", "sensors": "SYSMON0"}
START_PROMPT = b"Press any key for start !"
SGEN_CLOSING_PROMPT = b"Press any key for leaving program..."
SENSORS_CLOSING_PROMPT = b" . . . "
TABLE_END = b"Esc"  # the monitor's hint, last line of each table
START_CODE = "0x1806"
WAIT = 15  # seconds; generous, the machine may be loaded
UP, DOWN, F1, F5, HOME = b"\x1b[A", b"\x1b[B", b"\x1bOP", b"\x1b[15~", b"\x1b[1~"


def run_as_shell(program, work, slave, stdout, reports, commands, hang_up):
    """The forked session leader: starts the program in a process group of
    its own in the terminal's foreground, and does what a shell does when it
    stops (takes the terminal back, waits for "fg") or ends (reports). When
    the terminal hangs up, only the session leader gets SIGHUP: it passes it
    on to the program, as an interactive shell does, or ignores it, as a
    session leader under nohup does (hang_up "pass on" or "ignore")."""
    os.setsid()
    fcntl.ioctl(slave, termios.TIOCSCTTY, 0)
    signal.signal(signal.SIGTTOU, signal.SIG_IGN)
    child = os.fork()
    if child == 0:
        os.setpgid(0, 0)
        os.tcsetpgrp(slave, os.getpid())
        for number in (signal.SIGTTOU, signal.SIGPIPE, signal.SIGHUP):
            signal.signal(number, signal.SIG_DFL)
        resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
        os.dup2(slave, 0)
        os.dup2(stdout if stdout is not None else slave, 1)
        os.dup2(slave, 2)
        os.chdir(work)
        environment = dict(os.environ, KEL_SIM_TRACE=os.path.join(work, "trace"))
        os.execve(program, [program], environment)
    # Both sides set the group and the foreground, as shells do, so that
    # neither order matters; the child may already have run the program
    # (setpgid then fails with EACCES) or even ended (a closed output ends
    # it at its first line), and then its own calls stand.
    try:
        os.setpgid(child, child)
        os.tcsetpgrp(slave, child)
    except OSError:
        pass
    if hang_up == "pass on":
        def pass_on(number, frame):
            try:
                os.killpg(child, signal.SIGHUP)
            except ProcessLookupError:
                pass  # the program ended first
        signal.signal(signal.SIGHUP, pass_on)
    else:
        signal.signal(signal.SIGHUP, signal.SIG_IGN)
    os.write(reports, f"pid {child}\n".encode())
    while True:
        _, status = os.waitpid(child, os.WUNTRACED)
        if os.WIFSTOPPED(status):
            os.tcsetpgrp(slave, os.getpgrp())
            os.write(reports, b"stopped\n")
            os.read(commands, 1)
            os.tcsetpgrp(slave, child)
            os.killpg(child, signal.SIGCONT)
            continue
        os.write(reports, f"ended {os.waitstatus_to_exitcode(status)}\n".encode())
        return


class TerminalRun:
    """One run of the program on a fresh pseudo-terminal, under a shell."""

    def __init__(self, program, kind, output_closed=False, hang_up="ignore"):
        self.kind = kind
        self.hung_up = False
        self.master, self.slave = os.openpty()
        self.before = termios.tcgetattr(self.slave)
        self.directory = tempfile.TemporaryDirectory(prefix="kel-tty-")
        self.work = self.directory.name
        for name, text in FILES[kind].items():
            with open(os.path.join(self.work, name), "w") as handle:
                handle.write(text)
        stdout = None
        if output_closed:
            reader, stdout = os.pipe()
            os.close(reader)
        self.reports_end, reports = os.pipe()
        commands, self.commands = os.pipe()
        self.shell = os.fork()
        if self.shell == 0:
            status = 0
            try:
                os.close(self.master)  # the terminal hangs up when the test closes its side
                run_as_shell(program, self.work, self.slave, stdout, reports, commands,
                             hang_up)
            except BaseException:  # the test's own fault: say where, not only "no pid"
                traceback.print_exc()
                status = 1
            finally:
                os._exit(status)
        for end in (reports, commands) + ((stdout,) if stdout is not None else ()):
            os.close(end)
        self.output = b""
        self.pending_reports = b""
        self.pid = int(self.report("pid ").split()[1])
        self.status = None

    def read_until(self, marker, count=1):
        """Reads the terminal until marker has been printed count times."""
        deadline = time.time() + WAIT
        while self.output.count(marker) < count and time.time() < deadline:
            ready, _, _ = select.select([self.master], [], [], 0.1)
            if ready:
                try:
                    self.output += os.read(self.master, 4096)
                except OSError:
                    break
        return self.output.count(marker) >= count

    def drain(self):
        while select.select([self.master], [], [], 0.2)[0]:
            try:
                chunk = os.read(self.master, 4096)
            except OSError:
                return
            if not chunk:
                return
            self.output += chunk

    def report(self, prefix):
        deadline = time.time() + WAIT
        while time.time() < deadline:
            for line in self.pending_reports.split(b"\n")[:-1]:
                self.pending_reports = self.pending_reports[len(line) + 1:]
                if line.startswith(prefix.encode()):
                    return line.decode()
            if select.select([self.reports_end], [], [], 0.1)[0]:
                chunk = os.read(self.reports_end, 100)
                if not chunk:
                    break
                self.pending_reports += chunk
        return None

    def type(self, keys):
        os.write(self.master, keys)

    def hang_up(self):
        """The terminal goes away, as a closed terminal window or a lost SSH
        session does: its master side is closed."""
        os.close(self.master)
        self.hung_up = True

    def wait_for_key_mode(self):
        """The prompt is printed before the program turns echo off to wait:
        keys typed in between would be echoed by the terminal, however fast
        the program is, so an operator's key waits for key mode."""
        deadline = time.time() + WAIT
        while termios.tcgetattr(self.slave)[3] & termios.ECHO and time.time() < deadline:
            time.sleep(0.02)
        return not termios.tcgetattr(self.slave)[3] & termios.ECHO

    def finish(self):
        """Waits for the end; returns the problems seen with the terminal."""
        ended = self.report("ended ")
        if ended is None:
            os.kill(self.pid, signal.SIGKILL)
            self.report("ended ")
        else:
            self.status = int(ended.split()[1])
        os.waitpid(self.shell, 0)
        problems = []
        with open(os.path.join(self.work, "trace")) as handle:
            self.trace = handle.read().splitlines()
        if self.hung_up:  # no terminal is left to look at
            for end in (self.slave, self.reports_end, self.commands):
                os.close(end)
            self.directory.cleanup()
            return problems
        self.drain()
        after = termios.tcgetattr(self.slave)
        if after != self.before:
            problems.append("terminal settings differ after the run: "
                            f"lflag {self.before[3]:#x} -> {after[3]:#x}")
        # What the program left unread is what the shell would read next.
        raw = list(after)
        raw[3] &= ~(termios.ICANON | termios.ECHO)
        raw[6][termios.VMIN], raw[6][termios.VTIME] = 0, 0
        termios.tcsetattr(self.slave, termios.TCSANOW, raw)
        left = os.read(self.slave, 100) if select.select([self.slave], [], [], 0.2)[0] else b""
        if left:
            problems.append(f"{left!r} was left for the shell")
        for end in (self.master, self.slave, self.reports_end, self.commands):
            os.close(end)
        self.directory.cleanup()
        return problems

    def gave_board_back(self):
        """The service captured last was released, then the device closed and
        the library shut down, as on the normal path."""
        calls = [line for line in self.trace if line.startswith("KEL_capture(")
                 and f'"{SERVICE[self.kind]}"' in line]
        if not calls:
            return False
        start = self.trace.index(calls[-1])
        handle = calls[-1].split(" = ")[1].split()[0]
        tail = [line.split(" = ")[0] for line in self.trace[start + 1:]
                if not line.startswith(("KEL_ctrl", "KEL_getInfo", "KEL_capture"))]
        return tail[-3:] == [f"KEL_release({handle}, 0)", "KEL_close(1)", "KEL_cleanup()"]


def expect(problems, condition, text):
    if not condition:
        problems.append(text)


def sensors_keys(run, problems):
    """Keys in the first second, arrow, function and Home keys during the
    monitor, Esc alone, an arrow at the closing prompt."""
    expect(problems, run.read_until(TABLE_END), "the first table never came")
    run.type(b"z")
    for tables, key in enumerate((UP, F1, HOME), start=2):
        expect(problems, run.read_until(TABLE_END, tables), f"table {tables} never came")
        run.type(key)
    expect(problems, run.read_until(TABLE_END, 5), "the monitor ended on an extended key")
    run.type(b"\x1b")
    expect(problems, run.read_until(SENSORS_CLOSING_PROMPT), "Esc alone did not end the monitor")
    expect(problems, run.output.count(TABLE_END) == 5, "the monitor went on after Esc")
    run.type(DOWN)
    return 0


def sensors_ctrl_z(run, problems):
    """Ctrl+Z in key mode: the operator's settings while stopped, key mode
    again after fg."""
    expect(problems, run.read_until(TABLE_END, 2), "the second table never came")
    run.type(b"\x1a")
    expect(problems, run.report("stopped") is not None, "Ctrl+Z did not stop the program")
    expect(problems, termios.tcgetattr(run.slave) == run.before,
           "the operator's settings were not back while stopped")
    tables = run.output.count(TABLE_END)
    os.write(run.commands, b"f")
    expect(problems, run.read_until(TABLE_END, tables + 1), "no table after fg")
    run.type(b"z")
    expect(problems, run.read_until(TABLE_END, tables + 3), "the monitor did not go on")
    expect(problems, b"z" not in run.output, "a key was echoed after fg")
    run.type(b"\x03")
    return 128 + signal.SIGINT


def sgen_keys(run, problems):
    """An arrow answers the start prompt alone, a function key the closing one."""
    expect(problems, run.read_until(START_PROMPT), "never reached the start prompt")
    expect(problems, run.wait_for_key_mode(), "no key mode at the start prompt")
    run.type(UP)
    expect(problems, run.read_until(SGEN_CLOSING_PROMPT), "never reached the closing prompt")
    run.type(F5)
    return 0


def stop_at_prompt(how, status):
    """Ends the run where it waits: the monitor's pass, or the start prompt,
    where the synthesizer is held."""
    def scenario(run, problems):
        waiting = START_PROMPT if run.kind == "sgen" else TABLE_END
        expect(problems, run.read_until(waiting), "never reached its key wait")
        time.sleep(0.3)
        if how == "ctrl-c":
            run.type(b"\x03")
        else:
            os.kill(run.pid, how)
        return status
    return scenario


def hang_up_at(prompt):
    """The terminal goes away where the program waits for a key (the strobe
    is not started then) or for the monitor's Esc. Either way the run ends as
    on SIGHUP, whether or not a SIGHUP follows."""
    def scenario(run, problems):
        if prompt == "closing":
            if run.kind == "sgen":
                expect(problems, run.read_until(START_PROMPT), "never reached the start prompt")
                expect(problems, run.wait_for_key_mode(), "no key mode at the start prompt")
                run.type(b"s")
                expect(problems, run.read_until(SGEN_CLOSING_PROMPT), "no closing prompt")
            else:
                expect(problems, run.read_until(TABLE_END), "the first table never came")
                run.type(b"\x1b")
                expect(problems, run.read_until(SENSORS_CLOSING_PROMPT), "no closing prompt")
        else:
            waiting = START_PROMPT if run.kind == "sgen" else TABLE_END
            expect(problems, run.read_until(waiting), "never reached its key wait")
        expect(problems, run.wait_for_key_mode(), "no key mode where it waits")
        run.hang_up()
        return 128 + signal.SIGHUP
    return scenario


def closed_output(run, problems):
    return 128 + signal.SIGPIPE


# A terminal that went away used to read as a key press: the strobe was
# started and the run ended with status 0, or the monitor polled on forever.
HANG_UPS = {
    "sensors": [("hang-up in the monitor", hang_up_at("monitor"), "ignore"),
                ("hang-up at the closing prompt, SIGHUP passed on", hang_up_at("closing"),
                 "pass on")],
    "sgen": [("hang-up at the start prompt", hang_up_at("start"), "ignore"),
             ("hang-up at the start prompt, SIGHUP passed on", hang_up_at("start"), "pass on"),
             ("hang-up at the closing prompt", hang_up_at("closing"), "ignore")],
}

RUNS = {
    "sensors": [("keys", sensors_keys, False), ("ctrl-z then Ctrl+C", sensors_ctrl_z, False),
                ("SIGTERM", stop_at_prompt(signal.SIGTERM, 128 + signal.SIGTERM), False),
                ("closed output", closed_output, True)],
    "sgen": [("keys", sgen_keys, False),
             ("Ctrl+C", stop_at_prompt("ctrl-c", 128 + signal.SIGINT), False),
             ("SIGTERM", stop_at_prompt(signal.SIGTERM, 128 + signal.SIGTERM), False),
             ("SIGHUP", stop_at_prompt(signal.SIGHUP, 128 + signal.SIGHUP), False),
             ("SIGQUIT", stop_at_prompt(signal.SIGQUIT, 128 + signal.SIGQUIT), False),
             ("closed output", closed_output, True)],
}


def run_once(program, kind, name, scenario, output_closed, hang_up="ignore"):
    run = TerminalRun(program, kind, output_closed, hang_up)
    problems = []
    expected_status = scenario(run, problems)
    problems += run.finish()
    expect(problems, run.status == expected_status,
           f"exit status {run.status}, expected {expected_status}")
    typed = b"z" if kind == "sensors" else b"^["
    expect(problems, typed not in run.output and b"15~" not in run.output, "keys were echoed")
    if kind == "sensors" and not output_closed:
        expect(problems, b"\x1b[2J" in run.output, "the screen was not cleared on a terminal")
    started = any(START_CODE in line for line in run.trace)
    closing_reached = name == "keys" or "closing prompt" in name
    if closing_reached:
        expect(problems, kind == "sensors" or started, "the strobe was not started")
        expect(problems, run.gave_board_back(), "the board was not given back")
    elif expected_status > 0:
        expect(problems, run.gave_board_back(), "the board was not given back")
        expect(problems, not started, "the strobe was started after the run was ended")
        closing = SGEN_CLOSING_PROMPT if kind == "sgen" else SENSORS_CLOSING_PROMPT
        expect(problems, closing not in run.output, "the closing prompt was printed")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--kind", required=True, choices=sorted(FILES))
    options = parser.parse_args()
    failed = 0
    runs = [(name, scenario, output_closed, "ignore")
            for name, scenario, output_closed in RUNS[options.kind]]
    runs += [(name, scenario, False, hang_up) for name, scenario, hang_up in HANG_UPS[options.kind]]
    for name, scenario, output_closed, hang_up in runs:
        problems = run_once(os.path.abspath(options.program), options.kind, name, scenario,
                            output_closed, hang_up)
        verdict = "ok" if not problems else "FAIL: " + "; ".join(problems)
        print(f"{options.kind} ended by {name}: {verdict}", flush=True)
        failed += bool(problems)
    print(f"{len(runs) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
