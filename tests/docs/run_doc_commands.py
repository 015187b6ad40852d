#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
"""Runs the command blocks of the README and docs/ that carry the marker
<!-- doc-test --> on the line before them, so that what a reader types keeps
working. Each block is one bash script (-e -o pipefail) run from the root of
a scratch copy of the checkout whose build/<preset>/bin is this build's, with
a HOME of its own (so that ~/.config/kel/token is made there) and standard
input at its end. A fenced block marked <!-- doc-test output --> is the exact
standard output of the marked block before it.

Blocks that use the network run in a network namespace of their own when the
system allows one, so that two runs never meet on a port."""
import argparse
import difflib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

MARKER = re.compile(r"^<!-- doc-test( output)? -->\s*$")
BLOCK_TIMEOUT_S = 120
SKIPPED_FOLDERS = {".git", "build"}


def blocks_of(path):
    """The marked blocks of a page: (line, is_output, text)."""
    with open(path, encoding="utf-8") as handle:
        lines = handle.read().split("\n")
    found = []
    for index, line in enumerate(lines):
        match = MARKER.match(line)
        if not match:
            continue
        start = index + 1
        while start < len(lines) and lines[start] == "":
            start += 1
        if start < len(lines) and lines[start].startswith("```"):
            end = start + 1
            while end < len(lines) and not lines[end].startswith("```"):
                end += 1
            body = lines[start + 1:end]
        else:
            end = start
            while end < len(lines) and (lines[end].startswith("    ") or lines[end] == ""):
                end += 1
            while end > start and lines[end - 1] == "":
                end -= 1
            body = [text[4:] for text in lines[start:end]]
        found.append((index + 1, bool(match.group(1)), "\n".join(body) + "\n"))
    return found


def own_network_prefix():
    """unshare's prefix for a namespace with only loopback, or none."""
    prefix = ["unshare", "--user", "--map-root-user", "--net"]
    try:
        probe = subprocess.run(prefix + ["ip", "link", "set", "lo", "up"],
                               capture_output=True, timeout=30)
    except (OSError, subprocess.TimeoutExpired):
        return []
    return prefix if probe.returncode == 0 else []


def run_block(text, scratch, home, network_prefix):
    script = "set -e -o pipefail\n" + text
    command = ["bash", "-c", script]
    if network_prefix:
        command = network_prefix + ["bash", "-c", 'ip link set lo up && exec "$@"', "-",
                                    *command]
    environment = {key: value for key, value in os.environ.items()
                   if not key.startswith("KEL_")}
    environment.update(HOME=home, LC_ALL="C.UTF-8")
    process = subprocess.Popen(command, cwd=scratch, env=environment,
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True, start_new_session=True)
    try:
        out, err = process.communicate(timeout=BLOCK_TIMEOUT_S)
        status = process.returncode
    except subprocess.TimeoutExpired:
        out, err, status = "", f"still running after {BLOCK_TIMEOUT_S} s", None
    finally:
        # What the block left running (a server it started) ends with it.
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        if status is None:
            process.communicate()
    return status, out, err


def make_scratch(source, binaries, preset, work):
    scratch = os.path.join(work, "checkout")
    shutil.copytree(source, scratch, symlinks=True,
                    ignore=lambda folder, names: [name for name in names
                                                  if folder == source and
                                                  name in SKIPPED_FOLDERS])
    os.makedirs(os.path.join(scratch, "build", preset))
    shutil.copytree(binaries, os.path.join(scratch, "build", preset, "bin"), symlinks=True)
    home = os.path.join(work, "home")
    os.mkdir(home, 0o755)
    return scratch, home


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True, help="the checkout")
    parser.add_argument("--bin", required=True, help="the build's bin/")
    parser.add_argument("--preset", default="default")
    options = parser.parse_args()
    source = os.path.abspath(options.source)
    pages = [os.path.join(source, "README.md")] + sorted(
        os.path.join(source, "docs", name) for name in os.listdir(os.path.join(source, "docs"))
        if name.endswith(".md"))
    network_prefix = own_network_prefix()
    os.umask(0o022)
    failures, ran = [], 0
    with tempfile.TemporaryDirectory(prefix="kel-doc-commands-") as work:
        for page in pages:
            name = os.path.relpath(page, source)
            last = None
            for line, is_output, text in blocks_of(page):
                where = f"{name}:{line}"
                if is_output:
                    if last is None:
                        failures.append(f"{where}: an output block with no command block before it")
                    elif last != text:
                        difference = difflib.unified_diff(
                            text.splitlines(keepends=True), last.splitlines(keepends=True),
                            "page", "program")
                        failures.append(f"{where}: the output differs:\n" + "".join(difference))
                    last = None
                    continue
                # Each block starts from a fresh copy: none depends on another.
                shutil.rmtree(os.path.join(work, "checkout"), ignore_errors=True)
                shutil.rmtree(os.path.join(work, "home"), ignore_errors=True)
                scratch, home = make_scratch(source, options.bin, options.preset, work)
                status, out, err = run_block(text, scratch, home, network_prefix)
                ran += 1
                if status != 0:
                    failures.append(f"{where}: status {status}\n{text}--- output\n{out}"
                                    f"--- standard error\n{err}")
                last = out
    for failure in failures:
        print("FAIL:", failure)
    print(f"{ran} command blocks run, {len(failures)} failed")
    if ran == 0:
        print("FAIL: no page carries a marked block")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
