#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
"""promtool's judgement of what the lab's Prometheus reads from us.

  --case metrics  a metrics file written by our code passes `promtool check
                  metrics` with nothing reported (names, units, HELP, TYPE);
  --case rules    the shipped alert rules pass `promtool check rules`, and
                  their tests (each alert fires and stays quiet) pass
                  `promtool test rules`.

Exits 77 (skipped) where promtool is not installed (Debian's prometheus).
"""
import argparse
import shutil
import subprocess
import sys
import tempfile

TIMEOUT_SECONDS = 60


def promtool(arguments, stdin=None):
    result = subprocess.run(["promtool"] + arguments, stdin=stdin, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, timeout=TIMEOUT_SECONDS)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def check_metrics(writer):
    with tempfile.TemporaryDirectory(prefix="kel-promtool-") as folder:
        path = folder + "/kel_board.prom"
        subprocess.run([writer, path], check=True, timeout=TIMEOUT_SECONDS)
        with open(path, "rb") as metrics:
            status, report = promtool(["check", "metrics"], stdin=metrics)
    if status != 0 or report.strip():
        print("FAIL: promtool check metrics (status %d):\n%s" % (status, report))
        return 1
    print("ok: promtool check metrics reports nothing")
    return 0


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
    parser.add_argument("--rules", help="the alert rules file")
    parser.add_argument("--rule-tests", help="their promtool test file")
    options = parser.parse_args()
    if shutil.which("promtool") is None:
        print("skipped: promtool is not installed (.ci/install-missing linux)")
        return 77
    if options.case == "metrics":
        return check_metrics(options.writer)
    return check_rules(options.rules, options.rule_tests)


if __name__ == "__main__":
    sys.exit(main())
