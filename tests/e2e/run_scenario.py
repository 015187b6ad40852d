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
    options = parser.parse_args()

    scenario = options.scenario
    arguments = (read(os.path.join(scenario, "args"), b"").decode("utf-8").splitlines())
    feed = read(os.path.join(scenario, "stdin"), b"")

    with tempfile.TemporaryDirectory(prefix="kel-e2e-") as root:
        work = os.path.join(root, "work")
        os.mkdir(work)
        run_in = work
        workdir = read(os.path.join(scenario, "workdir"))
        if workdir is not None:
            run_in = deep_directory(work, workdir.decode("utf-8").strip())
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
            prefix = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]

        environment = dict(os.environ)
        environment["KEL_SIM_TRACE"] = trace
        for line in read(os.path.join(scenario, "env"), b"").decode("utf-8").splitlines():
            if "=" in line:
                key, value = line.split("=", 1)
                environment[key] = value.replace("{work}", work)

        command = prefix + shlex.split(options.launcher) + [options.program] + arguments
        try:
            run = subprocess.run(command, cwd=run_in, env=environment, input=feed,
                                 capture_output=True, timeout=TIMEOUT_SECONDS)
        except subprocess.TimeoutExpired:
            print(f"FAIL: the program did not end within {TIMEOUT_SECONDS} s")
            return 1
        actual = {
            "expected_stdout": run.stdout,
            "expected_stderr": run.stderr,
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
        if expected != value:
            show_difference(name, expected, value)
            failed = True
    if failed:
        print("standard error was:", run.stderr.decode("utf-8", "backslashreplace"))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
