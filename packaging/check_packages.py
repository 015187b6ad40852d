#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The kel-board-demos authors
# SPDX-License-Identifier: MIT
"""Checks the release packages in one directory, each unpacked into an empty
one: what they hold and with which permissions, what the Windows programs
import and the simulated KEL.dll exports, that the 64-bit ZIP (under Wine),
the Linux archive and the Debian package's tree print the documentation's sample
runs with the files they ship, directly and through their board server and
remote library, and that an operator's own libKEL.so wins over the
simulated one where the read-me says, for the programs and the server.

Called by packaging/build-and-check-packages, which builds the packages and
gives this a scratch directory and a Wine prefix of its own.
"""
import argparse
import io
import os
import re
import shutil
import signal
import subprocess
import sys
import tarfile
import zipfile

# The board library's entry points with the bytes of their arguments, which
# a 32-bit stdcall name carries (KEL_init@8): read from board_api/KEL.def,
# which the simulated stdcall KEL.dll's exports check in turn.
ENTRY_POINTS = {}


def read_module_definition(path):
    for line in open(path, encoding="utf-8"):
        entry = re.match(r"\s+(KEL_\w+)@(\d+)\s*$", line)
        if entry:
            ENTRY_POINTS[entry.group(1)] = int(entry.group(2))
    return len(ENTRY_POINTS) == 13


# Each program imports the entry points it calls, no other name: demo_sgen
# never asks for a unit's state.
def program_calls(program):
    calls = set(ENTRY_POINTS)
    return calls - {"KEL_puState"} if program.startswith("demo_sgen") else calls


PROGRAMS = ("demo_sgen.exe", "demo_sensors.exe")
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll"}
# The server and the remote library also use sockets, the system's
# cryptography and, for a token file's access list, the security API.
NETWORK_DLLS = SYSTEM_DLLS | {"ws2_32.dll", "bcrypt.dll", "advapi32.dll"}
WINDOWS_FILES = {"README.txt", "demo_sgen.exe", "demo_sensors.exe", "KEL.dll",
                 "demo_sgen.ini", "demo_sensors.ini", "kel_sgen.ini", "windows.md",
                 "soak/kel.ini", "soak/demo_sensors.ini", "kel_server.exe", "remote/KEL.dll",
                 "board-server.md", "NEWS.md", "LICENSES/MIT.txt"}
SAMPLES = "share/kel-board-demos/examples"
LINUX_FILES = {"bin/demo_sgen", "bin/demo_sensors", "bin/plot-sensor-log", "bin/kel_server",
               "lib/kel-board-demos/simulated/libKEL.so", "lib/kel-board-demos/remote/libKEL.so",
               "share/man/man1/kel_server.1",
               SAMPLES + "/demo_sgen.ini", SAMPLES + "/demo_sensors.ini",
               SAMPLES + "/kel_sgen.ini", SAMPLES + "/soak/kel.ini",
               SAMPLES + "/soak/demo_sensors.ini", "share/doc/kel-board-demos/README",
               "share/man/man1/demo_sgen.1", "share/man/man1/demo_sensors.1",
               "share/man/man1/plot-sensor-log.1", "share/doc/kel-board-demos/NEWS.md",
               "share/doc/kel-board-demos/LICENSES/MIT.txt",
               "share/doc/kel-board-demos/copyright"}
# The board server's systemd unit and the alert rules on its metrics.
SERVICE_UNIT = "lib/systemd/system/kel-server.service"
LAB_FILES = {SERVICE_UNIT, "share/kel-board-demos/prometheus/kel-board.rules.yml"}
# The most that `systemd-analyze security` may rate the unit's exposure.
EXPOSURE_LIMIT = 2.0
OPERATOR_LIBRARY = "lib/kel-board-demos"
RUNPATH = "$ORIGIN/../lib/kel-board-demos:$ORIGIN/../lib/kel-board-demos/simulated"
WINDOWS_KINDS = {  # file name suffix: objdump, PE format, stdcall names
    "win64": ("x86_64-w64-mingw32-objdump", "pei-x86-64", False),
    "win32": ("i686-w64-mingw32-objdump", "pei-i386", False),
    "win32-stdcall": ("i686-w64-mingw32-objdump", "pei-i386", True),
}
TIMEOUT_SECONDS = 120
PRODUCT = "kel-board-demos"
VERSION = None  # the project's one version, as the package names carry it

failures = []


def fail(what):
    failures.append(what)
    print("FAIL: " + what)


def check(condition, what):
    if not condition:
        fail(what)
    return condition


# Where the documentation shows each program's sample run.
SAMPLE_PAGES = {"demo_sgen": "README.md", "demo_sensors": "docs/demo_sensors.md"}


def documented_sample(checkout, program):
    """The first fenced block after 'A sample run' in the page showing the program's run."""
    text = open(os.path.join(checkout, SAMPLE_PAGES[program]), encoding="utf-8").read()
    after = text[text.index("A sample run"):]
    block = re.search(r"\n```\n(.*?)```\n", after, re.S)
    return block.group(1)


def licence_and_news(label, folder, checkout, copyright_file=None):
    """The licence's text and NEWS.md as the checkout holds them, NEWS.md's
    newest version the one the packages carry, and a Debian copyright file
    in the machine-readable form with the licence's text as its paragraph."""
    for name in ("LICENSES/MIT.txt", "NEWS.md"):
        with open(os.path.join(checkout, name), "rb") as wanted, \
                open(os.path.join(folder, name), "rb") as shipped:
            check(shipped.read() == wanted.read(), "%s: %s differs from the checkout's" % (label, name))
    with open(os.path.join(folder, "NEWS.md"), encoding="utf-8") as news:
        newest = re.search(r"^## (\d+(?:\.\d+)*)", news.read(), re.M)
    check(newest is not None and newest.group(1) == VERSION,
          "%s: NEWS.md's newest version is %s, not %s"
          % (label, newest.group(1) if newest else None, VERSION))
    if copyright_file is None:
        return
    with open(copyright_file, encoding="utf-8") as text:
        paragraphs = text.read().split("\n\n")
    licence = open(os.path.join(checkout, "LICENSES/MIT.txt"), encoding="utf-8").read().strip()
    folded = "License: MIT\n" + "\n".join(" " + (line or ".") for line in licence.split("\n"))
    check(paragraphs[0].startswith("Format: https://www.debian.org/doc/packaging-manuals/"
                                   "copyright-format/1.0/\n")
          and any(p.startswith("Files: *\n") and "\nLicense: MIT" in p for p in paragraphs)
          and folded in [p.strip("\n") for p in paragraphs],
          "%s: copyright is not a DEP-5 file with the MIT licence's text" % label)


def carries_version(label, path, wide):
    """Every program and library names the release it comes from: in its
    version resource on Windows (UTF-16 text), as plain text elsewhere."""
    data = open(path, "rb").read()
    if wide:
        found = all(t.encode("utf-16-le") in data for t in (PRODUCT, VERSION))
    else:
        found = ("%s %s:" % (PRODUCT, VERSION)).encode() in data
    check(found, "%s: %s does not carry version %s" % (label, os.path.basename(path), VERSION))


def run(command, cwd, env=None, encoding="utf-8"):
    result = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=TIMEOUT_SECONDS)
    out = result.stdout.replace(b"\r\n", b"\n").decode(encoding, "replace")
    return result.returncode, out, result.stderr.decode("utf-8", "replace")


def compare_run(label, command, cwd, expected, env=None, encoding="utf-8"):
    status, out, err = run(command, cwd, env, encoding)
    if check(status == 0 and out == expected, "%s: the documented sample run" % label):
        print("ok: %s prints the documented sample run" % label)
    else:
        print("  status %d\n  stdout:\n%s\n  stderr:\n%s" % (status, out, err))


def modes_are_fixed(label, members):
    """Directories 755, programs 755, other files 644, whatever the umask."""
    for name, mode, kind in members:
        wanted = 0o755 if kind == "dir" or "/bin/" in "/" + name else 0o644
        check(mode & 0o7777 == wanted,
              "%s: %s has mode %o, not %o" % (label, name, mode & 0o7777, wanted))


# ---- Windows ----------------------------------------------------------------

def pe_tables(objdump, path):
    """The file format, the names imported per DLL and the names exported."""
    text = subprocess.run([objdump, "-p", path], stdout=subprocess.PIPE, check=True,
                          universal_newlines=True).stdout
    form = re.search(r"file format (\S+)", text).group(1)
    imports = {}
    current = None
    for line in text.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            current = imports.setdefault(named.group(1), set())
            continue
        entry = re.match(r"\s*[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if current is not None and entry:
            current.add(entry.group(1))
        elif not line.strip():
            current = None
    exports = set()
    table = text.split("[Ordinal/Name Pointer] Table", 1)
    if len(table) == 2:
        for line in table[1].splitlines()[1:]:
            entry = re.match(r"\s*\[\s*\d+\]\s+(\S+)$", line)
            if not entry:
                break
            exports.add(entry.group(1))
    return form, imports, exports


def check_windows_zip(path, kind, work, checkout, wine):
    objdump, form_wanted, stdcall = WINDOWS_KINDS[kind]
    def decorated(entry_points):
        return {n + ("@%d" % ENTRY_POINTS[n] if stdcall else "") for n in entry_points}

    names = decorated(ENTRY_POINTS)
    failed_before = len(failures)
    root = os.path.join(work, kind)
    os.makedirs(root)
    with zipfile.ZipFile(path) as archive:
        archive.extractall(root)
    tops = os.listdir(root)
    if not check(len(tops) == 1, "%s: one top folder, not %s" % (kind, tops)):
        return
    folder = os.path.join(root, tops[0])
    present = {os.path.relpath(os.path.join(d, f), folder).replace(os.sep, "/")
               for d, _, files in os.walk(folder) for f in files}
    optional = {"recorder/KEL.dll"}
    check(WINDOWS_FILES <= present and present - WINDOWS_FILES <= optional,
          "%s: holds %s" % (kind, sorted(present)))
    if {"NEWS.md", "LICENSES/MIT.txt"} <= present:
        licence_and_news(kind, folder, checkout)
    if "README.txt" in present:
        text = open(os.path.join(folder, "README.txt"), "rb").read()
        check(text.count(b"\n") == text.count(b"\r\n"), "%s: README.txt has bare LF" % kind)
    for program in PROGRAMS:
        form, imports, _ = pe_tables(objdump, os.path.join(folder, program))
        check(form == form_wanted, "%s: %s is %s" % (kind, program, form))
        kel = imports.pop("KEL.dll", set())
        check(kel == decorated(program_calls(program)), "%s: %s imports from KEL.dll %s" % (kind, program, sorted(kel)))
        others = {dll.lower() for dll in imports}
        check(others <= SYSTEM_DLLS, "%s: %s imports %s" % (kind, program, sorted(others)))
    libraries = {"KEL.dll", "recorder/KEL.dll", "remote/KEL.dll"}
    for library in sorted(present & libraries):
        form, _, exports = pe_tables(objdump, os.path.join(folder, library))
        check(form == form_wanted, "%s: %s is %s" % (kind, library, form))
        check(exports == names, "%s: %s exports %s" % (kind, library, sorted(exports)))
    for binary in sorted(present & {"kel_server.exe", "remote/KEL.dll"}):
        form, imports, _ = pe_tables(objdump, os.path.join(folder, binary))
        check(form == form_wanted, "%s: %s is %s" % (kind, binary, form))
        others = {dll.lower() for dll in imports}
        check(others <= NETWORK_DLLS, "%s: %s imports %s" % (kind, binary, sorted(others)))
    for binary in sorted(present & (set(PROGRAMS) | libraries | {"kel_server.exe"})):
        carries_version(kind, os.path.join(folder, binary), wide=True)
    if len(failures) == failed_before:
        print("ok: %s: files, %s, imports and exports (%s names)"
              % (kind, form_wanted, "stdcall" if stdcall else "plain"))
    if wine:
        compare_run(kind + " demo_sgen.exe -q", [wine, "demo_sgen.exe", "-q"], folder,
                    documented_sample(checkout, "demo_sgen"))
        compare_run(kind + " demo_sensors.exe", [wine, "demo_sensors.exe"], folder,
                    documented_sample(checkout, "demo_sensors"), encoding="cp1251")
        # As the read-me says: the server in the folder, the program copied
        # into remote\ beside the remote library.
        shutil.copy(os.path.join(folder, "demo_sgen.exe"), os.path.join(folder, "remote"))
        through_server(kind + " remote\\demo_sgen.exe -q through kel_server.exe",
                       [wine, "kel_server.exe", "--listen", "127.0.0.1:0"], None,
                       [wine, "remote\\demo_sgen.exe", "-q"], None, folder,
                       documented_sample(checkout, "demo_sgen"), signal.SIGINT)


def check_vendor_build(form, dll, programs):
    """Programs linked with an import library made for a 32-bit stdcall
    vendor DLL: they import from KEL.dll only names that DLL exports."""
    objdump = WINDOWS_KINDS["win32"][0]
    if form == "plain":
        wanted = set(ENTRY_POINTS)
    else:
        wanted = {"_%s@%d" % (n, b) for n, b in ENTRY_POINTS.items()}
    _, _, exports = pe_tables(objdump, dll)
    failed_before = len(failures)
    check(exports == wanted, "vendor %s: the stand-in exports %s" % (form, sorted(exports)))
    for program in PROGRAMS:
        _, imports, _ = pe_tables(objdump, os.path.join(programs, program))
        kel = imports.get("KEL.dll", set())
        check(kel and kel <= exports,
              "vendor %s: %s imports %s" % (form, program, sorted(kel - exports) or "nothing"))
    if len(failures) == failed_before:
        print("ok: programs linked for a stdcall KEL.dll with %s names import only its exports"
              % form)


def start_server(command, cwd, env):
    """A board server of a package on a port the system chooses; its
    process and address, read from its "listening on" line."""
    server = subprocess.Popen(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    line = server.stdout.readline().decode("utf-8", "replace")
    return server, line[len("listening on "):].strip() if line.startswith("listening on ") else None


def stop_server(server, stop_signal):
    """Ends a server as an operator does; its status and log."""
    server.send_signal(stop_signal)
    try:
        _, log = server.communicate(timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        server.kill()
        _, log = server.communicate()
    return server.returncode, log.decode("utf-8", "replace")


def through_server(label, server_command, server_env, program, program_env, cwd, expected,
                   stop_signal):
    """The program's documented run through the package's board server and
    remote library (program_env, or the program's place, finds the remote
    library first); the server's log."""
    server, address = start_server(server_command, cwd, server_env)
    if not check(address is not None, "%s: the server did not start" % label):
        print("  " + stop_server(server, signal.SIGKILL)[1])
        return ""
    try:
        compare_run(label, program, cwd, expected,
                    dict(program_env or os.environ, KEL_SERVER=address))
    finally:
        status, log = stop_server(server, stop_signal)
    check(status == 0, "%s: the server ended with status %s:\n%s" % (label, status, log))
    # Else the program found the simulated library, which prints the same.
    check(re.search(r'client 1 \("demo_sgen(\.exe)?\[\d+\]", 127\.0\.0\.1\) arrived', log),
          "%s: the program never reached the server:\n%s" % (label, log))
    return log


# ---- Linux ------------------------------------------------------------------

def unpack_tar(archive, prefix, strip_top):
    """Unpacks into prefix; returns (name, mode, kind) of every member."""
    members = []
    for member in archive.getmembers():
        name = member.name.lstrip("./")
        if strip_top:
            name = name.partition("/")[2]
        kind = "dir" if member.isdir() else "file"
        if not name or member.issym() or member.islnk():
            if not name and kind == "dir":  # the top directory, mode checked too
                members.append((".", member.mode, kind))
            continue
        members.append((name.rstrip("/"), member.mode, kind))
        target = os.path.join(prefix, name)
        if member.isdir():
            os.makedirs(target, exist_ok=True)
        else:
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as out:
                out.write(archive.extractfile(member).read())
            os.chmod(target, member.mode & 0o777)
    return members


def runpath_of(program):
    text = subprocess.run(["readelf", "-d", program], stdout=subprocess.PIPE,
                          check=True, universal_newlines=True).stdout
    runpath = re.search(r"\(RUNPATH\)\s+Library runpath: \[(.*)\]", text)
    return runpath.group(1) if runpath else None, "(RPATH)" in text


def check_linux_tree(label, prefix, members, checkout, stand_in):
    present = {name for name, _, kind in members if kind == "file"}
    shipped = LINUX_FILES | LAB_FILES
    check(shipped <= present and present - shipped <= {OPERATOR_LIBRARY + "/recorder/libKEL.so"},
          "%s: holds %s" % (label, sorted(present)))
    if SERVICE_UNIT in present:
        check_service_unit(label, prefix)
    check(os.path.isdir(os.path.join(prefix, OPERATOR_LIBRARY)),
          "%s: no %s/ for the operator's library" % (label, OPERATOR_LIBRARY))
    for program in ("demo_sgen", "demo_sensors"):
        runpath, has_rpath = runpath_of(os.path.join(prefix, "bin", program))
        check(runpath == RUNPATH and not has_rpath,
              "%s: %s run path %s, rpath %s" % (label, program, runpath, has_rpath))
    for binary in sorted(present & {"bin/demo_sgen", "bin/demo_sensors", "bin/kel_server",
                                    OPERATOR_LIBRARY + "/simulated/libKEL.so",
                                    OPERATOR_LIBRARY + "/recorder/libKEL.so",
                                    OPERATOR_LIBRARY + "/remote/libKEL.so"}):
        carries_version(label, os.path.join(prefix, binary), wide=False)
    documents = os.path.join(prefix, "share/doc/kel-board-demos")
    if LINUX_FILES <= present:  # what is missing failed above
        licence_and_news(label, documents, checkout, os.path.join(documents, "copyright"))
    for page in ("share/man/man1/demo_sgen.1", "share/man/man1/demo_sensors.1",
                 "share/man/man1/kel_server.1", "share/man/man1/plot-sensor-log.1",
                 "share/doc/kel-board-demos/README"):
        with open(os.path.join(prefix, page), encoding="utf-8") as text:
            head = text.read(300)
        check("%s %s" % (PRODUCT, VERSION) in head or ("programs %s " % VERSION) in head,
              "%s: %s does not name version %s" % (label, page, VERSION))
    env = {k: v for k, v in os.environ.items() if k not in ("LD_LIBRARY_PATH", "KEL_SIM_TRACE")}
    samples = os.path.join(prefix, SAMPLES)
    sgen = [os.path.join(prefix, "bin", "demo_sgen"), "-q"]
    compare_run(label + " bin/demo_sgen -q", sgen, samples, documented_sample(checkout, "demo_sgen"), env)
    compare_run(label + " bin/demo_sensors", [os.path.join(prefix, "bin", "demo_sensors")],
                samples, documented_sample(checkout, "demo_sensors"), env)
    # The plotting tool starts with the system's Python (its usage needs no
    # matplotlib).
    status, out, err = run([os.path.join(prefix, "bin", "plot-sensor-log"), "--help"], samples, env)
    check(status == 0 and out.startswith("usage: plot-sensor-log"),
          "%s: bin/plot-sensor-log --help: status %d, %s" % (label, status, err))

    # The documented run through the package's server and remote library;
    # the server serves the simulated library when nothing else is there.
    server = [os.path.join(prefix, "bin", "kel_server"), "--listen", "127.0.0.1:0"]
    remote = dict(env, LD_LIBRARY_PATH=os.path.join(prefix, OPERATOR_LIBRARY, "remote"))
    log = through_server(label + " bin/demo_sgen -q through bin/kel_server", server, env, sgen,
                         remote, samples, documented_sample(checkout, "demo_sgen"),
                         signal.SIGTERM)
    # As the server names its directory (links resolved).
    library_folder = os.path.join(os.path.realpath(prefix), "bin", "..", OPERATOR_LIBRARY)
    simulated = os.path.join(library_folder, "simulated", "libKEL.so")
    check("serving the board library %s\n" % simulated in log,
          "%s: bin/kel_server serves another library than the simulated one:\n%s"
          % (label, log))

    # Which libKEL.so the programs load: the operator's by LD_LIBRARY_PATH,
    # then the one put in lib/kel-board-demos/, else the simulated one. The
    # server serves the one put there too.
    marker = "stand-in board library\n"
    named = dict(env, LD_LIBRARY_PATH=os.path.dirname(stand_in))
    check(run(sgen, samples, named)[1].startswith(marker),
          "%s: LD_LIBRARY_PATH does not win over the shipped library" % label)
    placed = os.path.join(prefix, OPERATOR_LIBRARY, "libKEL.so")
    shutil.copy(stand_in, placed)
    check(run(sgen, samples, env)[1].startswith(marker),
          "%s: a libKEL.so in %s/ is not used" % (label, OPERATOR_LIBRARY))
    log = stop_server(start_server(server, samples, env)[0], signal.SIGTERM)[1]
    operators = os.path.join(library_folder, "libKEL.so")
    check("serving the board library %s\n" % operators in log,
          "%s: bin/kel_server does not serve a libKEL.so in %s/:\n%s"
          % (label, OPERATOR_LIBRARY, log))
    os.remove(placed)
    check(not run(sgen, samples, env)[1].startswith(marker),
          "%s: the stand-in is used when nothing names it" % label)
    print("ok: %s: files, modes, run path, library search order, the board server" % label)


def check_service_unit(label, prefix):
    """The shipped unit starts this tree's bin/kel_server, passes `systemd-analyze
    verify`, and is rated at most EXPOSURE_LIMIT by `systemd-analyze security`
    (systemd 252: --offline=yes on the unit's file). The unit names
    /usr/bin/kel_server: a copy names the unpacked one, which verify wants to
    find executable."""
    if not check(shutil.which("systemd-analyze") is not None,
                 "%s: no systemd-analyze to check the unit (.ci/install-missing packages)"
                 % label):
        return
    text = open(os.path.join(prefix, SERVICE_UNIT), encoding="utf-8").read()
    started = re.findall(r"^ExecStart=(\S+)", text, re.M)
    check(started == ["/usr/bin/kel_server"] and os.path.isfile(os.path.join(prefix, "bin",
                                                                             "kel_server")),
          "%s: the unit starts %s, not the package's /usr/bin/kel_server" % (label, started))
    folder = os.path.join(os.path.dirname(prefix), "unit-" + label.replace(" ", "-"))
    os.makedirs(folder)
    unit = os.path.join(folder, "kel-server.service")
    with open(unit, "w", encoding="utf-8") as copy:
        copy.write(text.replace("ExecStart=/usr/bin/kel_server",
                                "ExecStart=" + os.path.join(prefix, "bin", "kel_server")))
    # --man=no: the page is in the package, not installed on this host.
    status, out, err = run(["systemd-analyze", "verify", "--man=no", unit], folder)
    check(status == 0 and not (out + err).strip(),
          "%s: systemd-analyze verify (status %d):\n%s%s" % (label, status, out, err))
    status, out, err = run(["systemd-analyze", "security", "--offline=yes", "--no-pager", unit],
                           folder)
    figure = re.search(r"Overall exposure level for \S+: (\d+\.\d+)", out)
    exposure = float(figure.group(1)) if figure else None
    if check(exposure is not None and exposure <= EXPOSURE_LIMIT,
             "%s: systemd-analyze security rates the unit %s, above %.1f (status %d):\n%s"
             % (label, exposure, EXPOSURE_LIMIT, status, err or out[-2000:])):
        print("ok: %s: the systemd unit verifies, exposure %.1f" % (label, exposure))

def check_linux_archive(path, work, checkout, stand_in):
    prefix = os.path.join(work, "linux-prefix")
    os.makedirs(prefix)
    with tarfile.open(path) as archive:
        members = unpack_tar(archive, prefix, strip_top=True)
    modes_are_fixed("archive", members)
    check_linux_tree("archive", prefix, members, checkout, stand_in)


def check_debian_package(path, work, checkout, stand_in):
    fields = subprocess.run(["dpkg-deb", "--field", path, "Package", "Architecture", "Depends"],
                            stdout=subprocess.PIPE, check=True,
                            universal_newlines=True).stdout
    check("Package: kel-board-demos" in fields and "Depends: libc6" in fields
          and "libssl3" in fields,
          "Debian package fields:\n" + fields)
    data = subprocess.run(["dpkg-deb", "--fsys-tarfile", path], stdout=subprocess.PIPE,
                          check=True).stdout
    root = os.path.join(work, "debian-root")
    os.makedirs(root)
    with tarfile.open(fileobj=io.BytesIO(data)) as archive:
        members = unpack_tar(archive, root, strip_top=False)
    modes_are_fixed("Debian package", members)
    usr = [(name[len("usr/"):], mode, kind) for name, mode, kind in members
           if name.startswith("usr/")]
    check(len(usr) == len([m for m in members if m[0] not in (".", "usr")]),
          "Debian package: files outside /usr")
    check_linux_tree("Debian package", os.path.join(root, "usr"), usr, checkout, stand_in)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--packages", required=True, help="directory holding the packages")
    parser.add_argument("--work", required=True, help="empty scratch directory")
    parser.add_argument("--checkout", required=True)
    parser.add_argument("--stand-in", required=True, help="a stand-in libKEL.so")
    parser.add_argument("--wine", help="runs the 64-bit programs; absent: not run")
    parser.add_argument("--module-definition", required=True,
                        help="board_api/KEL.def, the stdcall names")
    parser.add_argument("--vendor", nargs=3, action="append", default=[],
                        metavar=("FORM", "DLL", "PROGRAMS"),
                        help="a stand-in vendor DLL (names plain or msvc) and the "
                             "folder of programs linked for it")
    options = parser.parse_args()
    if not read_module_definition(options.module_definition):
        print("FAIL: %s does not name the 13 entry points" % options.module_definition)
        return 1

    found = sorted(os.listdir(options.packages))
    print("packages: " + " ".join(found))
    global VERSION
    versions = {m.group(1) for m in (re.match(PRODUCT + r"[-_](\d+(?:\.\d+)*)[-_]", f)
                                     for f in found) if m}
    if not check(len(versions) == 1, "one version in the package names, not %s" % versions):
        return 1
    VERSION = versions.pop()
    for kind in WINDOWS_KINDS:
        zips = [f for f in found if f.endswith("-%s.zip" % kind)]
        if check(len(zips) == 1, "one %s ZIP, not %s" % (kind, zips)):
            # 32-bit x86 code cannot be executed here: those are inspected only.
            wine = options.wine if kind == "win64" else None
            check_windows_zip(os.path.join(options.packages, zips[0]), kind, options.work,
                              options.checkout, wine)
    for suffix, checker in ((".tar.gz", check_linux_archive), (".deb", check_debian_package)):
        files = [f for f in found if f.endswith(suffix)]
        if check(len(files) == 1, "one %s package, not %s" % (suffix, files)):
            checker(os.path.join(options.packages, files[0]), options.work, options.checkout,
                    options.stand_in)
    for form, dll, programs in options.vendor:
        check_vendor_build(form, dll, programs)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("every package checked")
    return 0


if __name__ == "__main__":
    sys.exit(main())
