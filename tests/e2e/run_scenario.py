#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
"""Runs one end-to-end scenario: a real program against the simulated board
library, in a fresh working directory, compared byte for byte.

A scenario is a folder:
  args             program arguments, one per line (absent: none)
  stdin            bytes fed as standard input (absent: empty input)
  env              extra environment, KEY=VALUE per line
  workdir          a path below the working directory to run in instead;
                   "@N" makes one whose full path is N bytes long (as long
                   as the program sees it)
  workdir_removed  when present, the working directory is removed once the
                   program has started in it (not run under a launcher:
                   Wine, Valgrind)
  files/           copied into the directory the program runs in, over the
                   shared fixtures of its program (e2e/defaults/<program>/)
  without_defaults when present, the shared fixtures are not copied
  setup            a bash script run there before the program, for what
                   files cannot hold (huge or unreadable files...)
  unprivileged     when present and the tests run as root, the program runs
                   as user nobody, so that file permissions apply to it: a
                   copy of it, in a directory nobody can enter, with every
                   file readable but what the setup takes away
  expected_stdout  the whole standard output
  expected_status  exit status (absent: 0)
  expected_stderr  the whole standard error (absent: not compared); in it
                   {work} stands for the working directory as the program
                   names it
  expected_trace   the library's call trace (absent: not compared)
  expected_files/  files the run must leave in its working directory, each
                   compared with the file of the same path there; in them
                   {timestamp} stands for a local time as the readings log
                   writes it (2026-01-31T23:59:59.123+01:00), and a missing
                   file fails
  about            one line: what the scenario shows (not read by the runner)

With KEL_E2E_UPDATE=1 the expected files are written from the run instead
of compared (each one a comparison would read: the standard output, the
status when it is not 0, standard error, trace and written files when the
scenario has them, the times in written files as {timestamp}): review the
diff before committing it.

With --windows the program is the Windows build, started through --launcher
(wine) and the --key-feeder, and compared with the same expected files. The
differences that belong to the platform are handled in windows_run below and
nowhere else: paths handed to the program in its environment are in Windows
form (a PATH becomes the Windows search path), the deep working directory is as long as Windows sees it, standard
output and error come in text mode (CRLF), and with --text-encoding the
expected texts are turned into that encoding before they are compared. The
expected files are only ever written from a POSIX run.

With --remote the run goes through the remote library of the program's build
(bin/remote/) and a board server. --server-platform names the server's
platform when it is not the program's: a POSIX server for the Windows
program, or a Windows server, started through --server-launcher (wine), for
a POSIX program; the server then gets the paths of its environment and of
the token file in its own form.
"""
import argparse
import contextlib
import copy
import difflib
import grp
import os
import pwd
import re
import shlex
import stat
import shutil
import signal
import subprocess
import sys
import tempfile

# Far above the time of a run on a 2-core machine at a load average of 25:
# about 30 s for a whole scenario, 115 s for the 12 MB option file under
# Valgrind. A run that reaches it hangs.
TIMEOUT_SECONDS = 600
DEFAULTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "defaults")
UNPRIVILEGED = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]
WRITTEN = "expected_files"
TIMESTAMP = "{timestamp}"
TIMESTAMP_PATTERN = rb"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d"


def read(path, default=None):
    if not os.path.exists(path):
        return default
    with open(path, "rb") as handle:
        return handle.read()


def posix_path_length(path):
    """A path's length as a POSIX program counts it: in bytes."""
    return len(os.fsencode(path))


def deep_directory(base, wanted, measure):
    """Creates the directory a workdir file names and returns its path;
    measure gives a path's length as the program sees it."""
    if not wanted.startswith("@"):
        path = os.path.join(base, wanted)
    else:
        length = int(wanted[1:])
        path = base
        # Only ASCII is added: each character adds one to any measure.
        while measure(path) < length:
            step = min(60, length - measure(path) - 1)
            if step < 1:  # one character left: lengthen the previous part instead
                path += "x"
                continue
            path = os.path.join(path, "d" * step)
        assert measure(path) == length, (path, length)
    os.makedirs(path, exist_ok=True)
    return path


def failed(run):
    return run.returncode != 0


class windows_run:
    """The platform differences of a run of the Windows build."""

    def __init__(self, options):
        self.launcher = shlex.split(options.launcher)
        self.feeder = options.key_feeder
        self.encoding = options.text_encoding
        self.scenario = os.path.basename(options.scenario)

    def paths(self, unix_paths):
        """The Windows forms of paths, as the program sees them."""
        if not self.launcher:
            return unix_paths  # started natively: the paths are Windows ones already
        converted = self.start(["winepath", "-w"] + unix_paths, "winepath", failed,
                               capture_output=True)
        if failed(converted):
            raise RuntimeError(f"winepath failed (status {converted.returncode}): "
                               f"{converted.stderr!r}")
        return converted.stdout.decode("utf-8").splitlines()

    def path(self, unix_path):
        return self.paths([unix_path])[0]

    def search_path(self, unix_list):
        """A scenario's PATH (POSIX directories) as the program's search path.
        Wine does not take the Unix PATH into the Windows one; WINEPATH is
        added to it."""
        directories = self.paths([entry for entry in unix_list.split(":") if entry])
        return {"WINEPATH" if self.launcher else "PATH": ";".join(directories)}

    def path_length(self, work):
        """A path's length as the program sees it below work: the Windows
        form adds a drive, and the ANSI code page has one byte a character."""
        added = len(self.path(work)) - len(work)
        return lambda path: len(path) + added

    NOBODY_HOME = "wine-nobody"  # in the run's directory

    def unprivileged_environment(self, root, scratch):
        """Wine refuses a prefix that another user owns, and the server of a
        prefix keeps its directory under the TMPDIR of whoever started it:
        nobody gets a home, a prefix and a TMPDIR (scratch) of its own for
        this run, inside the run's directory, whatever the runner's TMPDIR is
        and whatever other runs on the machine do. The prefix is made before
        the program runs, so that what Wine prints while it makes one never
        reaches a compared output."""
        if not self.launcher:
            return {}
        home = os.path.join(root, self.NOBODY_HOME)
        os.mkdir(home)
        shutil.chown(home, "nobody", "nogroup")
        environment = {"WINEPREFIX": os.path.join(home, "prefix"), "HOME": home,
                       "TMPDIR": scratch}
        made = self.start(UNPRIVILEGED + self.launcher + ["wineboot", "-i"], "wineboot", failed,
                          env=dict(os.environ, **environment), capture_output=True)
        if failed(made):
            raise RuntimeError(f"wineboot as nobody failed (status {made.returncode}): "
                               f"{made.stderr!r}")
        return environment

    def end_unprivileged_server(self, root):
        """Ends the server of nobody's prefix of this run, if there is one,
        and waits for it, so that the run's directory goes with nothing of
        Wine still in it."""
        home = os.path.join(root, self.NOBODY_HOME)
        if not os.path.isdir(home):
            return
        environment = dict(os.environ, WINEPREFIX=os.path.join(home, "prefix"), HOME=home,
                           TMPDIR=os.path.join(root, "tmp"))
        for option in ("-k", "-w"):
            subprocess.run(UNPRIVILEGED + ["wineserver", option], env=environment,
                           capture_output=True)

    def command(self, feeder, program, arguments):
        # The feeder starts the program by the Windows form of its path, as a
        # Windows shell would; that is also what the program gets as argv[0].
        return self.launcher + feeder + [program] + arguments

    # Wine now and then loses a process before it has started (4 starts in
    # 16,000 of a trivial program on a busy machine): its loader ends before
    # any code of the program runs. key_feeder then reports
    # ERROR_INTERNAL_ERROR from CreateProcess; a lost key_feeder prints
    # nothing at all, which no run of either program does; a lost winepath or
    # wineboot fails. Such a run is started again, at most twice, and noted
    # in KEL_WINE_RESTARTS_LOG (see docs/windows.md).
    NOT_STARTED = b"key_feeder: cannot start the program (error 1359)\r\n"
    RESTARTS = 2

    def never_started(self, run):
        return run.stdout == b"" and (run.stderr == b"" or (
            run.stderr == self.NOT_STARTED and run.returncode == 125))

    def start(self, command, what, lost, **arguments):
        """subprocess.run, started again while lost(run) says that Wine lost
        the run before it started."""
        for attempt in range(1 + self.RESTARTS):
            run = subprocess.run(command, **arguments)
            if not lost(run) or attempt == self.RESTARTS:
                return run
            line = (f"run_scenario: {self.scenario}: Wine did not start {what} "
                    f"(status {run.returncode}, standard error {run.stderr!r}); started again\n")
            self.note(line)

    @staticmethod
    def note(line):
        """A line for KEL_WINE_RESTARTS_LOG, which the stage prints at its end."""
        print(line, end="")
        log = os.environ.get("KEL_WINE_RESTARTS_LOG")
        if log:
            with open(log, "a", encoding="utf-8") as handle:
                handle.write(line)

    # Wine's client side prints this of its own when its channel to the wine
    # server fails under one of a process's threads (seen once in some
    # thousands of runs: "wine client error:744: sendmsg: Socket operation on
    # non-socket", the run's output, status and calls otherwise as
    # expected). No Windows program prints it: the line is taken out of
    # standard error and noted, and the rest is compared as it is.
    WINE_OWN_LINE = re.compile(rb"^wine client error:[0-9a-f]+: [^\n]*\n", re.M)

    def without_wine_lines(self, stderr):
        for line in self.WINE_OWN_LINE.findall(stderr):
            self.note(f"run_scenario: {self.scenario}: Wine's own line {line!r} was taken out "
                      "of standard error\n")
        return self.WINE_OWN_LINE.sub(b"", stderr)

    @staticmethod
    def program_text(data):
        # Text mode writes every "\n" as "\r\n"; this undoes exactly that.
        return data.replace(b"\r\n", b"\n")

    def expected_text(self, data):
        if self.encoding is None:
            return data
        return data.decode("utf-8", "surrogateescape").encode(self.encoding, "surrogateescape")


def show_difference(label, expected, actual):
    print(f"--- {label} differs ---")
    lines = difflib.unified_diff(
        expected.decode("utf-8", "backslashreplace").splitlines(keepends=True),
        actual.decode("utf-8", "backslashreplace").splitlines(keepends=True),
        "expected", "actual")
    sys.stdout.writelines(line if line.endswith("\n") else line + "\\ no newline\n"
                          for line in lines)


def reachable_base():
    """A scratch directory that user nobody can enter: the temporary directory
    when every directory above it lets others through, else a system one
    (a checkout or TMPDIR made by mktemp -d is 0700)."""
    for base in (tempfile.gettempdir(), "/tmp", "/var/tmp", "/dev/shm"):
        path = os.path.realpath(base)
        parts = [path]
        while parts[-1] != os.path.dirname(parts[-1]):
            parts.append(os.path.dirname(parts[-1]))
        if os.path.isdir(path) and all(os.stat(part).st_mode & stat.S_IXOTH for part in parts):
            return path
    raise SystemExit("FAIL: no temporary directory that user nobody can enter")


def open_to_others(root):
    """Lets nobody enter every directory, read every file and run every
    program of a run (a build under umask 077 makes them 0700), so that only
    what a scenario's setup takes away is out of its reach."""
    for directory, _, names in os.walk(root):
        os.chmod(directory, os.stat(directory).st_mode | 0o755)
        for name in names:
            path = os.path.join(directory, name)
            mode = os.stat(path).st_mode
            os.chmod(path, mode | 0o444 | (0o111 if mode & stat.S_IXUSR else 0))


def copy_program(program, extra, into):
    """Copies a program with the libraries beside it (and the key feeder)
    to where nobody can run it; the build tree may be out of its reach."""
    os.mkdir(into)
    source = os.path.dirname(program)
    names = [name for name in os.listdir(source)
             if name.startswith("libKEL.so") or name.lower().endswith(".dll")]
    for path in [program] + [os.path.join(source, name) for name in names]:
        shutil.copy2(path, into)
    copies = [os.path.join(into, os.path.basename(path)) for path in [program] + extra]
    for path in extra:
        shutil.copy2(path, into)
    return copies


class run_plan:
    """What one run of a program is: built by prepare_run, the only place
    that makes the working directory and the environment of a run."""

    def __init__(self):
        self.command = []
        self.directory = ""  # the working directory the program starts in
        self.environment = {}
        self.feed = b""
        self.trace = ""  # the library's call trace, as the runner reads it
        self.program = ""  # the program as the command starts it
        self.directory_removed = False  # removed once the program is in it
        self.written = []  # files compared after the run, relative to directory
        self.work = ""  # the run's work directory, as the runner names it
        self.seen_directory = ""  # the working directory, as the program names it


def defaults_of(scenario):
    """The shared fixtures of the scenario's program."""
    return os.path.join(DEFAULTS, os.path.basename(os.path.dirname(scenario)))


def prepare_run(options, windows, root):
    scenario = options.scenario
    plan = run_plan()
    plan.feed = read(os.path.join(scenario, "stdin"), b"")
    plan.directory_removed = os.path.exists(os.path.join(scenario, "workdir_removed"))
    arguments = read(os.path.join(scenario, "args"), b"").decode("utf-8").splitlines()
    work = os.path.join(root, "work")
    os.mkdir(work)
    plan.directory = work
    workdir = read(os.path.join(scenario, "workdir"))
    if workdir is not None:
        measure = windows.path_length(work) if windows else posix_path_length
        plan.directory = deep_directory(work, workdir.decode("utf-8").strip(), measure)
    # Shared fixtures first, then the scenario's own files over them.
    defaults = defaults_of(scenario)
    if os.path.isdir(defaults) and not os.path.exists(os.path.join(scenario, "without_defaults")):
        shutil.copytree(defaults, plan.directory, dirs_exist_ok=True)
    files = os.path.join(scenario, "files")
    if os.path.isdir(files):
        shutil.copytree(files, plan.directory, dirs_exist_ok=True)
    plan.trace = os.path.join(root, "trace.txt")
    plan.written = written_files(scenario)

    program = options.program
    feeder = [windows.feeder] if windows and windows.feeder else []
    prefix = []
    if os.path.exists(os.path.join(scenario, "unprivileged")) and os.geteuid() == 0:
        # Root reads every file whatever its mode: drop to nobody.
        program, *feeder = copy_program(program, feeder, os.path.join(root, "bin"))
        with open(plan.trace, "wb"):
            pass
        os.chmod(plan.trace, 0o666)
        open_to_others(root)
        prefix = UNPRIVILEGED
    setup = os.path.join(scenario, "setup")
    if os.path.exists(setup):
        subprocess.run(["bash", setup], cwd=plan.directory, check=True)

    plan.environment = dict(os.environ)
    scratch = os.path.join(root, "tmp")
    if prefix:
        # The runner's TMPDIR may be out of nobody's reach; a launcher such
        # as Valgrind writes its own files there.
        os.mkdir(scratch)
        os.chmod(scratch, 0o1777)
        plan.environment["TMPDIR"] = scratch
    plan.work = work
    # The current directory a program reads has no symbolic links in it.
    trace_path, work_path, plan.seen_directory = plan.trace, work, os.path.realpath(plan.directory)
    if windows:
        # One conversion for all: each start of winepath costs.
        trace_path, work_path, program, plan.seen_directory = windows.paths(
            [plan.trace, work, program, plan.seen_directory])
    plan.environment.update(scenario_environment(scenario, windows, work, trace_path, work_path))

    plan.program = program
    if windows:
        if prefix:
            plan.environment.update(windows.unprivileged_environment(root, scratch))
        plan.command = prefix + windows.command(feeder, program, arguments)
    else:
        plan.command = prefix + shlex.split(options.launcher) + [program] + arguments
    return plan


def scenario_environment(scenario, windows, work, trace_path, work_path):
    """The library's trace and the scenario's env for a program of that
    platform, given the trace's and the work directory's paths in its form."""
    environment = {"KEL_SIM_TRACE": trace_path}
    for line in read(os.path.join(scenario, "env"), b"").decode("utf-8").splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            if windows and key == "PATH":
                environment.update(windows.search_path(value.replace("{work}", work)))
                continue
            environment[key] = value.replace("{work}", work_path)
    return environment


def written_files(scenario):
    """The paths of expected_files/, relative to it, in a stable order."""
    top = os.path.join(scenario, WRITTEN)
    found = []
    for directory, _, names in os.walk(top):
        found += [os.path.relpath(os.path.join(directory, name), top) for name in names]
    return sorted(found)


def reset_written_files(scenario, plan):
    """Puts each file a run writes back as the scenario laid it out (or
    removes it), so that the second run of a round trip starts as the
    first did."""
    for name in plan.written:
        path = os.path.join(plan.directory, name)
        for source in (os.path.join(scenario, "files", name),
                       os.path.join(defaults_of(scenario), name)):
            if os.path.isfile(source):
                shutil.copy2(source, path)
                break
        else:
            if os.path.lexists(path):
                os.remove(path)


def matches_written(expected, actual):
    """A written file against its expected text, {timestamp} matching any
    time in the log's form."""
    if actual is None:
        return False
    parts = expected.split(TIMESTAMP.encode())
    pattern = TIMESTAMP_PATTERN.join(re.escape(part) for part in parts)
    return re.fullmatch(pattern, actual, re.DOTALL) is not None


def empty_library_configuration(directory):
    """Leaves the simulated library nothing to answer from: its configuration
    files are emptied (an empty one describes no board) and an empty kel.ini
    stands where none was. Which file demo_sgen names to the library does not
    change: kel_sgen.ini stays where it was, with its mode."""
    for name in ("kel.ini", "kel_sgen.ini"):
        path = os.path.join(directory, name)
        if os.path.isfile(path) or (name == "kel.ini" and not os.path.lexists(path)):
            with open(path, "wb"):
                pass


def round_trip_plans(options, windows, root, plan):
    """The two runs of a round trip, as (name, plan, preparation): the program
    with the recording library in front of the simulated one as the scenario
    configures it, then the simulated library replaying that recording with
    no configuration."""
    session = os.path.join(root, "session.kelrec")
    with open(session, "wb"):
        pass
    os.chmod(session, 0o666)  # a run as nobody writes it
    recorder = os.path.join(root, "recorder")
    os.mkdir(recorder)
    os.chmod(recorder, 0o755)
    record = copy.copy(plan)
    if windows:
        # Windows loads the KEL.dll of the program's own directory first: the
        # program runs from a copy beside the recorder's.
        for path in (options.program, os.path.join(options.round_trip, "KEL.dll")):
            shutil.copy2(path, recorder)
            # A build under umask 077 makes them 0700; a run as nobody starts them.
            os.chmod(os.path.join(recorder, os.path.basename(path)), 0o755)
        copied = os.path.join(recorder, os.path.basename(options.program))
        real = os.path.join(os.path.dirname(options.program), "KEL.dll")
        real, session_path, copied = windows.paths([real, session, copied])
        record.command = [copied if part == plan.program else part for part in plan.command]
        record.environment = dict(plan.environment, KEL_REAL_LIBRARY=real,
                                  KEL_RECORD=session_path)
    else:
        shutil.copy2(os.path.join(options.round_trip, "libKEL.so"), recorder)
        session_path = session
        library_path = [recorder] + [entry for entry in
                                     plan.environment.get("LD_LIBRARY_PATH", "").split(":") if entry]
        real = os.path.join(os.path.dirname(plan.program), "libKEL.so")
        record.environment = dict(plan.environment, LD_LIBRARY_PATH=":".join(library_path),
                                  KEL_REAL_LIBRARY=real, KEL_RECORD=session)
    replay = copy.copy(plan)
    replay.environment = dict(plan.environment, KEL_REPLAY=session_path)
    return [("recorded", record, None), ("replayed", replay, empty_library_configuration)]


def without_library_lines(text):
    """Standard error without the simulated library's own lines ("KEL: ..."):
    they come from reading a configuration, which a replay never does."""
    return b"".join(line for line in text.splitlines(keepends=True)
                    if not line.startswith(b"KEL: "))


def execute(plan, windows):
    """Runs a plan; the outputs under the names of the files they match."""
    arguments = dict(cwd=plan.directory, env=plan.environment, input=plan.feed,
                     capture_output=True, timeout=TIMEOUT_SECONDS)
    if plan.directory_removed:
        # The child is in the directory when this runs, before the program starts.
        arguments["preexec_fn"] = lambda: shutil.rmtree(plan.directory)
    try:
        if windows:
            run = windows.start(plan.command, "the program", windows.never_started, **arguments)
        else:
            run = subprocess.run(plan.command, **arguments)
    except subprocess.TimeoutExpired:
        return None
    stdout, stderr = run.stdout, run.stderr
    if windows:
        stdout = windows.program_text(stdout)
        stderr = windows.without_wine_lines(windows.program_text(stderr))
    # A run's directory differs from run to run; the scenario names it {work}.
    stderr = stderr.replace(plan.seen_directory.encode("utf-8"), b"{work}")
    actual = {
        "expected_stdout": stdout,
        "expected_stderr": stderr,
        "expected_status": f"{run.returncode}\n".encode(),
        "expected_trace": read(plan.trace, b""),
    }
    for name in plan.written:
        actual[os.path.join(WRITTEN, name)] = read(os.path.join(plan.directory, name))
    return actual


def update(scenario, actual):
    """Writes every expected file that a comparison would read: the standard
    output always, the status when it is not the default 0, the others when
    the scenario has them."""
    for name, value in actual.items():
        path = os.path.join(scenario, name)
        if name.startswith(WRITTEN + os.sep):
            if value is not None:
                with open(path, "wb") as handle:
                    handle.write(re.sub(TIMESTAMP_PATTERN, TIMESTAMP.encode(), value))
            continue
        if (os.path.exists(path) or name == "expected_stdout"
                or (name == "expected_status" and value != b"0\n")):
            with open(path, "wb") as handle:
                handle.write(value)
    print("updated", scenario)


def compare(scenario, actual, windows, leg=""):
    """leg names the run of a round trip: a replayed one is not compared with
    the call trace (the replay checks every call itself and reports the first
    that differs on standard error) nor with the simulator's own messages;
    nor is a remote one with those messages (the server's library prints
    them)."""
    failed = False
    for name, value in actual.items():
        expected = read(os.path.join(scenario, name))
        if expected is None and name == "expected_status":
            expected = b"0\n"
        if expected is None or (leg == "replayed" and name == "expected_trace"):
            continue
        if leg in ("replayed", "remote") and name == "expected_stderr":
            expected = without_library_lines(expected)
        if name.startswith(WRITTEN + os.sep):
            if not matches_written(expected, value):
                show_difference(f"{name} {leg}".strip(), expected,
                                b"(not written)\n" if value is None else value)
                failed = True
            continue
        if windows and name in ("expected_stdout", "expected_stderr"):
            expected = windows.expected_text(expected)
        if expected != value:
            show_difference(f"{name} {leg}".strip(), expected, value)
            failed = True
    if failed:
        print(f"standard error {leg or 'was'}:",
              actual["expected_stderr"].decode("utf-8", "backslashreplace"))
    return failed


# Scenarios whose point cannot hold through a board server, with the reason.
REPLAY_REPORT = ("the replay's report goes to the server's standard error, and a diverged "
                 "replay ends the process it runs in: the server, not the program")
# -keldir names a folder: a server reads a configuration in its own folder
# only, and refuses KEL_init with any other name.
CONFIGURATION_ELSEWHERE = "-keldir names a configuration in another folder, which a server refuses"
NOT_THROUGH_A_SERVER = {
    "replay_call_differs": REPLAY_REPORT,
    "replay_recording_truncated": REPLAY_REPORT,
    "replay_recording_missing": REPLAY_REPORT,
    "replay_monitor_past_the_recording": REPLAY_REPORT,
    "option_keldir_other_kel_ini": CONFIGURATION_ELSEWHERE,
    "options_combined": CONFIGURATION_ELSEWHERE,
}


class board_server:
    """A board server (kel_server) serving the simulated library for one run:
    started in the run's working directory with the run's environment, so
    that the library reads the scenario's configuration and writes the trace
    there; on a port the system chooses, read from its "listening on" line."""

    def __init__(self, server, plan, *options, launcher=(), token_file=None,
                 environment=None, client_token_file=None):
        # Under Wine, Ctrl+C is what a console program can be sent.
        self.stop_signal = signal.SIGINT if launcher else signal.SIGTERM
        # With a token file, every client authenticates; the clients name it
        # as their platform does when it is not the server's.
        self.token_file = client_token_file or token_file
        if token_file:
            options = ("--token-file", token_file, *options)
        self.process = subprocess.Popen([*launcher, server, "--listen", "127.0.0.1:0", *options],
                                        cwd=plan.directory,
                                        env=environment or plan.environment,
                                        stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        line = self.process.stdout.readline().decode("utf-8", "replace")
        if not line.startswith("listening on "):
            self.process.kill()
            raise RuntimeError(f"kel_server did not start: {line!r} "
                               f"{self.process.stderr.read()!r}")
        self.address = line[len("listening on "):].strip()

    def client_plan(self, plan, remote_directory, windows=None, root=None):
        """The plan's program with the remote library found first: through
        LD_LIBRARY_PATH, or on Windows by a copy of the program beside it."""
        client = copy.copy(plan)
        client.environment = dict(plan.environment, KEL_SERVER=self.address)
        if self.token_file:
            client.environment["KEL_TOKEN_FILE"] = self.token_file
        if windows:
            beside = os.path.join(root, "remote")
            os.mkdir(beside)
            for path in (plan.unix_program, os.path.join(remote_directory, "KEL.dll")):
                shutil.copy2(path, beside)
            copied = windows.path(os.path.join(beside, os.path.basename(plan.unix_program)))
            client.command = [copied if part == plan.program else part for part in plan.command]
            return client
        library_path = [remote_directory] + [
            entry for entry in plan.environment.get("LD_LIBRARY_PATH", "").split(":") if entry]
        client.environment["LD_LIBRARY_PATH"] = ":".join(library_path)
        return client

    def stop(self):
        """Ends the server as an operator would (SIGTERM; Ctrl+C under Wine);
        its status and log."""
        self.process.send_signal(self.stop_signal)
        try:
            _, log = self.process.communicate(timeout=TIMEOUT_SECONDS)
        except subprocess.TimeoutExpired:
            self.process.kill()
            _, log = self.process.communicate()
            return None, log
        return self.process.returncode, log


def remote(options, windows, updating):
    """The scenario through the remote library and a board server serving the
    simulated library: the same output, status and trace as a direct run. The
    simulated library's own lines ("KEL: ...") go to the server's standard
    error, not the program's."""
    name = os.path.basename(options.scenario)
    if name in NOT_THROUGH_A_SERVER:
        print(f"not run through a server: {NOT_THROUGH_A_SERVER[name]}")
        return 77
    if updating:
        print("a remote run only compares: nothing updated")
        return 0
    # The remote library of the program's build.
    remote_directory = os.path.join(os.path.dirname(options.program), "remote")
    with run_directory(options, windows) as root:
        plan = prepare_run(options, windows, root)
        plan.unix_program = options.program
        server_token, program_token = remote_token_files(root, options.scenario)
        server_windows, environment = windows, None
        if options.server_platform:
            if os.path.exists(os.path.join(options.scenario, "unprivileged")):
                print("a run as another user is not run across platforms")
                return 77
            server_windows = server_side(options)
            paths = [plan.trace, plan.work]
            if server_windows:
                paths = server_windows.paths(paths)
            environment = dict(os.environ, **scenario_environment(options.scenario,
                                                                  server_windows, plan.work,
                                                                  *paths))
        client_token = as_named_by(windows, program_token)
        server = board_server(options.remote, plan,
                              launcher=server_windows.launcher if server_windows else (),
                              token_file=(as_named_by(windows, server_token)
                                          if server_windows is windows
                                          else as_named_by(server_windows, server_token)),
                              environment=environment, client_token_file=client_token)
        try:
            actual = execute(server.client_plan(plan, remote_directory, windows, root), windows)
        finally:
            status, log = server.stop()
        if actual is None:
            print(f"FAIL: the program did not end within {TIMEOUT_SECONDS} s")
            return 1
        actual["expected_trace"] = read(plan.trace, b"")
    failed = compare(options.scenario, actual, windows, "remote")
    if status != 0:
        print(f"kel_server ended with status {status} after SIGTERM")
        failed = True
    if failed:
        print("kel_server's log:", log.decode("utf-8", "backslashreplace"))
    return 1 if failed else 0


def server_side(options):
    """The platform differences of a server of the other platform than the
    program's: a Windows one (windows_run) for a POSIX program, none for a
    Windows program."""
    if options.server_platform == "posix":
        return None
    server_options = copy.copy(options)
    server_options.launcher = options.server_launcher
    server_options.key_feeder = None
    return windows_run(server_options)


def as_named_by(windows, path):
    """A path as a program of that platform names it."""
    return windows.path(path) if windows else path


def remote_token_files(root, scenario):
    """Private token files (the server's, the program's) in the run's
    scratch directory, so that every remote run authenticates (under Wine,
    with the Windows cryptography); one file for both unless the program
    runs as another user than the server, which refuses a file it does not
    own."""
    token = "%s\n" % os.urandom(32).hex()
    paths = []
    for name in ("token", "client-token"):
        path = os.path.join(root, name)
        with open(path, "w", encoding="utf-8") as file:
            file.write(token)
        os.chmod(path, 0o600)
        paths.append(path)
        if not (os.path.exists(os.path.join(scenario, "unprivileged")) and os.geteuid() == 0):
            return path, path
    # The program runs as nobody: its copy is nobody's own, still private.
    os.chown(paths[1], pwd.getpwnam("nobody").pw_uid, grp.getgrnam("nogroup").gr_gid)
    return tuple(paths)


@contextlib.contextmanager
def run_directory(options, windows):
    """The scratch directory of one run, where nobody can reach it when the
    run is unprivileged; removed after the run."""
    unprivileged = os.path.exists(os.path.join(options.scenario, "unprivileged"))
    base = reachable_base() if unprivileged and os.geteuid() == 0 else None
    with tempfile.TemporaryDirectory(prefix="kel-e2e-", dir=base) as root:
        try:
            yield root
        finally:
            if windows:
                windows.end_unprivileged_server(root)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--scenario", required=True)
    parser.add_argument("--launcher", default="")
    parser.add_argument("--windows", action="store_true",
                        help="the program is the Windows build")
    parser.add_argument("--key-feeder", help="Windows program that feeds standard input")
    parser.add_argument("--text-encoding", help="encoding of the Windows build's texts")
    parser.add_argument("--round-trip", metavar="RECORDER_DIRECTORY",
                        help="run with the recording library of this directory in front of the "
                             "simulated one, then replay the recording; compare both runs")
    parser.add_argument("--remote", metavar="KEL_SERVER",
                        help="run through the remote library of the program's build and this "
                             "board server, the server serving the simulated library")
    parser.add_argument("--server-platform", choices=("posix", "windows"),
                        help="the --remote server's platform, when it is not the program's")
    parser.add_argument("--server-launcher", default="",
                        help="command that starts a Windows server for a POSIX program (wine)")
    options = parser.parse_args()
    # The program runs in a scratch directory: relative paths are taken from here.
    options.program = os.path.abspath(options.program)
    options.scenario = os.path.abspath(options.scenario)
    if options.key_feeder:
        options.key_feeder = os.path.abspath(options.key_feeder)
    if options.remote:
        options.remote = os.path.abspath(options.remote)
    if options.round_trip:
        options.round_trip = os.path.abspath(options.round_trip)
        if "KEL_REPLAY=" in read(os.path.join(options.scenario, "env"), b"").decode("utf-8"):
            print("the scenario replays a recording of its own: no round trip")
            return 77
        if os.path.exists(os.path.join(options.scenario, "workdir_removed")):
            print("the working directory is removed by the first run: no round trip")
            return 77
    windows = windows_run(options) if options.windows else None
    if os.path.exists(os.path.join(options.scenario, "workdir_removed")) and options.launcher:
        # Under Wine, Windows keeps a process's current directory from being
        # removed; a launcher such as Debian's Valgrind, a shell script,
        # would see the removed directory first and say so.
        print("the working directory cannot be removed under a launcher: not run")
        return 77
    updating = os.environ.get("KEL_E2E_UPDATE") == "1"
    if windows and updating:
        print("FAIL: expected files are written from the POSIX build only")
        return 1
    if options.round_trip:
        return round_trip(options, windows, updating)
    if options.remote:
        return remote(options, windows, updating)

    with run_directory(options, windows) as root:
        plan = prepare_run(options, windows, root)
        actual = execute(plan, windows)
    if actual is None:
        print(f"FAIL: the program did not end within {TIMEOUT_SECONDS} s")
        return 1
    if updating:
        update(options.scenario, actual)
        return 0
    return 1 if compare(options.scenario, actual, windows) else 0


def round_trip(options, windows, updating):
    if updating:
        print("a round trip only compares: nothing updated")
        return 0
    failed = False
    with run_directory(options, windows) as root:
        plan = prepare_run(options, windows, root)
        for leg, leg_plan, prepare in round_trip_plans(options, windows, root, plan):
            if prepare:
                prepare(plan.directory)
            reset_written_files(options.scenario, plan)
            if os.path.exists(plan.trace):
                with open(plan.trace, "wb"):
                    pass
            actual = execute(leg_plan, windows)
            if actual is None:
                print(f"FAIL: the program {leg} did not end within {TIMEOUT_SECONDS} s")
                return 1
            failed = compare(options.scenario, actual, windows, leg) or failed
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
