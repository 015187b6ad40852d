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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--scenario", required=True)
    parser.add_argument("--launcher", default="")
    parser.add_argument("--windows", action="store_true",
                        help="the program is the Windows build")
    parser.add_argument("--key-feeder", help="Windows program that feeds standard input")
    parser.add_argument("--text-encoding", help="encoding of the Windows build's texts")
    options = parser.parse_args()
    windows = windows_run(options) if options.windows else None
    if windows and os.environ.get("KEL_E2E_UPDATE") == "1":
        print("FAIL: expected files are written from the POSIX build only")
        return 1

    scenario = options.scenario
    arguments = (read(os.path.join(scenario, "args"), b"").decode("utf-8").splitlines())
    feed = read(os.path.join(scenario, "stdin"), b"")

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
        for line in read(os.path.join(scenario, "env"), b"").decode("utf-8").splitlines():
            if "=" in line:
                key, value = line.split("=", 1)
                if windows and key == "PATH":
                    environment.update(windows.search_path(value.replace("{work}", work)))
                    continue
                if windows and "{work}" in value:
                    value = value.replace("{work}", work_path)
                environment[key] = value.replace("{work}", work)

        if windows:
            if prefix:
                environment.update(windows.unprivileged_environment())
            command = prefix + windows.command(arguments)
        else:
            command = prefix + shlex.split(options.launcher) + [options.program] + arguments
        try:
            run = subprocess.run(command, cwd=run_in, env=environment, input=feed,
                                 capture_output=True, timeout=TIMEOUT_SECONDS)
        except subprocess.TimeoutExpired:
            print(f"FAIL: the program did not end within {TIMEOUT_SECONDS} s")
            return 1
        stdout, stderr = run.stdout, run.stderr
        if windows:
            stdout, stderr = windows.program_text(stdout), windows.program_text(stderr)
        actual = {
            "expected_stdout": stdout,
            "expected_stderr": stderr,
            "expected_status": f"{run.returncode}\n".encode(),
            "expected_trace": read(trace, b""),
        }

    if os.environ.get("KEL_E2E_UPDATE") == "1":
        for name, value in actual.items():
            path = os.path.join(scenario, name)
            if os.path.exists(path) or name == "expected_stdout":
                with open(path, "wb") as handle:
                    handle.write(value)
        print("updated", scenario)
        return 0

    failed = False
    for name, value in actual.items():
        expected = read(os.path.join(scenario, name))
        if expected is None and name == "expected_status":
            expected = b"0\n"
        if expected is None:
            continue
        if windows and name in ("expected_stdout", "expected_stderr"):
            expected = windows.expected_text(expected)
        if expected != value:
            show_difference(name, expected, value)
            failed = True
    if failed:
        print("standard error was:", run.stderr.decode("utf-8", "backslashreplace"))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
