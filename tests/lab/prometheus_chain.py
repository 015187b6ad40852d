#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
"""The board's temperature through the lab's real monitoring chain: Debian's
prometheus-node-exporter serving a scratch folder with its textfile
collector alone, Debian's prometheus scraping it every second, and the
temperature read back from Prometheus' HTTP API. The file comes from
kel_server --metrics-file DIR/kel_board.prom --metrics-interval 1, serving
the simulated library with a temperature that holds still (the file is
written every second, and the test compares what it holds with Prometheus).

Both processes listen on free loopback ports and keep everything in a
scratch folder; exits 77 where the packages are not installed.
"""
import argparse
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

EXPORTER = "prometheus-node-exporter"
PROMETHEUS = "prometheus"
# Generous: the answer comes within seconds, and only a broken chain waits
# this long.
DEADLINE_SECONDS = 90


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def temperature_in(path):
    """The first temperature sample of a metrics file, as written."""
    with open(path, encoding="utf-8") as metrics:
        for line in metrics:
            if line.startswith("kel_board_temperature_celsius{"):
                return line.rsplit(" ", 1)[1].strip()
    return None


def query(port, expression):
    url = "http://127.0.0.1:%d/api/v1/query?%s" % (
        port, urllib.parse.urlencode({"query": expression}))
    with urllib.request.urlopen(url, timeout=5) as answer:
        return json.load(answer)["data"]["result"]


class Chain:
    """The exporter and Prometheus, started on a folder; stopped at exit."""

    def __init__(self, folder):
        self.folder = folder
        self.textfiles = os.path.join(folder, "textfiles")
        os.mkdir(self.textfiles)
        self.processes = []

    def start(self, command, log_name):
        log = open(os.path.join(self.folder, log_name), "wb")
        self.processes.append((subprocess.Popen(command, cwd=self.folder,
                                                stdin=subprocess.DEVNULL, stdout=log,
                                                stderr=subprocess.STDOUT), log_name))
        log.close()

    def start_monitoring(self):
        exporter_port = free_port()
        self.start([EXPORTER, "--collector.disable-defaults", "--collector.textfile",
                    "--collector.textfile.directory=" + self.textfiles,
                    "--web.listen-address=127.0.0.1:%d" % exporter_port], "exporter.log")
        config = os.path.join(self.folder, "prometheus.yml")
        with open(config, "w", encoding="utf-8") as text:
            text.write("global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
                       "scrape_configs:\n  - job_name: node\n    static_configs:\n"
                       "      - targets: ['127.0.0.1:%d']\n" % exporter_port)
        self.prometheus_port = free_port()
        self.start([PROMETHEUS, "--config.file=" + config,
                    "--storage.tsdb.path=" + os.path.join(self.folder, "data"),
                    "--web.listen-address=127.0.0.1:%d" % self.prometheus_port],
                   "prometheus.log")

    def wait_for(self, expression):
        """The query's first non-empty answer, or None at the deadline or
        when a process of the chain ended."""
        deadline = time.monotonic() + DEADLINE_SECONDS
        while time.monotonic() < deadline:
            for process, log_name in self.processes:
                if process.poll() is not None:
                    print("FAIL: %s ended with status %d" % (log_name, process.returncode))
                    return None
            try:
                result = query(self.prometheus_port, expression)
                if result:
                    return result
            except OSError:
                pass  # not listening yet
            time.sleep(0.25)
        print("FAIL: no answer to %s within %d s" % (expression, DEADLINE_SECONDS))
        return None

    def stop(self):
        for process, log_name in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=20)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()

    def show_logs(self):
        for _, log_name in self.processes:
            with open(os.path.join(self.folder, log_name), encoding="utf-8",
                      errors="replace") as log:
                print("--- %s (last lines)\n%s" % (log_name, "".join(log.readlines()[-15:])))


def run_chain(options, folder):
    chain = Chain(folder)
    metrics = os.path.join(chain.textfiles, "kel_board.prom")
    try:
        shutil.copy(options.board_config, os.path.join(folder, "kel.ini"))
        chain.start([options.server, "--listen", "127.0.0.1:0", "--metrics-file", metrics,
                     "--metrics-interval", "1"], "kel_server.log")
        chain.start_monitoring()
        result = chain.wait_for("kel_board_temperature_celsius")
        if result is None:
            chain.show_logs()
            return 1
        answer = result[0]["value"][1]
        written = temperature_in(metrics)
        print("Prometheus answers kel_board_temperature_celsius%s = %s"
              % (json.dumps(result[0]["metric"], sort_keys=True), answer))
        if written is None or float(answer) != float(written):
            print("FAIL: Prometheus answers %s; the file holds %s" % (answer, written))
            return 1
        mtime = chain.wait_for('node_textfile_mtime_seconds{file=~".*kel_board.prom"}')
        if mtime is None:
            return 1
        print("ok: the exporter reports the file's time too (%s)" % mtime[0]["value"][1])
        return 0
    finally:
        chain.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--server", required=True,
                        help="kel_server, with the simulated library beside it")
    parser.add_argument("--board-config", required=True, help="the simulated library's kel.ini")
    options = parser.parse_args()
    for program in (EXPORTER, PROMETHEUS):
        if shutil.which(program) is None:
            print("skipped: %s is not installed (.ci/install-missing linux)" % program)
            return 77
    with tempfile.TemporaryDirectory(prefix="kel-chain-") as folder:
        return run_chain(options, folder)


if __name__ == "__main__":
    sys.exit(main())
