#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
"""promtool's judgement of what the lab's Prometheus reads from us.

  --case metrics  the metrics file kel_server writes (serving the simulated
                  library) and the sample writer's (a board name that needs
                  escaping) pass `promtool check metrics` with nothing
                  reported (names, units, HELP, TYPE);
  --case rules    the shipped alert rules pass `promtool check rules`, and
                  their tests (each alert fires and stays quiet) pass
                  `promtool test rules`.

Exits 77 (skipped) where promtool is not installed (Debian's prometheus).
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile

TIMEOUT_SECONDS = 60


def promtool(arguments, stdin=None):
    result = subprocess.run(["promtool"] + arguments, stdin=stdin, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=TIMEOUT_SECONDS)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def server_file(server, board_config, folder):
    """The file kel_server wrote at its start, before it listens."""
    path = os.path.join(folder, "server.prom")
    shutil.copy(board_config, os.path.join(folder, "kel.ini"))
    process = subprocess.Popen([server, "--listen", "127.0.0.1:0", "--metrics-file", path],
                               cwd=folder, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    try:
        process.stdout.readline()  # "listening on ...": the file is written
    finally:
        process.send_signal(signal.SIGTERM)
        process.communicate(timeout=TIMEOUT_SECONDS)
    return path


def check_metrics(writer, server, board_config):
    failed = 0
    with tempfile.TemporaryDirectory(prefix="kel-promtool-") as folder:
        sample = os.path.join(folder, "sample.prom")
        subprocess.run([writer, sample], check=True, timeout=TIMEOUT_SECONDS)
        for path in (server_file(server, board_config, folder), sample):
            with open(path, "rb") as metrics:
                text = metrics.read()
                metrics.seek(0)
                status, report = promtool(["check", "metrics"], stdin=metrics)
            if status != 0 or report.strip() or b"kel_board_temperature_celsius{" not in text:
                print("FAIL: promtool check metrics on %s (status %d):\n%s\n%s"
                      % (os.path.basename(path), status, report, text.decode("utf-8", "replace")))
                failed = 1
            else:
                print("ok: promtool check metrics reports nothing on %s" % os.path.basename(path))
    return failed


def check_rules(rules, rule_tests):
    failed = 0
    for arguments in (["check", "rules", rules], ["test", "rules", rule_tests]):
        status, report = promtool(arguments)
        print(report.rstrip())
        if status != 0:
            print("FAIL: promtool %s (status %d)" % (" ".join(arguments[:2]), status))
            failed = 1
    return failed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--case", choices=("metrics", "rules"), required=True)
    parser.add_argument("--writer", help="write_sample_metrics, for --case metrics")
    parser.add_argument("--server", help="kel_server, for --case metrics")
    parser.add_argument("--board-config", help="the simulated library's kel.ini, with --server")
    parser.add_argument("--rules", help="the alert rules file")
    parser.add_argument("--rule-tests", help="their promtool test file")
    options = parser.parse_args()
    if shutil.which("promtool") is None:
        print("skipped: promtool is not installed (.ci/install-missing linux)")
        return 77
    if options.case == "metrics":
        return check_metrics(options.writer, options.server, options.board_config)
    return check_rules(options.rules, options.rule_tests)


if __name__ == "__main__":
    sys.exit(main())
