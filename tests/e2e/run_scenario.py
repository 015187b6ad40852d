#!/usr/bin/env python3
"""Runs one end-to-end scenario: a real program against the simulated board
library, in a fresh working directory, compared byte for byte.

A scenario is a folder:
  args             program arguments, one per line (absent: none)
  stdin            bytes fed as standard input (absent: empty input)
  env              extra environment, KEY=VALUE per line
  workdir          a path below the working directory to run in instead;
                   "@N" makes one whose full path is N characters long
  files/           copied into the directory the program runs in
  setup            a bash script run there before the program, for what
                   files cannot hold (huge or unreadable files...)
  unprivileged     when present and the tests run as root, the program runs
                   as user nobody, so that file permissions apply to it
  expected_stdout  the whole standard output
  expected_status  exit status (absent: 0)
  expected_stderr  the whole standard error (absent: not compared)
  expected_trace   the library's call trace (absent: not compared)
  about            one line: what the scenario shows (not read by the runner)

With KEL_E2E_UPDATE=1 the expected files that exist are rewritten from the
run instead of compared: review the diff before committing it.

With --windows the program is the Windows build, started through --launcher
(wine) and the --key-feeder, and compared with the same expected files. The
differences that belong to the platform are handled in windows_run below and
nowhere else: paths handed to the program in its environment are in Windows
form (a PATH becomes the Windows search path), the deep working directory is as long as Windows sees it, standard
output and error come in text mode (CRLF), and with --text-encoding the
expected texts are turned into that encoding before they are compared. The
expected files are only ever written from a POSIX run.
"""
import argparse
import difflib
import os
import shlex
import stat
import shutil
import subprocess
import sys
import tempfile

TIMEOUT_SECONDS = 30
UNPRIVILEGED = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]


def read(path, default=None):
    if not os.path.exists(path):
        return default
    with open(path, "rb") as handle:
        return handle.read()


def deep_directory(base, wanted):
    """Creates the directory a workdir file names and returns its path."""
    if not wanted.startswith("@"):
        path = os.path.join(base, wanted)
    else:
        length = int(wanted[1:])
        path = base
        while len(path) < length:
            step = min(60, length - len(path) - 1)
            if step < 1:  # one character left: lengthen the previous part instead
                path += "x"
                continue
            path = os.path.join(path, "d" * step)
        assert len(path) == length, (path, length)
    os.makedirs(path, exist_ok=True)
    return path


class windows_run:
    """The platform differences of a run of the Windows build."""

    def __init__(self, options):
        self.launcher = shlex.split(options.launcher)
        self.feeder = options.key_feeder
        self.encoding = options.text_encoding
        self.program = os.path.abspath(options.program)

    def paths(self, unix_paths):
        """The Windows forms of paths, as the program sees them."""
        if not self.launcher:
            return unix_paths  # started natively: the paths are Windows ones already
        converted = subprocess.run(["winepath", "-w"] + unix_paths, capture_output=True,
                                   check=True)
        return converted.stdout.decode("utf-8").splitlines()

    def path(self, unix_path):
        return self.paths([unix_path])[0]

    def search_path(self, unix_list):
        """A scenario's PATH (POSIX directories) as the program's search path.
        Wine does not take the Unix PATH into the Windows one; WINEPATH is
        added to it."""
        directories = self.paths([entry for entry in unix_list.split(":") if entry])
        return {"WINEPATH" if self.launcher else "PATH": ";".join(directories)}

    def deep_length(self, work, length):
        """The POSIX length that gives a Windows path of the wanted length."""
        return length - (len(self.path(work)) - len(work))

    def unprivileged_environment(self):
        """Wine refuses a prefix that another user owns: nobody gets its own."""
        if not self.launcher:
            return {}
        wine_home = os.path.join(tempfile.gettempdir(), "kel-e2e-wine-nobody")
        os.makedirs(wine_home, exist_ok=True)
        shutil.chown(wine_home, "nobody", "nogroup")
        environment = dict(os.environ, WINEPREFIX=os.path.join(wine_home, "prefix"),
                           HOME=wine_home)
        # Made once, before any run, so that what Wine prints while it makes a
        # prefix never reaches a compared output. Scenarios may run in parallel.
        import fcntl  # POSIX only, as Wine is
        with open(os.path.join(wine_home, "lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not os.path.isfile(os.path.join(environment["WINEPREFIX"], "system.reg")):
                subprocess.run(UNPRIVILEGED + self.launcher + ["wineboot", "-i"],
                               env=environment, capture_output=True, check=True)
        return {key: environment[key] for key in ("WINEPREFIX", "HOME")}

    def command(self, arguments):
        # The feeder starts the program by the Windows form of its path, as a
        # Windows shell would; that is also what the program gets as argv[0].
        feeder = [self.feeder] if self.feeder else []
        return self.launcher + feeder + [self.program] + arguments

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


def empty_library_configuration(run_in):
    """Leaves the simulated library nothing to answer from: its configuration
    files are emptied (an empty one describes no board) and an empty kel.ini
    stands where none was. Which file demo_sgen names to the library does not
    change: kel_sgen.ini stays where it was, with its mode."""
    for name in ("kel.ini", "kel_sgen.ini"):
        path = os.path.join(run_in, name)
        if os.path.isfile(path) or (name == "kel.ini" and not os.path.lexists(path)):
            with open(path, "wb"):
                pass


def round_trip_legs(options, windows, root, run_in):
    """The two runs of a round trip: the recorder in front of the simulated
    library as the scenario configures it, then the simulator replaying that
    recording with no configuration. Each leg is (name, environment, program
    as started, preparation)."""
    session = os.path.join(root, "session.kelrec")
    program_directory = os.path.dirname(os.path.abspath(options.program))
    if windows:
        # Windows loads KEL.dll from the program's own directory first: the
        # program runs from a copy beside the recorder.
        recorded = os.path.join(root, "recorded")
        os.mkdir(recorded)
        program = os.path.join(recorded, os.path.basename(options.program))
        shutil.copy2(options.program, program)
        shutil.copy2(os.path.join(options.round_trip, "KEL.dll"), recorded)
        os.chmod(recorded, 0o755)
        real, session_path, program = windows.paths(
            [os.path.join(program_directory, "KEL.dll"), session, program])
        record = {"KEL_REAL_LIBRARY": real, "KEL_RECORD": session_path}
        replay = {"KEL_REPLAY": session_path}
        return [("recorded", record, program, None),
                ("replayed", replay, windows.program, empty_library_configuration)]
    library_path = os.pathsep.join(
        [os.path.abspath(options.round_trip)] +
        [entry for entry in os.environ.get("LD_LIBRARY_PATH", "").split(os.pathsep) if entry])
    record = {"LD_LIBRARY_PATH": library_path,
              "KEL_REAL_LIBRARY": os.path.join(program_directory, "libKEL.so"),
              "KEL_RECORD": session}
    program = os.path.abspath(options.program)
    return [("recorded", record, program, None),
            ("replayed", {"KEL_REPLAY": session}, program, empty_library_configuration)]


def without_library_lines(text):
    """Standard error without the simulated library's own lines ("KEL: ..."),
    which come from reading a configuration that a replay never reads."""
    return b"".join(line for line in text.splitlines(keepends=True)
                    if not line.startswith(b"KEL: "))


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
                             "simulated one, then replay the recording, comparing both runs")
    options = parser.parse_args()
    windows = windows_run(options) if options.windows else None
    if windows and os.environ.get("KEL_E2E_UPDATE") == "1":
        print("FAIL: expected files are written from the POSIX build only")
        return 1

    scenario = options.scenario
    if options.round_trip and os.environ.get("KEL_E2E_UPDATE") == "1":
        print("round trips compare only")
        return 0
    arguments = (read(os.path.join(scenario, "args"), b"").decode("utf-8").splitlines())
    feed = read(os.path.join(scenario, "stdin"), b"")
    scenario_environment = read(os.path.join(scenario, "env"), b"").decode("utf-8")
    if options.round_trip and "KEL_REPLAY=" in scenario_environment:
        print("the scenario replays a recording of its own: no round trip")
        return 77

    with tempfile.TemporaryDirectory(prefix="kel-e2e-") as root:
        work = os.path.join(root, "work")
        os.mkdir(work)
        run_in = work
        workdir = read(os.path.join(scenario, "workdir"))
        if workdir is not None:
            wanted = workdir.decode("utf-8").strip()
            if windows and wanted.startswith("@"):
                wanted = f"@{windows.deep_length(work, int(wanted[1:]))}"
            run_in = deep_directory(work, wanted)
        files = os.path.join(scenario, "files")
        if os.path.isdir(files):
            shutil.copytree(files, run_in, dirs_exist_ok=True)
        trace = os.path.join(root, "trace.txt")
        setup = os.path.join(scenario, "setup")
        if os.path.exists(setup):
            subprocess.run(["bash", setup], cwd=run_in, check=True)
        prefix = []
        if os.path.exists(os.path.join(scenario, "unprivileged")) and os.geteuid() == 0:
            # Root reads every file whatever its mode: drop to nobody.
            os.chmod(root, stat.S_IRWXU | stat.S_IRWXG | stat.S_IRWXO)
            prefix = UNPRIVILEGED

        environment = dict(os.environ)
        if windows:
            # One conversion for all three: each start of winepath costs.
            trace_path, work_path, windows.program = windows.paths(
                [trace, work, windows.program])
        environment["KEL_SIM_TRACE"] = trace_path if windows else trace
        for line in scenario_environment.splitlines():
            if "=" in line:
                key, value = line.split("=", 1)
                if windows and key == "PATH":
                    environment.update(windows.search_path(value.replace("{work}", work)))
                    continue
                if windows and "{work}" in value:
                    value = value.replace("{work}", work_path)
                environment[key] = value.replace("{work}", work)
        if windows and prefix:
            environment.update(windows.unprivileged_environment())

        legs = [("", {}, windows.program if windows else options.program, None)]
        if options.round_trip:
            legs = round_trip_legs(options, windows, root, run_in)
        results = []
        for leg, leg_environment, program, prepare in legs:
            if prepare:
                prepare(run_in)
            if os.path.exists(trace):
                os.remove(trace)
            if windows:
                windows.program = program
                command = prefix + windows.command(arguments)
            else:
                command = prefix + shlex.split(options.launcher) + [program] + arguments
            try:
                run = subprocess.run(command, cwd=run_in, env=dict(environment, **leg_environment),
                                     input=feed, capture_output=True, timeout=TIMEOUT_SECONDS)
            except subprocess.TimeoutExpired:
                print(f"FAIL: the program {leg} did not end within {TIMEOUT_SECONDS} s")
                return 1
            stdout, stderr = run.stdout, run.stderr
            if windows:
                stdout, stderr = windows.program_text(stdout), windows.program_text(stderr)
            results.append((leg, run, {
                "expected_stdout": stdout,
                "expected_stderr": stderr,
                "expected_status": f"{run.returncode}\n".encode(),
                "expected_trace": read(trace, b""),
            }))

    if os.environ.get("KEL_E2E_UPDATE") == "1":
        for name, value in results[0][2].items():
            path = os.path.join(scenario, name)
            if os.path.exists(path) or name == "expected_stdout":
                with open(path, "wb") as handle:
                    handle.write(value)
        print("updated", scenario)
        return 0

    failed = False
    for leg, run, actual in results:
        leg_failed = False
        for name, value in actual.items():
            expected = read(os.path.join(scenario, name))
            if expected is None and name == "expected_status":
                expected = b"0\n"
            if expected is None:
                continue
            if leg == "replayed" and name == "expected_trace":
                continue  # the replay checks every call itself, and says so on standard error
            if leg == "replayed" and name == "expected_stderr":
                expected = without_library_lines(expected)
            if windows and name in ("expected_stdout", "expected_stderr"):
                expected = windows.expected_text(expected)
            if expected != value:
                show_difference(f"{name} {leg}".strip(), expected, value)
                leg_failed = True
        if leg_failed:
            print(f"standard error {leg}:".replace(" :", ":"),
                  run.stderr.decode("utf-8", "backslashreplace"))
        failed = failed or leg_failed
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
