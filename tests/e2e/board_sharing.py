#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
"""Two programs on one board through one board server (kel_server serving
the simulated library), with the fixtures of sharing/: a board that has the
synthesizer (BASEDDS0) and the system monitor (SYSMON0); demo_sgen waits for
a key, holding BASEDDS0, before it starts its strobe; demo_sensors watches
until Esc.

  board_sharing.py --bin BUILD/bin --case NAME

Each case starts its own server on a port the system chooses and checks the
programs' outputs, statuses and the server's give-back. The runs of a
program that must not wait are compared with a direct run on the simulated
library in-process.
"""
import argparse
import datetime
import json
import os
import queue
import random
import re
import select
import signal
import socket
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_scenario import board_server, run_plan  # noqa: E402

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sharing")
# Both programs let a capture wait this long for a busy service.
CAPTURE_TIMEOUT_SECONDS = 10
# The server lets a client go that said nothing for this long.
SILENCE_LIMIT_SECONDS = 5
# Far above any wait of a case on a loaded machine.
LIMIT_SECONDS = 120
ESC = b"\x1b"
# The local time at the head of each of the server's log lines.
LOG_TIME = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d"


class sharing:
    started = []  # every process a case started

    def __init__(self, binaries, root, *server_options):
        self.binaries = binaries
        self.directory = os.path.join(root, "work")
        shutil.copytree(FIXTURES, self.directory)
        self.trace = os.path.join(root, "trace.txt")
        plan = run_plan()
        plan.directory = self.directory
        plan.environment = dict(os.environ, KEL_SIM_TRACE=self.trace)
        self.plan = plan
        self.server = board_server(os.path.join(binaries, "kel_server"), plan, *server_options)
        sharing.started.append(self.server.process)
        self.client = self.server.client_plan(plan, os.path.join(binaries, "remote"))

    def start(self, program, *arguments):
        process = subprocess.Popen([os.path.join(self.binaries, program), *arguments],
                                   cwd=self.directory, env=self.client.environment,
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        sharing.started.append(process)
        return process

    def run(self, program, *arguments, keys=b"", environment=None):
        started = time.monotonic()
        run = subprocess.run([os.path.join(self.binaries, program), *arguments],
                             cwd=self.directory, env=environment or self.client.environment,
                             input=keys, capture_output=True, timeout=LIMIT_SECONDS)
        return run, time.monotonic() - started

    def wait_for_trace(self, text):
        deadline = time.monotonic() + LIMIT_SECONDS
        while time.monotonic() < deadline:
            if os.path.exists(self.trace) and text in open(self.trace, encoding="utf-8").read():
                return
            time.sleep(0.05)
        raise AssertionError(f"the trace never showed {text!r}")

    def restart_server(self, away_seconds, *options):
        """Kills the server and, after away_seconds, starts another on its
        port with options: the monotonic times of the kill and of the new
        one listening."""
        killed = time.monotonic()
        self.server.process.kill()
        self.server.process.communicate()
        time.sleep(away_seconds)
        self.server = board_server(os.path.join(self.binaries, "kel_server"), self.plan,
                                   "--listen", self.server.address, *options)
        sharing.started.append(self.server.process)
        return killed, time.monotonic()

    def stop(self):
        status, log = self.server.stop()
        check(status == 0, f"kel_server ended with status {status} after SIGTERM")
        log = log.decode("utf-8", "replace")
        check_timed(log)
        return log


def check_timed(log):
    """Every line of the server's own begins with its time (the simulated
    library's lines, "KEL: ...", are its own)."""
    for line in log.splitlines():
        if "kel_server: " in line:
            check(re.match(LOG_TIME + " kel_server: ", line), f"a log line without its time: {line!r}")


def direct(binaries, root, program, *arguments):
    """The program's output on the simulated library in its own process."""
    directory = os.path.join(root, "direct")
    shutil.copytree(FIXTURES, directory, dirs_exist_ok=True)
    run = subprocess.run([os.path.join(binaries, program), *arguments], cwd=directory,
                         stdin=subprocess.DEVNULL, capture_output=True, timeout=LIMIT_SECONDS)
    return without_handles(run.stdout)


def without_handles(output):
    """demo_sgen prints the handle BASEFMC0 got, which depends on what other
    clients captured before."""
    return re.sub(rb"SHARED \(\d+\)", b"SHARED (handle)", output)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def finish(process, keys=b""):
    out, err = process.communicate(keys, timeout=LIMIT_SECONDS)
    return process.returncode, out, err


def holder(share):
    """demo_sgen holding BASEDDS0 while it waits for the key that starts its strobe."""
    first = share.start("demo_sgen")
    share.wait_for_trace('"BASEDDS0", 10000) = 257')
    return first


def monitor_beside_synthesizer(binaries, root):
    share = sharing(binaries, root)
    monitor = share.start("demo_sensors")
    share.wait_for_trace('"SYSMON0", 10000) = 257')
    sgen, _ = share.run("demo_sgen", "-q")
    alone = direct(binaries, root, "demo_sgen", "-q")
    check(sgen.returncode == 0 and without_handles(sgen.stdout) == alone,
          f"demo_sgen beside the monitor printed otherwise:\n{sgen.stdout.decode()}")
    status, out, _ = finish(monitor, ESC)
    check(status == 0 and "Temp:" in out.decode("utf-8"), "the monitor did not watch and end")
    trace = open(share.trace, encoding="utf-8").read()
    check(trace.count("KEL_init(") == 1, "the library was started more than once")
    check(trace.rstrip().endswith("KEL_cleanup() = 0x0"), "the last client did not shut it down")
    share.stop()


def second_waits_then_gets_it(binaries, root):
    share = sharing(binaries, root)
    first = holder(share)
    second = share.start("demo_sgen", "-q")
    time.sleep(1)
    check(second.poll() is None, "the second demo_sgen did not wait for BASEDDS0")
    status, _, _ = finish(first, b"  ")
    check(status == 0, f"the holder ended with status {status}")
    status, out, _ = finish(second)
    alone = direct(binaries, root, "demo_sgen", "-q")
    check(status == 0 and without_handles(out) == alone,
          f"the second demo_sgen did not get BASEDDS0:\n{out.decode()}")
    share.stop()


def second_times_out(binaries, root):
    share = sharing(binaries, root)
    first = holder(share)
    second, seconds = share.run("demo_sgen", "-q")
    check(CAPTURE_TIMEOUT_SECONDS - 0.5 <= seconds < CAPTURE_TIMEOUT_SECONDS + 5,
          f"the second demo_sgen gave up after {seconds:.1f} s")
    check(b"BASEDDS0 Capture mode" in second.stdout
          and b"KELctrl_DDS_SETMASTER" not in second.stdout,
          f"the second demo_sgen went on without BASEDDS0:\n{second.stdout.decode()}")
    status, _, _ = finish(first, b"  ")
    check(status == 0, f"the holder ended with status {status}")
    log = share.stop()
    check(re.search(r'client 2 \("demo_sgen\[\d+\]", 127\.0\.0\.1\) was refused BASEDDS0 '
                    r'\(exclusive\) at its timeout of 10000 ms\n', log)
          and re.search(r"client 2 \(.*\) left after KEL_cleanup\n", log),
          f"the server's log:\n{log}")


def status_query(binaries, address, *options, **environment):
    """kel_server --status: its run and how long it took."""
    started = time.monotonic()
    run = subprocess.run([os.path.join(binaries, "kel_server"), "--status", address, *options],
                         stdin=subprocess.DEVNULL, capture_output=True, timeout=LIMIT_SECONDS,
                         env=dict(os.environ, **environment))
    return run, time.monotonic() - started


def status_with_three_programs(binaries, root):
    """A monitor holding SYSMON0, a demo_sgen holding BASEDDS0 and a second
    one waiting for it: --status and --status --json name each with its
    holdings and its wait, within a second while the capture waits; the
    query is no client of its own; the log says who waited for whom and
    how the wait ended."""
    share = sharing(binaries, root)
    monitor = share.start("demo_sensors")
    share.wait_for_trace('"SYSMON0", 10000) = ')
    first = share.start("demo_sgen")
    share.wait_for_trace('"BASEDDS0", 10000) = ')
    second = share.start("demo_sgen", "-q")
    deadline = time.monotonic() + LIMIT_SECONDS
    while True:
        run, seconds = status_query(binaries, share.server.address, "--json")
        check(run.returncode == 0 and seconds < 1,
              f"--status --json: status {run.returncode} after {seconds:.1f} s: {run.stderr!r}")
        answer = json.loads(run.stdout)
        if len(answer["clients"]) == 3 and answer["clients"][2]["waiting"]:
            break
        check(time.monotonic() < deadline, f"the second demo_sgen never waited: {answer}")
        time.sleep(0.1)
    text, seconds = status_query(binaries, share.server.address)
    check(text.returncode == 0 and seconds < 1 and not text.stderr,
          f"--status: status {text.returncode} after {seconds:.1f} s: {text.stderr!r}")
    print(text.stdout.decode(), end="")
    names = [client["name"] for client in answer["clients"]]
    check(re.fullmatch(r"demo_sensors\[\d+\]", names[0])
          and all(re.fullmatch(r"demo_sgen\[\d+\]", name) for name in names[1:]),
          f"the clients' names: {names}")
    held = [[(capture["service"], capture["mode"]) for capture in client["captures"]]
            for client in answer["clients"]]
    waiting = [[(wait["service"], wait["mode"]) for wait in client["waiting"]]
               for client in answer["clients"]]
    check(held == [[("SYSMON0", "shared")], [("BASEDDS0", "exclusive")], []]
          and waiting == [[], [], [("BASEDDS0", "exclusive")]]
          and [client["number"] for client in answer["clients"]] == [1, 2, 3]
          and all(client["address"] == "127.0.0.1" for client in answer["clients"])
          and answer["library"].endswith("libKEL.so") and answer["uptime_seconds"] >= 0,
          f"--status --json: {answer}")
    for client in answer["clients"]:
        for moment in [client["connected"]] + [entry["since"] for entry in
                                               client["captures"] + client["waiting"]]:
            check(re.fullmatch(LOG_TIME, moment), f"not an ISO 8601 time: {moment!r}")
    lines = text.stdout.decode().splitlines()
    for number, name in enumerate(names, 1):
        check(any(line.startswith(f'client {number}  "{name}"  from 127.0.0.1') for line in lines),
              f"--status does not name client {number}:\n{text.stdout.decode()}")
    check(re.search(r"holds +SYSMON0 .*\(shared\)", text.stdout.decode())
          and re.search(r"holds +BASEDDS0 .*\(exclusive\)", text.stdout.decode())
          and re.search(r"waits for BASEDDS0 .*\(exclusive\)", text.stdout.decode()),
          f"--status:\n{text.stdout.decode()}")
    status, _, _ = finish(first, b"  ")
    check(status == 0, f"the holder ended with status {status}")
    status, out, _ = finish(second)
    check(status == 0 and b"KELctrl_DDS_STARTSTROBE" in out,
          f"the waiting demo_sgen did not get BASEDDS0:\n{out.decode()}")
    status, _, _ = finish(monitor, ESC)
    check(status == 0, f"the monitor ended with status {status}")
    log = share.stop()
    label = r'client %d \("%s", 127\.0\.0\.1\)'
    first_label, second_label = (label % (number, re.escape(names[number - 1]))
                                 for number in (2, 3))
    check(re.search(second_label + r" waits for BASEDDS0 \(exclusive\), held by " + first_label +
                    r" since \d\d:\d\d:\d\d\n", log)
          and re.search(second_label + r" got BASEDDS0 \(exclusive\) after \d+ ms\n", log)
          and log.count(" waits for ") == 1 and "client 4" not in log,
          f"the server's log:\n{log}")


def status_from_no_board_server(binaries, root):
    """--status where no board server answers: nothing listening, a listener
    that says nothing, one that sends what no board server sends: one line
    on standard error, status 1, within the deadline."""
    with socket.socket() as unused:
        unused.bind(("127.0.0.1", 0))
        nothing = "127.0.0.1:%d" % unused.getsockname()[1]
    silent = socket.create_server(("127.0.0.1", 0))  # accepted by the system, never read
    garbage = socket.create_server(("127.0.0.1", 0))

    def answer_garbage():
        connection, _ = garbage.accept()
        connection.sendall(b"HTTP/1.1 400 Bad Request\r\n\r\n")
        time.sleep(LIMIT_SECONDS)

    threading.Thread(target=answer_garbage, daemon=True).start()
    address = "127.0.0.1:%d"
    cases = ((nothing, {}, "cannot connect: Connection refused", 1),
             (address % silent.getsockname()[1], {"KEL_SERVER_TIMEOUT_MS": "1000"},
              "no answer within 1000 ms", 1 + 2),
             (address % garbage.getsockname()[1], {}, "not a board server", 5))
    for server, environment, expected, limit in cases:
        run, seconds = status_query(binaries, server, **environment)
        lines = run.stderr.decode("utf-8", "replace").splitlines()
        check(run.returncode == 1 and not run.stdout and len(lines) == 1 and seconds < limit
              and lines[0].startswith(f"kel_server: no status from {server}: ")
              and expected in lines[0],
              f"--status {server}: status {run.returncode} after {seconds:.1f} s: {lines}")


def killed_holder_given_back(binaries, root):
    share = sharing(binaries, root)
    first = holder(share)
    first.kill()
    first.communicate()
    second, seconds = share.run("demo_sgen", "-q")
    check(second.returncode == 0 and b"KELctrl_DDS_STARTSTROBE" in second.stdout,
          f"BASEDDS0 was not given back:\n{second.stdout.decode()}")
    check(seconds < 3, f"the second demo_sgen waited {seconds:.1f} s")
    log = share.stop()
    check("released BASEDDS0 (257)" in log, f"the server's log:\n{log}")


def server_stopped_under_a_holder(binaries, root):
    share = sharing(binaries, root)
    first = holder(share)
    log = share.stop()
    check("released BASEDDS0 (257)" in log and "shut the library down" in log,
          f"the server's log:\n{log}")
    status, out, err = finish(first, b"  ")
    address = share.server.address
    lines = err.decode("utf-8").splitlines()
    check(len(lines) == 1 and lines[0].startswith(
        f"KEL remote library: board server {address} (KEL_SERVER) went away ("),
        f"the holder's standard error:\n{err.decode()}")
    check(status == 0, f"the holder ended with status {status}")


def captures_in(trace, service):
    return len(re.findall(r'KEL_capture\(\d+, 0, \d+, "%s", \d+\) = \d+' % service, trace))


def server_restarted_under_a_monitor(binaries, root):
    """The server killed under a logging monitor and a holder, and started
    again on its port 3 s later: the monitor logs failed reads (never
    invented ones) while it is away and real readings again within two
    seconds of its return, and gives the board back at Esc; the holder's
    BASEDDS0, which another program took meanwhile, is named as lost. Each
    says once that the server went away and once that the session resumed."""
    share = sharing(binaries, root)
    with open(os.path.join(share.directory, "demo_sensors.ini"), "a", encoding="utf-8") as ini:
        ini.write("LogFile=readings.csv\n")
    log_path = os.path.join(share.directory, "readings.csv")
    first = holder(share)
    # SYSMON0 is 258 on the first server, 257 on the second, where the
    # monitor is the first to capture.
    monitor = share.start("demo_sensors")

    def rows():
        with open(log_path, encoding="utf-8") as log:
            lines = log.read().splitlines()[1:]
        # A row is (the time it was logged, whether it holds real readings, the line).
        return [(time.monotonic() - (time.time() - datetime.datetime.fromisoformat(
            line.split(",")[0]).timestamp()), line.split(",")[1] != "" and line.endswith(","),
            line) for line in lines]

    def wait_for_rows(condition, what):
        deadline = time.monotonic() + LIMIT_SECONDS
        while time.monotonic() < deadline:
            if os.path.exists(log_path) and condition(rows()):
                return
            time.sleep(0.1)
        raise AssertionError(f"the monitor's log never had {what}")

    wait_for_rows(lambda logged: len(logged) >= 2, "two rows")
    killed, back = share.restart_server(3)
    wait_for_rows(lambda logged: logged[-1][1] and logged[-1][0] > back, "readings again")
    # The holder's session comes back only with its next call: another
    # program takes BASEDDS0 first.
    other = share.start("demo_sgen")
    deadline = time.monotonic() + LIMIT_SECONDS
    while captures_in(open(share.trace, encoding="utf-8").read(), "BASEDDS0") < 2:
        check(time.monotonic() < deadline, "the other demo_sgen never took BASEDDS0")
        time.sleep(0.05)
    status, _, holder_err = finish(first, b"  ")
    check(status == 0, f"the holder ended with status {status}")
    finish(other, b"  ")
    time.sleep(1)
    status, _, monitor_err = finish(monitor, ESC)
    check(status == 0, f"the monitor ended with status {status}")
    logged = rows()
    before = [row for row in logged if row[0] < killed]
    away = [row for row in logged if not row[1]]
    after = [row for row in logged if row[0] > back]
    print("before:", *[row[2] for row in before[-2:]], sep="\n  ")
    print("while away:", *[row[2] for row in away], sep="\n  ")
    print("after:", *[row[2] for row in after[:3]], sep="\n  ")
    check(before and all(row[1] for row in before), "no real readings before the restart")
    check(away and all(re.search(r",temperature:0xC0000120;", row[2]) for row in away),
          "the rows while the server was away are not failed reads")
    real_again = [row[0] for row in after if row[1]]
    check(real_again and real_again[0] - back < 2 and all(row[1] for row in after
                                                          if row[0] > real_again[0]),
          "the readings did not come back within two seconds of the server")
    name = f"board server {share.server.address} (KEL_SERVER)"
    went_away = f"KEL remote library: {name} went away ("
    resumed = f"KEL remote library: session with {name} resumed"
    lines = monitor_err.decode("utf-8").splitlines()
    check(len(lines) == 2 and lines[0].startswith(went_away) and lines[1] == resumed,
          f"the monitor's standard error:\n{monitor_err.decode()}")
    print(f"readings again {real_again[0] - back:.1f} s after the server's return; monitor:",
          *lines, sep="\n  ")
    lines = holder_err.decode("utf-8").splitlines()
    check(len(lines) == 3 and lines[0].startswith(went_away) and lines[1] == resumed and
          lines[2].startswith("KEL remote library: BASEDDS0 (handle 257) could not be captured "
                              "again (0xC000010B"),
          f"the holder's standard error:\n{holder_err.decode()}")
    print("holder:", *lines, sep="\n  ")
    trace = open(share.trace, encoding="utf-8").read()
    check(trace.rstrip().endswith("KEL_cleanup() = 0x0") and "KEL_release(" in trace.split(
        "KEL_init(")[-1], "the monitor did not give the board back")
    share.stop()


def next_line(pipe, pending):
    """The next whole line a program writes to pipe, within LIMIT_SECONDS,
    or None; pending (a bytearray) keeps what came after it."""
    deadline = time.monotonic() + LIMIT_SECONDS
    while b"\n" not in pending:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([pipe], [], [], left)[0]:
            return None
        chunk = os.read(pipe.fileno(), 4096)
        if not chunk:
            return None
        pending += chunk
    line = pending[:pending.index(b"\n")]
    del pending[:len(line) + 1]
    return line.decode("utf-8", "replace")


def restarted_with_another_token(binaries, root):
    """The server started again with another token under a monitor, then
    with its own: the monitor says once that the server refused to take the
    session back, however often it tries, and resumes with the right one."""
    token = token_file(root, "token", os.urandom(32).hex())
    other = token_file(root, "other", os.urandom(32).hex())
    share = sharing(binaries, root, "--token-file", token)
    share.client.environment["KEL_TOKEN_FILE"] = token
    monitor = share.start("demo_sensors")
    share.wait_for_trace('"SYSMON0", 10000) = ')
    name = f"board server {share.server.address} (KEL_SERVER)"
    pending = bytearray()
    share.restart_server(0, "--token-file", other)
    lines = [next_line(monitor.stderr, pending), next_line(monitor.stderr, pending)]
    # It tries again every second: two more refusals, which say nothing new.
    time.sleep(2.5)
    share.restart_server(0, "--token-file", token)
    lines.append(next_line(monitor.stderr, pending))
    status, _, rest = finish(monitor, ESC)
    check(status == 0 and not pending and not rest and lines[0] is not None and
          lines[0].startswith(f"KEL remote library: {name} went away (") and
          lines[1] == f"KEL remote library: {name} is back but refused the session (the server "
          "refused authentication); calls fail while it does" and
          lines[2] == f"KEL remote library: session with {name} resumed",
          f"the monitor ended with status {status}, standard error: {lines} then "
          f"{bytes(pending) + rest!r}")
    share.stop()


def recordings_per_client(binaries, root):
    """--record DIR: each program's session in a recording of its own, which
    replays that program's run on the simulated library alone."""
    recordings = os.path.join(root, "recordings")
    os.mkdir(recordings)
    share = sharing(binaries, root, "--record", recordings)
    sgen, _ = share.run("demo_sgen", "-q")
    sensors, _ = share.run("demo_sensors", keys=ESC)
    share.stop()
    for number, program, arguments, keys, live in ((1, "demo_sgen", ["-q"], b"", sgen),
                                                   (2, "demo_sensors", [], ESC, sensors)):
        recording = os.path.join(recordings, f"client-{number}.kelrec")
        text = open(recording, encoding="utf-8").read()
        check(f'# client {number}: "{program}[' in text
              and re.search("# from 127.0.0.1 at " + LOG_TIME + "\n", text),
              f"{recording} names no client, address or time:\n{text}")
        replay = dict(os.environ, KEL_REPLAY=recording)
        again, _ = share.run(program, *arguments, keys=keys, environment=replay)
        check(again.returncode == 0 and again.stdout == live.stdout and not again.stderr,
              f"{program} replayed from {recording} ran otherwise:\n{again.stderr.decode()}")
    # Regression: a server started again on the same directory wrote its
    # first client's recording over the earlier run's client-1.kelrec.
    earlier = open(os.path.join(recordings, "client-1.kelrec"), "rb").read()
    share = sharing(binaries, os.path.join(root, "again"), "--record", recordings)
    share.run("demo_sgen", "-q")
    log = share.stop()
    check(open(os.path.join(recordings, "client-1.kelrec"), "rb").read() == earlier,
          "a new run wrote over an earlier run's recording")
    check(f"recorded to {recordings}/client-1-2.kelrec" in log
          and os.path.exists(os.path.join(recordings, "client-1-2.kelrec")),
          f"the new run's recording is not beside the earlier one:\n{log}")


def unreachable_servers(binaries, root):
    """No server, and a server that stops answering: the program ends within
    the deadline, and one line on standard error names the server (and one
    a deadline setting it cannot use)."""
    with socket.socket() as unused:
        unused.bind(("127.0.0.1", 0))
        address = "127.0.0.1:%d" % unused.getsockname()[1]
    directory = os.path.join(root, "alone")
    shutil.copytree(FIXTURES, directory)
    # A deadline that is no number of milliseconds is named, not silently replaced.
    environment = dict(os.environ, KEL_SERVER=address, KEL_SERVER_TIMEOUT_MS="5s",
                       LD_LIBRARY_PATH=os.path.join(binaries, "remote"))
    sgen = os.path.join(binaries, "demo_sgen")
    run = subprocess.run([sgen, "-q"], cwd=directory, env=environment, capture_output=True,
                         timeout=LIMIT_SECONDS)
    check(run.stderr.decode() ==
          "KEL remote library: KEL_SERVER_TIMEOUT_MS='5s' is not a number of milliseconds from "
          "1 to 86400000; using 5000\n"
          f"KEL remote library: board server {address} (KEL_SERVER): cannot connect: "
          "Connection refused\n", f"standard error without a server:\n{run.stderr.decode()}")
    share = sharing(binaries, root)
    share.server.process.send_signal(signal.SIGSTOP)
    try:
        started = time.monotonic()
        run = subprocess.run([sgen, "-q"], cwd=directory, capture_output=True,
                             env=dict(share.client.environment, KEL_SERVER_TIMEOUT_MS="500"),
                             timeout=LIMIT_SECONDS)
        seconds = time.monotonic() - started
    finally:
        share.server.process.send_signal(signal.SIGCONT)
    check(seconds < 5, f"demo_sgen waited {seconds:.1f} s for a stopped server")
    check(run.stderr.decode() ==
          f"KEL remote library: board server {share.server.address} (KEL_SERVER): "
          "no answer within 500 ms\n",
          f"standard error with a stopped server:\n{run.stderr.decode()}")
    share.stop()


def token_file(root, name, text, mode=0o600):
    """A token file of that mode, whatever the umask."""
    path = os.path.join(root, name)
    with open(path, "w", encoding="utf-8") as file:
        file.write(text)
    os.chmod(path, mode)
    return path


def server_refusals(binaries, root):
    """kel_server refuses at start to listen where other hosts reach it
    without a token, a token file that is missing, empty, too short, open to
    others or a FIFO (at once, without waiting for a writer), and a
    recordings' folder or metrics file it cannot write: one line on standard error, status
    1. --help and --version answer on standard output. A program whose
    KEL_TOKEN_FILE names a FIFO or standard input ends promptly with its
    line."""
    server = os.path.join(binaries, "kel_server")
    fifo = os.path.join(root, "fifo")
    os.mkfifo(fifo, 0o600)
    cases = (
        (["--listen", "0.0.0.0:0"], "needs --token-file", b""),
        # A host name that looks like a loopback address is judged by what
        # it resolves to: here nothing.
        (["--listen", "127.0.0.1.example.invalid:0"], "cannot resolve the address", b""),
        (["--record", os.path.join(root, "no-such-folder")], "cannot write recordings in", b""),
        (["--metrics-file", os.path.join(root, "no-such-folder", "kel_board.prom")],
         "cannot write the metrics file", b""),
        (["--token-file", os.path.join(root, "no-such-token")], "cannot read the token file", b""),
        (["--token-file", token_file(root, "empty", " \n")], "holds no token", b""),
        (["--listen", "0.0.0.0:0", "--token-file", token_file(root, "shared", "x\n", 0o644)],
         "is open to others than its owner", b""),
        (["--token-file", fifo], "is a FIFO, socket or device", b""),
        # "-" reads standard input, where a script pipes the token.
        (["--token-file", "-"], "the token on standard input is shorter than 128 bits",
         b"6b3c0e9d2a41f8577e1d\n"),
        # A folder is no log file, nor is a file in a folder that is missing.
        (["--log-file", root], "cannot append to the log file", b""),
        (["--log-file", os.path.join(root, "missing", "server.log")],
         "cannot append to the log file", b""),
        (["--install-service"], "for Windows only", b""),
    )
    for options, expected, given in cases:
        started = time.monotonic()
        run = subprocess.run([server, "--listen", "127.0.0.1:0", *options], input=given,
                             capture_output=True, timeout=LIMIT_SECONDS)
        seconds = time.monotonic() - started
        lines = run.stderr.decode("utf-8", "replace").splitlines()
        check(run.returncode == 1 and len(lines) == 1 and expected in lines[0] and not run.stdout
              and seconds < 10,
              f"kel_server {' '.join(options)}: status {run.returncode} after {seconds:.1f} s, "
              f"{lines}")
    directory = os.path.join(root, "alone")
    shutil.copytree(FIXTURES, directory)
    for named, expected in ((fifo, f"the token file '{fifo}' is a FIFO"),
                            ("-", "KEL_TOKEN_FILE=- names standard input")):
        started = time.monotonic()
        run = subprocess.run([os.path.join(binaries, "demo_sgen"), "-q"], cwd=directory,
                             env=dict(os.environ, KEL_TOKEN_FILE=named,
                                      LD_LIBRARY_PATH=os.path.join(binaries, "remote")),
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=LIMIT_SECONDS)
        seconds = time.monotonic() - started
        lines = run.stderr.decode("utf-8", "replace").splitlines()
        check(seconds < 10 and len(lines) == 1 and expected in lines[0],
              f"demo_sgen with KEL_TOKEN_FILE={named}: {seconds:.1f} s, {lines}")
    # The command line: every option of the usage line has its help line;
    # an argument at fault is named.
    runs = {option: subprocess.run([server, option], stdin=subprocess.DEVNULL,
                                   capture_output=True, timeout=LIMIT_SECONDS)
            for option in ("--help", "--version", "--no-such-option", "--listen")}
    usage, *helps = runs["--help"].stdout.decode().splitlines()
    options = re.findall(r"\[(--[a-z-]+)", usage)
    check(runs["--help"].returncode == 0 and len(options) == len(helps) >= 6 and
          all(help.split()[0] == option for option, help in zip(options, helps)),
          f"kel_server --help:\n{runs['--help'].stdout.decode()}")
    check(runs["--version"].returncode == 0 and
          re.fullmatch(rb"kel_server kel-board-demos \d+\.\d+\.\d+\n", runs["--version"].stdout),
          f"kel_server --version: {runs['--version'].stdout!r}")
    for option in ("--no-such-option", "--listen"):
        named = runs[option].stderr.decode().splitlines()[:1] or [""]
        check(runs[option].returncode == 1 and not runs[option].stdout and option in named[0],
              f"kel_server {option}: {runs[option].returncode}, {runs[option].stderr!r}")


def token_holders_only(binaries, root):
    """A server with a token: a program with the right one runs as it does
    alone; with a wrong one or none it is refused before any call reaches
    the library, with one line that says only that."""
    token = token_file(root, "token", "  6b3c0e9d2a41f8577e1d0f1e2d3c4b5a6978\n")
    share = sharing(binaries, root, "--token-file", token)
    alone = direct(binaries, root, "demo_sgen", "-q")
    right, _ = share.run("demo_sgen", "-q",
                         environment=dict(share.client.environment, KEL_TOKEN_FILE=token))
    check(right.returncode == 0 and without_handles(right.stdout) == alone and not right.stderr,
          f"demo_sgen with the token ran otherwise:\n{right.stderr.decode()}")
    refusal = (f"KEL remote library: board server {share.server.address} (KEL_SERVER): "
               "the server refused authentication\n")
    wrong = token_file(root, "wrong", "6b3c0e9d2a41f8577e1d0f1e2d3c4b5a6979")
    for environment in (dict(share.client.environment, KEL_TOKEN_FILE=wrong),
                        share.client.environment):
        refused, _ = share.run("demo_sgen", "-q", environment=environment)
        check(refused.stderr.decode() == refusal and b"SHARED" not in refused.stdout,
              f"demo_sgen without the token: {refused.stderr.decode()!r}")
    shared = token_file(root, "shared", "6b3c0e9d2a41f8577e1d0f1e2d3c4b5a6978", 0o644)
    refused, _ = share.run("demo_sgen", "-q",
                           environment=dict(share.client.environment, KEL_TOKEN_FILE=shared))
    check(b"open to others than its owner" in refused.stderr,
          f"a token file open to others was used:\n{refused.stderr.decode()}")
    # The status query is authenticated as a client is.
    query = [os.path.join(binaries, "kel_server"), "--status", share.server.address]
    refused = subprocess.run(query, capture_output=True, timeout=LIMIT_SECONDS)
    answered = subprocess.run([*query, "--token-file", token], capture_output=True,
                              timeout=LIMIT_SECONDS)
    check(refused.returncode == 1 and not refused.stdout and refused.stderr.decode() ==
          f"kel_server: no status from {share.server.address}: the server refused "
          "authentication\n" and answered.returncode == 0 and b"no clients" in answered.stdout,
          f"--status with and without the token: {refused!r} {answered!r}")
    log = share.stop()
    trace = open(share.trace, encoding="utf-8").read()
    check(trace.count("KEL_init(") == 1, f"a refused client reached the library:\n{trace}")
    check(re.search(r'connection from 127\.0\.0\.1 \("demo_sgen\[\d+\]"\) refused: '
                    r'authentication failed\n', log)
          and "refused: authentication failed (no proof: " in log
          and '", 127.0.0.1) arrived' in log, f"the server's log:\n{log}")


def log_destinations(binaries, root):
    """--log-file: the log appended to the file, nothing on standard error;
    lines timed in the local zone, except on the journal's stream, which
    times them itself (JOURNAL_STREAM inherited by a server whose standard
    error is elsewhere does not count)."""
    def served(stderr, *options, **environment):
        process = subprocess.Popen([os.path.join(binaries, "kel_server"), "--listen",
                                    "127.0.0.1:0", *options], stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=stderr,
                                   env=dict(os.environ, **environment))
        sharing.started.append(process)
        check(process.stdout.readline().startswith(b"listening on "), "kel_server did not start")
        process.send_signal(signal.SIGTERM)
        check(process.wait(timeout=LIMIT_SECONDS) == 0, "kel_server did not stop on SIGTERM")
        stderr.seek(0)
        return stderr.read().decode("utf-8", "replace")

    log_file = os.path.join(root, "server.log")
    with open(log_file, "w", encoding="utf-8") as earlier:
        earlier.write("an earlier run\n")
    journal = open(os.path.join(root, "journal"), "w+b")
    elsewhere = open(os.path.join(root, "elsewhere"), "w+b")
    quiet = open(os.path.join(root, "quiet"), "w+b")
    # A zone east of UTC by a part hour: a wrong offset shows as a wrong moment.
    started = time.time()
    check(served(quiet, "--log-file", log_file, TZ="<+0530>-05:30") == "",
          "kel_server wrote to standard error with --log-file")
    lines = open(log_file, encoding="utf-8").read().splitlines()
    check(lines[0] == "an earlier run" and lines[-1].endswith(" kel_server: stopped"),
          f"the log file was not appended to:\n{lines}")
    check_timed("\n".join(lines[1:]))
    moment = datetime.datetime.fromisoformat(lines[1].split(" ")[0])
    check(moment.utcoffset() == datetime.timedelta(hours=5, minutes=30)
          and started - 1 <= moment.timestamp() <= time.time() + 1,
          f"the log's time is not the local time now: {lines[1]!r}")
    stream = os.fstat(journal.fileno())
    named = f"{stream.st_dev}:{stream.st_ino}"
    on_journal = served(journal, JOURNAL_STREAM=named)
    check(on_journal.splitlines()[-1] == "kel_server: stopped"
          and all(line.startswith("kel_server: ") for line in on_journal.splitlines()),
          f"lines timed on the journal's stream:\n{on_journal}")
    check_timed(served(elsewhere, JOURNAL_STREAM=named))


class slow_link:
    """A TCP relay on loopback that holds every chunk it carries, each way,
    for a one-way delay with jitter before passing it on, in order: the
    latency of a distant network, where the kernel offers no netem."""

    def __init__(self, target, delay_ms, jitter_ms):
        self.target = target.rsplit(":", 1)
        self.delay = (delay_ms - jitter_ms) / 1000, (delay_ms + jitter_ms) / 1000
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.address = "127.0.0.1:%d" % self.listener.getsockname()[1]
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            try:
                near, _ = self.listener.accept()
            except OSError:
                return
            far = socket.create_connection((self.target[0], int(self.target[1])))
            for source, sink in ((near, far), (far, near)):
                held = queue.Queue()
                threading.Thread(target=self.hold, args=(source, held), daemon=True).start()
                threading.Thread(target=self.pass_on, args=(held, sink), daemon=True).start()

    def hold(self, source, held):
        due = 0.0
        while True:
            try:
                chunk = source.recv(65536)
            except OSError:
                chunk = b""
            # Never before an earlier chunk: TCP keeps the order.
            due = max(due, time.monotonic() + random.uniform(*self.delay))
            held.put((due, chunk))
            if not chunk:
                return

    @staticmethod
    def pass_on(held, sink):
        while True:
            due, chunk = held.get()
            time.sleep(max(0.0, due - time.monotonic()))
            try:
                if not chunk:
                    sink.shutdown(socket.SHUT_WR)
                    return
                sink.sendall(chunk)
            except OSError:
                return

    def close(self):
        self.listener.close()


def over_a_slow_link(binaries, root):
    """A link of 100 ms each way (60 to 140 ms): a program runs as on
    loopback, authentication included; a holder idle past the server's
    silence limit is kept (its pings arrive late, not missing); a call
    deadline below the round trip still ends the program on time."""
    token = token_file(root, "token", os.urandom(32).hex())
    share = sharing(binaries, root, "--token-file", token)
    link = slow_link(share.server.address, 100, 40)
    slow = dict(share.client.environment, KEL_SERVER=link.address, KEL_TOKEN_FILE=token)
    try:
        run, seconds = share.run("demo_sgen", "-q", environment=slow)
        alone = direct(binaries, root, "demo_sgen", "-q")
        check(run.returncode == 0 and without_handles(run.stdout) == alone and not run.stderr,
              f"demo_sgen over the slow link ran otherwise:\n{run.stderr.decode()}")
        # About thirty calls, each a round trip of at least 120 ms.
        check(seconds > 3, f"demo_sgen took {seconds:.1f} s: the link was not slow")
        share.client.environment = slow
        first = holder(share)
        time.sleep(SILENCE_LIMIT_SECONDS + 2)
        status, out, err = finish(first, b"  ")
        check(status == 0 and b"KELctrl_DDS_STARTSTROBE" in out and not err,
              f"the idle holder lost the server over the slow link:\n{err.decode()}")
        short = dict(slow, KEL_SERVER_TIMEOUT_MS="100")
        run, seconds = share.run("demo_sgen", "-q", environment=short)
        check(seconds < 5, f"demo_sgen waited {seconds:.1f} s with a 100 ms deadline")
        check(run.stderr.decode() == f"KEL remote library: board server {link.address} "
              "(KEL_SERVER): no answer within 100 ms\n",
              f"standard error with a deadline below the round trip:\n{run.stderr.decode()}")
    finally:
        link.close()
    log = share.stop()
    check("was let go" not in log, f"the server let a client go:\n{log}")


def flood_and_guessing(binaries, root):
    """While connections that never greet flood a server with a token and
    programs with a wrong token guess at it, all from the programs' own
    address: 8 of 8 demo_sgen -q runs with the right token are served, the
    guesses are slowed to the documented rate, and the log counts the flood
    in a line a second instead of a line a connection. Prints the rate."""
    token = token_file(root, "token", os.urandom(32).hex())
    share = sharing(binaries, root, "--token-file", token)
    host, port = share.server.address.rsplit(":", 1)
    wrong = token_file(root, "wrong", os.urandom(32).hex())
    stop = threading.Event()
    opened = [0]
    guesses = []

    def flood():
        held = []
        while not stop.is_set():
            try:
                held.append(socket.create_connection((host, int(port)), timeout=5))
                opened[0] += 1
            except OSError:
                time.sleep(0.01)
            if len(held) >= 200:
                held.pop(0).close()
        for connection in held:
            connection.close()

    def guess():
        environment = dict(share.client.environment, KEL_TOKEN_FILE=wrong)
        while not stop.is_set():
            run, _ = share.run("demo_sgen", "-q", environment=environment)
            guesses.append((time.monotonic(), b"SHARED" in run.stdout))

    workers = [threading.Thread(target=flood) for _ in range(2)]
    workers += [threading.Thread(target=guess) for _ in range(GUESSERS)]
    for worker in workers:
        worker.start()
    try:
        time.sleep(3)  # the guessing reaches its slowest, the flood its height
        environment = dict(share.client.environment, KEL_TOKEN_FILE=token)
        served = 0
        for _ in range(8):
            run, seconds = share.run("demo_sgen", "-q", environment=environment)
            served += run.returncode == 0 and not run.stderr
        measured_from = time.monotonic()
        time.sleep(GUESS_SECONDS)
        answered = sum(1 for at, _ in guesses if at >= measured_from)
    finally:
        stop.set()
        for worker in workers:
            worker.join()
    rate = answered / GUESS_SECONDS
    print(f"{served} of 8 runs served beside {opened[0]} silent connections; "
          f"{rate:.1f} wrong proofs answered a second from {GUESSERS} guessing programs")
    check(served == 8, f"only {served} of 8 runs were served during the flood")
    check(not any(let_in for _, let_in in guesses), "a wrong token was let in")
    check(rate <= GUESSERS / 2 + 1, f"{rate:.1f} guesses a second: not slowed")
    log = share.stop()
    check(log.count("\n") < opened[0] / 2, f"the flood took {log.count(chr(10))} log lines")
    check("more connections refused within a second" in log, f"no tally in the log:\n{log}")


# The guessing programs of flood_and_guessing, and how long their rate is
# measured.
GUESSERS = 16
GUESS_SECONDS = 6


def whole_frames(source):
    """The frames a peer sends, each with its 4-byte length, until it closes."""
    pending = b""
    while True:
        while len(pending) >= 4 and len(pending) >= 4 + int.from_bytes(pending[:4], "little"):
            length = 4 + int.from_bytes(pending[:4], "little")
            yield pending[:length]
            pending = pending[length:]
        try:
            chunk = source.recv(65536)
        except OSError:
            return
        if not chunk:
            return
        pending += chunk


class tampering_relay:
    """A relay on the path between one program and the server: it passes the
    authentication through untouched (hello and proof one way, challenge and
    welcome the other), then does to the program's call number `at` what
    `tamper` says: alter one byte of it, inject a forged message before it,
    replay it, or keep the connection after the program left and send it
    again."""

    PING_BYTES = 4 + 1 + 16  # a sealed ping: header, kind and tag

    def __init__(self, target, tamper, at):
        host, port = target.rsplit(":", 1)
        self.target = host, int(port)
        self.tamper, self.at = tamper, at
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.address = "127.0.0.1:%d" % self.listener.getsockname()[1]
        self.server_left = threading.Event()
        threading.Thread(target=self.relay, daemon=True).start()

    def relay(self):
        near, _ = self.listener.accept()
        far = socket.create_connection(self.target)
        threading.Thread(target=self.down, args=(far, near), daemon=True).start()
        try:
            self.up(near, far)
        except OSError:
            pass

    def down(self, far, near):
        try:
            while chunk := far.recv(65536):
                near.sendall(chunk)
        except OSError:  # a server that ends with bytes unread resets
            pass
        # The program sees the server end its connection.
        try:
            near.shutdown(socket.SHUT_WR)
        except OSError:
            pass
        self.server_left.set()

    def up(self, near, far):
        calls, captured = 0, None
        for number, frame in enumerate(whole_frames(near)):
            if number >= 2 and len(frame) != self.PING_BYTES:
                if calls == self.at:
                    captured = frame
                    if self.tamper == "alter":
                        frame = frame[:20] + bytes([frame[20] ^ 0x01]) + frame[21:]
                    elif self.tamper == "inject":
                        far.sendall(frame[:4] + os.urandom(len(frame) - 4))
                    elif self.tamper == "replay":
                        far.sendall(frame)
                calls += 1
            far.sendall(frame)
        if self.tamper == "linger" and captured:
            far.sendall(captured)  # the program is gone; the server is not told
        else:
            far.shutdown(socket.SHUT_WR)

    def close(self):
        self.listener.close()


def relay_tampering(binaries, root):
    """A server with a token and a relay between program and server that
    passed the authentication through: a call altered, a message injected, a
    call replayed, and a call sent again after the program left each end the
    connection before any of it reaches the library, and the program fails
    with its one line."""
    token = token_file(root, "token", os.urandom(32).hex())
    share = sharing(binaries, root, "--token-file", token)
    alone = direct(binaries, root, "demo_sgen", "-q")
    # demo_sgen's 19th call sets the synthesizer's frequency, once a run (the
    # handle differs between runs).
    at, tampered = 18, ", 0, 0x1802, ["
    for tamper in ("alter", "inject", "replay", "linger"):
        before = os.path.getsize(share.trace) if os.path.exists(share.trace) else 0
        relay = tampering_relay(share.server.address, tamper, at)
        run, _ = share.run("demo_sgen", "-q", environment=dict(
            share.client.environment, KEL_SERVER=relay.address, KEL_TOKEN_FILE=token))
        check(relay.server_left.wait(LIMIT_SECONDS), f"{tamper}: the server kept the relay")
        relay.close()
        with open(share.trace, encoding="utf-8") as trace:
            trace.seek(before)
            served = trace.read()
        if tamper == "linger":
            check(run.returncode == 0 and without_handles(run.stdout) == alone and not run.stderr
                  and served.count(tampered) == 1, f"linger: the library saw:\n{served}")
            continue
        # Neither the tampered call nor any after it was served.
        check(served.count(tampered) == (1 if tamper == "replay" else 0)
              and "0x1804" not in served, f"{tamper}: the library saw:\n{served}")
        check(run.stderr.decode() == f"KEL remote library: board server {relay.address} "
              "(KEL_SERVER) went away (the connection was closed); calls fail until it is "
              "back\n",
              f"{tamper}: standard error:\n{run.stderr.decode()}")
    log = share.stop()
    check(log.count("was let go: a message that does not open under the session's key") == 4,
          f"the server's log:\n{log}")


class network_namespace:
    """A network namespace joined to this one by a veth pair: this side
    10.R.S.1, the namespace's 10.R.S.2, R and S from the process number."""

    def __init__(self):
        number = os.getpid()
        self.name = f"kel-{number}"
        self.outside = f"10.{200 + number % 50}.{number // 50 % 250}.1"
        self.inside = self.outside[:-1] + "2"
        self.link = f"kel{number}a"
        commands = (
            ["ip", "netns", "add", self.name],
            ["ip", "link", "add", self.link, "type", "veth", "peer", "name", f"kel{number}b",
             "netns", self.name],
            ["ip", "addr", "add", self.outside + "/30", "dev", self.link],
            ["ip", "link", "set", self.link, "up"],
            ["ip", "-n", self.name, "addr", "add", self.inside + "/30", "dev", f"kel{number}b"],
            ["ip", "-n", self.name, "link", "set", f"kel{number}b", "up"],
        )
        self.problem = None
        for command in commands:
            run = subprocess.run(command, capture_output=True, timeout=LIMIT_SECONDS)
            if run.returncode != 0:
                self.problem = f"{' '.join(command)}: {run.stderr.decode().strip()}"
                break

    def close(self):
        # Deleting the namespace deletes both ends of the pair.
        subprocess.run(["ip", "netns", "del", self.name], capture_output=True)
        subprocess.run(["ip", "link", "del", self.link], capture_output=True)


def across_a_network(binaries, root):
    """A server listening on a non-loopback address with a token, a program
    in another network namespace: it runs as on loopback; when its network
    drops, the server gives back what it held within seconds."""
    if not shutil.which("ip") or os.geteuid() != 0:
        print("no network namespaces: the test needs root and ip(8)")
        return 77
    net = network_namespace()
    try:
        if net.problem:
            print(f"no network namespaces here: {net.problem}")
            return 77
        token = token_file(root, "token", os.urandom(32).hex())
        share = sharing(binaries, root, "--listen", net.outside + ":0", "--token-file", token)
        inside = ["ip", "netns", "exec", net.name]
        environment = dict(share.client.environment, KEL_TOKEN_FILE=token)
        run = subprocess.run([*inside, os.path.join(binaries, "demo_sgen"), "-q"],
                             cwd=share.directory, env=environment, capture_output=True,
                             timeout=LIMIT_SECONDS)
        alone = direct(binaries, root, "demo_sgen", "-q")
        check(run.returncode == 0 and without_handles(run.stdout) == alone and not run.stderr,
              f"demo_sgen across the network ran otherwise:\n{run.stderr.decode()}")
        monitor = subprocess.Popen([*inside, os.path.join(binaries, "demo_sensors")],
                                   cwd=share.directory, env=environment, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        sharing.started.append(monitor)
        share.wait_for_trace('"SYSMON0", 10000) = ')
        before = os.path.getsize(share.trace) if os.path.exists(share.trace) else 0
        dropped = time.monotonic()
        subprocess.run(["ip", "link", "set", net.link, "down"], check=True)
        while time.monotonic() - dropped < LIMIT_SECONDS:
            with open(share.trace, encoding="utf-8") as trace:
                trace.seek(before)
                if "KEL_release(" in trace.read():
                    break
            time.sleep(0.05)
        seconds = time.monotonic() - dropped
        check(seconds < 10, f"the server gave SYSMON0 back {seconds:.1f} s after the drop")
        log = share.stop()
        check(f", {net.inside}) was let go: no word for 5 s: released SYSMON0" in log,
              f"the server's log:\n{log}")
    finally:
        net.close()
    return 0


def isolation(namespaces, *tools):
    """unshare's prefix for namespaces of their own, or None where they
    cannot be made (they need root, unshare(1) and the tools)."""
    isolated = ["unshare", *namespaces, "--"]
    if any(shutil.which(tool) is None for tool in ("unshare", *tools)) or os.geteuid() != 0 or \
            subprocess.run([*isolated, "true"], capture_output=True).returncode != 0:
        return None
    return isolated


def hosts_file(root, text):
    """A hosts file of a test's own, to bind over /etc/hosts in a mount
    namespace."""
    path = os.path.join(root, "hosts")
    with open(path, "w", encoding="utf-8") as file:
        file.write(text)
    return path

def name_beyond_loopback(binaries, root):
    """A name that the hosts file maps beyond loopback needs the token as
    the address does, "localhost" too, an IPv4 address mapped into IPv6
    too: kel_server in network and mount namespaces of its own, where a
    hosts file of its own is bound over /etc/hosts and 10.77.0.1 is a local
    address. With the token it listens there."""
    isolated = isolation(["--net", "--mount"], "ip")
    if isolated is None:
        print("no network and mount namespaces: the test needs root, unshare(1) and ip(8)")
        return 77
    hosts = hosts_file(root, "10.77.0.1 localhost kel-board-host\n"
                             "::ffff:10.77.0.1 kel-mapped-host\n")
    token = token_file(root, "token", os.urandom(32).hex())

    def server(*options):
        setup = ("ip link set lo up && ip addr add 10.77.0.1/32 dev lo && "
                 f"mount --bind {hosts} /etc/hosts && exec \"$@\"")
        return subprocess.Popen([*isolated, "sh", "-c", setup, "sh",
                                 os.path.join(binaries, "kel_server"), *options],
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)

    for name in ("localhost", "kel-board-host", "kel-mapped-host"):
        process = server("--listen", name + ":0")
        sharing.started.append(process)
        status, out, err = finish(process)
        lines = err.decode("utf-8", "replace").splitlines()
        check(status == 1 and not out and len(lines) == 1 and "needs --token-file" in lines[0],
              f"kel_server --listen {name}:0 without a token: status {status}, {out!r}, {lines}")
    process = server("--listen", "localhost:0", "--token-file", token)
    sharing.started.append(process)
    line = process.stdout.readline().decode("utf-8", "replace")
    process.send_signal(signal.SIGTERM)
    status, _, err = finish(process)
    check(line.startswith("listening on localhost:") and status == 0 and
          b"clients authenticate with the token" in err,
          f"kel_server with the token: {line!r}, status {status}, {err.decode()}")
    return 0


def name_of_two_addresses(binaries, root):
    """A name that the hosts file maps to ::1 and 127.0.0.1, the server
    listening on the one the system's resolver gives last: the program
    connects all the same, as to a lab host's name with IPv6 and IPv4
    addresses and a server on IPv4 alone. The program runs in a mount
    namespace of its own, where a hosts file of its own is bound over
    /etc/hosts."""
    isolated = isolation(["--mount"])
    if isolated is None:
        print("no mount namespaces: the test needs root and unshare(1)")
        return 77
    hosts = hosts_file(root, "::1 kel-two-addresses\n127.0.0.1 kel-two-addresses\n")

    def inside(*command):
        return [*isolated, "sh", "-c", f'mount --bind {hosts} /etc/hosts && exec "$@"', "sh",
                *command]

    lookup = subprocess.run(inside("getent", "ahosts", "kel-two-addresses"), capture_output=True,
                            timeout=LIMIT_SECONDS)
    addresses = list(dict.fromkeys(line.split()[0] for line in lookup.stdout.decode().splitlines()))
    if len(addresses) != 2:
        print(f"the resolver gives {addresses} for kel-two-addresses, not ::1 and 127.0.0.1")
        return 77
    last = addresses[-1]
    share = sharing(binaries, root, "--listen", (f"[{last}]" if ":" in last else last) + ":0")
    port = share.server.address.rsplit(":", 1)[1]
    run = subprocess.run(inside(os.path.join(binaries, "demo_sgen"), "-q"), cwd=share.directory,
                         env=dict(share.client.environment, KEL_SERVER="kel-two-addresses:" + port),
                         capture_output=True, timeout=LIMIT_SECONDS)
    alone = direct(binaries, root, "demo_sgen", "-q")
    check(run.returncode == 0 and without_handles(run.stdout) == alone and not run.stderr,
          f"demo_sgen through a name of {addresses} with the server on {last} ran otherwise: "
          f"status {run.returncode}\n{run.stderr.decode()}")
    share.stop()
    return 0


CASES = {case.__name__: case for case in (monitor_beside_synthesizer, second_waits_then_gets_it,
                                          second_times_out, status_with_three_programs,
                                          status_from_no_board_server, killed_holder_given_back,
                                          server_stopped_under_a_holder,
                                          server_restarted_under_a_monitor, restarted_with_another_token,
                                          recordings_per_client,
                                          unreachable_servers, server_refusals,
                                          token_holders_only, over_a_slow_link, flood_and_guessing,
                                          relay_tampering, across_a_network, name_beyond_loopback,
                                          name_of_two_addresses,
                                          log_destinations)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="the build's bin/ directory")
    parser.add_argument("--case", required=True, choices=sorted(CASES))
    options = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="kel-sharing-") as root:
        try:
            status = CASES[options.case](os.path.abspath(options.bin), root)
        except AssertionError as problem:
            print(f"FAIL: {problem}")
            return 1
        finally:
            # A failed case leaves no server or program behind.
            for process in sharing.started:
                if process.poll() is None:
                    process.kill()
                    process.communicate()
    return status or 0


if __name__ == "__main__":
    sys.exit(main())
