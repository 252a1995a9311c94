#!/usr/bin/env python3
"""The packed installer attacked as a whole under Wine.

TamperTest: while Windows Installer installs a package, a custom action tries
to change, remove and replace the extracted .msi and the .cab beside it.
PlantTest: every system library the installer loads lazily or at start-up is
planted beside it, in its current directory, in a PATH directory and in the
extraction directory; whole runs (silent with a certificate, a network error,
interactive) load none of them.
SingleInstanceLoadTest: eight installers started at once; one proceeds.

Environment (set by CMake): TARN_PACK, TARN_STUB_KIT, TARN_WINE_RUN,
TARN_BUILD_DIR, TARN_WINEPREFIX, TARN_HARDEN_SRC (this directory),
TARN_HARDEN_ACTION (the custom action), TARN_PLANT_CONTROL (the careless
loader), TARN_HARDEN_DLLS (the planted library and the system stand-ins),
TARN_NETMSG_WINEPREFIX (the prefix whose system directory holds the
stand-ins).
"""
import glob
import os
import re
import secrets
import shutil
import stat
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from tarntest import (ENV, PREFIX, errors, make_cert, pack, program_files, read, scratch,  # noqa: E402
                      start_wine, temp_entries, text, win_path, wine, write)

SETUP_NAME = "harden-setup.exe"
STDERR_OF_ANOTHER = f"{SETUP_NAME}: error: Another installer is already running\n"

# Product name, Program Files directory, upgrade code, component GUID: one product per test.
PRODUCTS = {
    "tamper": ("Tarnvale Harden Tamper", "TarnvaleHardenTamper", "6F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F1",
               "7A2B3C4D-5E6F-4081-92A3-B4C5D6E7F809"),
    "gate": ("Tarnvale Harden Gate", "TarnvaleHardenGate", "8B3C4D5E-6F70-4192-A3B4-C5D6E7F8091A",
             "9C4D5E6F-7081-42A3-B4C5-D6E7F8091A2B"),
    "plant": ("Tarnvale Harden Plant", "TarnvaleHardenPlant", "AD5E6F70-8192-43B4-C5D6-E7F8091A2B3C",
              "BE6F7081-92A3-44C5-D6E7-F8091A2B3C4D"),
}

# The packer tests' picture.
SPLASH_PNG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "packer", "splash.png")

ERROR_ACCESS_DENIED = 5
ERROR_SHARING_VIOLATION = 32
# Longer than a plain run may take: these runs install under heavy tracing and planted-library checks.
HARDEN_TIMEOUT = 300
TAMPER_ATTEMPTS = ["open-for-writing", "truncate", "delete", "delete-on-close", "rename", "replace-by-move",
                   "new-file-over-it"]


def temp_dirs(prefix=None):
    """The directories in the temporary directories of the prefix's users: the installer makes its
    extraction directory there. (Files come and go: Windows Installer keeps its own temporary files there
    and removes them a moment after the installation.)"""
    return temp_entries(prefix, dirs_only=True)


def ensure_prefix(prefix=None):
    """Creates the prefix if it is not there yet (wine-run.sh does that before it runs anything)."""
    proc = wine("cmd", "/c", "exit", prefix=prefix, timeout=HARDEN_TIMEOUT)
    if proc.returncode != 0:
        raise RuntimeError(f"the Wine prefix {prefix or PREFIX} is not usable: {proc.stderr.decode(errors='replace')}")


def make_package(directory, product, payload, *queries):
    """The product's package and its external cabinet (holding payload.txt) in @directory: (msi, cab)."""
    name, folder, upgrade_code, component = PRODUCTS[product]
    cab_name = f"{folder}.cab"
    work = os.path.join(directory, f"{product}-build")
    os.makedirs(work)
    write(os.path.join(work, "payload.txt"), payload)
    msi = os.path.join(directory, f"{folder}.msi")
    subprocess.run(["wixl", "-a", "x64", "-D", f"ProductName={name}", "-D", f"ProductDir={folder}", "-D",
                    f"Cabinet={cab_name}", "-D", f"UpgradeCode={upgrade_code}", "-D", f"ComponentGuid={component}",
                    "-o", msi, os.path.join(ENV["TARN_HARDEN_SRC"], "TarnHarden.wxs")],
                   cwd=work, check=True, capture_output=True)
    # The file comes from the cabinet (compressed), where the cabinet names it by its key.
    for query in ("UPDATE File SET Attributes = 16384 WHERE File = 'PayloadTxt'", *queries):
        subprocess.run(["msibuild", msi, "-q", query], check=True, capture_output=True)
    os.rename(os.path.join(work, "payload.txt"), os.path.join(work, "PayloadTxt"))
    cab = os.path.join(directory, cab_name)
    subprocess.run(["gcab", "-c", cab, "PayloadTxt"], cwd=work, check=True, capture_output=True)
    return msi, cab


def custom_action(action, target, sequence):
    """msibuild queries adding @action, a program named by the property TARNHARDENACTION (type 50)."""
    return [f"INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('{action}', 50, 'TARNHARDENACTION', "
            f"'{target}')",
            f"INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES ('{action}', '', {sequence})"]


class HardenFixture(unittest.TestCase):
    def setUp(self):
        self.tmp = scratch(self, "tarn-harden-")
        ensure_prefix()


class TamperTest(HardenFixture):
    def test_held_packages_refuse_every_change_and_are_installed_unchanged(self):
        token = secrets.token_hex(8).encode()
        # Before InstallFiles, which then reads the cabinet the attempts were made on.
        msi, cab = make_package(self.tmp, "tamper", token,
                                *custom_action("TarnTamper", 'tamper "[OriginalDatabase]" "[TARNHARDENREPORT]"', 3900))
        setup = os.path.join(self.tmp, SETUP_NAME)
        pack(setup, f"amd64:{msi}", f"all:{cab}")
        report_dir = os.path.join(self.tmp, "report")
        os.mkdir(report_dir)
        temp_before = temp_dirs()

        proc = wine(setup, "--silent", "--msi-prop", "TARNHARDENACTION", win_path(ENV["TARN_HARDEN_ACTION"]),
                    "--msi-prop", "TARNHARDENREPORT", win_path(report_dir), timeout=HARDEN_TIMEOUT)
        lines = read(os.path.join(report_dir, "report.txt")).decode().splitlines()
        self.assertEqual("end", lines[-1], "the custom action did not finish")
        directory = lines[0].removeprefix("directory ")
        # The packages were attacked where the installer extracted them: a fresh directory in the temporary one.
        self.assertRegex(directory, r"^C:\\users\\[^\\]+\\Temp\\[^\\]{24}$")
        results = {}
        for line in lines[1:-1]:
            name, attempt, *outcome = line.split(" ")
            results.setdefault(name, {})[attempt] = outcome
        for path in (msi, cab):
            name = os.path.basename(path)
            self.assertIn(name, results, "package not found by the custom action")
            self.assertEqual([str(os.path.getsize(path))], results[name].get("present"))
            for attempt in TAMPER_ATTEMPTS:
                outcome = results[name].get(attempt)
                with self.subTest(file=name, attempt=attempt):
                    self.assertIsNotNone(outcome)
                    self.assertEqual("refused", outcome[0])
                    self.assertIn(int(outcome[1]), (ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION))
            self.assertEqual(read(path), read(os.path.join(report_dir, f"{name}.seen")), name)
        self.assertEqual((0, ""), (proc.returncode, errors(proc.stderr)))
        # Windows Installer read the original cabinet after the attempts.
        self.assertEqual(token, read(os.path.join(program_files(PRODUCTS["tamper"][1]), "payload.txt")))
        self.assertEqual(temp_before, temp_dirs())


PLANTED = ["MSI.DLL", "CRYPT32.DLL", "SHELL32.DLL", "COMCTL32.DLL", "GDIPLUS.DLL", "WS2_32.DLL", "WSOCK32.DLL",
           "netmsg.dll"]
# Wine takes its own copy of a system library wherever a file of that name lies unless told otherwise: with
# these overrides a planted library is taken as Windows would take it.
PLANT_OVERRIDES = "mscoree,mshtml=;" + ",".join(name[:-4].lower() for name in PLANTED) + "=n,b"
PLANT_DIRS = ("app", "cwd", "path", "extract")
PLANTED_TEXT = "Planted network text 2250."
# Wine's loader reports every library it loads (WINEDEBUG=+loaddll).
LOADED_RE = re.compile(r'trace:loaddll:\S+ Loaded L"([^"]+\.dll)" at \S+: (\w+)', re.I)


class PrivateDirectoryTest(HardenFixture):
    def test_the_extraction_directory_grants_others_nothing_while_the_packages_install(self):
        # Held in its custom action, the installation shows the directory it runs from. Wine keeps the
        # descriptor the installer gives a new directory as its Unix mode: a private one grants others
        # nothing (the Administrators' entry becomes the group's bits), and no other user can reach the
        # packages in it; a directory made without it would let everyone enter and read (0755).
        reached, gate = os.path.join(self.tmp, "reached"), os.path.join(self.tmp, "gate")
        msi, cab = make_package(self.tmp, "gate", b"gate\n",
                                *custom_action("TarnGate", f'gate "{win_path(reached)}" "{win_path(gate)}"', 3900))
        setup = os.path.join(self.tmp, SETUP_NAME)
        pack(setup, f"amd64:{msi}", f"all:{cab}")
        temp_before = temp_dirs()
        err = open(os.path.join(self.tmp, "err"), "wb")
        runner = start_wine(setup, "--silent", "--msi-prop", "TARNHARDENACTION", win_path(ENV["TARN_HARDEN_ACTION"]),
                            stderr=err)
        err.close()
        try:
            deadline = time.monotonic() + HARDEN_TIMEOUT
            while not os.path.exists(reached) and runner.poll() is None and time.monotonic() < deadline:
                time.sleep(0.5)
            self.assertTrue(os.path.exists(reached), "the installation did not reach its custom action")
            made = sorted(temp_dirs() - temp_before)
            self.assertEqual(1, len(made), made)
            mode = stat.S_IMODE(os.stat(made[0]).st_mode)
            self.assertEqual(0, mode & 0o007, f"{made[0]} has mode {mode:o}")
            self.assertEqual(sorted(os.path.basename(p) for p in (msi, cab)), sorted(os.listdir(made[0])))
        finally:
            open(gate, "w").close()
            runner.wait(timeout=HARDEN_TIMEOUT)
        self.assertEqual(0, runner.returncode, errors(read(os.path.join(self.tmp, "err"))))
        self.assertEqual(temp_before, temp_dirs())


class PlantTest(HardenFixture):
    """Run under a virtual display (the interactive run shows windows)."""

    def setUp(self):
        super().setUp()
        self.dirs = {name: os.path.join(self.tmp, name) for name in PLANT_DIRS}
        for directory in self.dirs.values():
            os.mkdir(directory)
            for name in PLANTED:
                shutil.copyfile(os.path.join(ENV["TARN_HARDEN_DLLS"], "plant.dll"), os.path.join(directory, name))
        self.setup = os.path.join(self.dirs["app"], SETUP_NAME)

    def add_custom_dir(self):
        """A customisation directory beside the installer, which the run copies with the shell. (Its copy
        keeps the extraction directory from being removed: use it with an existing --path directory.)"""
        os.makedirs(os.path.join(self.dirs["app"], ".custom"))
        write(os.path.join(self.dirs["app"], ".custom", "note.txt"), b"customised\n")

    def run_planted(self, *args, prefix=None, timeout=HARDEN_TIMEOUT):
        """The installer started from the planted current directory with the planted PATH directory; (exit
        code, its own standard error, the libraries loaded in the prefix meanwhile {lower-case name: path})."""
        proc = wine(self.setup, *args, cwd=self.dirs["cwd"], timeout=timeout, prefix=prefix,
                    WINEDLLOVERRIDES=PLANT_OVERRIDES, WINEPATH=win_path(self.dirs["path"]),
                    WINEDEBUG="-all,+loaddll")
        err = errors(proc.stderr)
        loaded = {}
        for path, _ in LOADED_RE.findall(err):
            path = path.replace("\\\\", "\\")
            loaded.setdefault(path.rsplit("\\", 1)[-1].lower(), []).append(path)
        own = "".join(line + "\n" for line in err.split("\n") if line and "trace:loaddll:" not in line)
        return proc.returncode, own, loaded

    def assert_nothing_planted_loaded(self, loaded, *expected):
        markers = [p for d in self.dirs.values() for p in glob.glob(os.path.join(d, "*.loaded"))]
        self.assertEqual([], markers, "planted libraries were loaded")
        for name in expected:
            self.assertIn(name, loaded, f"the run did not load {name}: it proves nothing about it")
        planted_roots = tuple(win_path(d).lower() + "\\" for d in self.dirs.values())
        for name, paths in loaded.items():
            for path in paths:
                self.assertFalse(path.lower().startswith(planted_roots), path)

    def assert_plants_work(self, prefix=None):
        """The control: plain loads of the same files, from each directory, do load them; and, in the
        prefix of the planting runs (whose system directory has no netmsg.dll), a plain search by bare name
        finds the planted netmsg.dll in the current directory and in the PATH directory."""
        control = os.path.join(self.dirs["app"], "plant-control.exe")
        shutil.copyfile(ENV["TARN_PLANT_CONTROL"], control)
        env = dict(prefix=prefix, timeout=HARDEN_TIMEOUT, WINEDLLOVERRIDES=PLANT_OVERRIDES)

        def loads(*names, cwd, exe=control, **more):
            proc = wine(exe, "load", *names, cwd=cwd, **env, **more)
            return [line.split(" ", 1)[1].lower() for line in text(proc.stdout).splitlines()]

        def planted(where, name):
            return win_path(os.path.join(self.dirs[where], name)).lower()

        # Beside the program, the plain search takes every planted name.
        self.assertEqual([planted("app", name) for name in PLANTED], loads(*PLANTED, cwd=self.dirs["app"]))
        if prefix is None:
            clean = os.path.join(self.tmp, "control")
            os.mkdir(clean)
            clean_control = shutil.copy(control, clean)
            self.assertEqual([planted("cwd", "netmsg.dll")], loads("netmsg.dll", cwd=self.dirs["cwd"],
                                                                   exe=clean_control))
            self.assertEqual([planted("path", "netmsg.dll")],
                             loads("netmsg.dll", cwd=clean, exe=clean_control, WINEPATH=win_path(self.dirs["path"])))
        for where, directory in self.dirs.items():
            if where != "app":
                self.assertEqual([planted(where, name) for name in PLANTED],
                                 loads(*(win_path(os.path.join(directory, name)) for name in PLANTED),
                                       cwd=self.tmp))
            for name in PLANTED:
                self.assertTrue(os.path.exists(os.path.join(directory, f"{name}.loaded")), (directory, name))
            proc = wine(control, "text", win_path(os.path.join(directory, "netmsg.dll")), "2250", **env)
            self.assertEqual(PLANTED_TEXT, text(proc.stdout).strip())

    def test_silent_install_with_certificate_loads_no_planted_library(self):
        msi, cab = make_package(self.tmp, "plant", payload := b"planted run\n")
        pack(self.setup, f"amd64:{msi}", f"all:{cab}", certs=[make_cert(self.tmp, "Tarnvale Harden")[2]])
        self.add_custom_dir()
        # The extraction directory is the current one while the libraries of the installation are loaded.
        rc, err, loaded = self.run_planted("--silent", "--path", win_path(self.dirs["extract"]))
        self.assert_nothing_planted_loaded(loaded, "ws2_32.dll", "crypt32.dll", "shell32.dll", "msi.dll",
                                           "comctl32.dll")
        self.assertEqual((0, ""), (rc, err))
        self.assertEqual(payload, read(os.path.join(program_files(PRODUCTS["plant"][1]), "payload.txt")))
        self.assert_plants_work()

    def test_interactive_install_loads_no_planted_library(self):
        msi, cab = make_package(self.tmp, "plant", payload := b"interactive run\n")
        pack(self.setup, f"amd64:{msi}", f"all:{cab}", splash=SPLASH_PNG)
        self.add_custom_dir()
        # An installer that carries the splash screen's thread shows it, drawn with GDI+, in this run.
        splash = ["gdiplus.dll"] if b"trnStbSplsh" in read(self.setup) else []
        rc, err, loaded = self.run_planted("--path", win_path(self.dirs["extract"]), timeout=240)
        self.assert_nothing_planted_loaded(loaded, "ws2_32.dll", "shell32.dll", "msi.dll", "comctl32.dll", *splash)
        self.assertEqual((0, ""), (rc, err))
        self.assertEqual(payload, read(os.path.join(program_files(PRODUCTS["plant"][1]), "payload.txt")))
        self.assert_plants_work()

    def test_network_error_text_comes_from_the_system_netmsg(self):
        """In a prefix whose system directory holds a Windows Installer that fails every installation with
        error 2250 (a network error) and a netmsg.dll with its own text for it."""
        prefix = ENV["TARN_NETMSG_WINEPREFIX"]
        ensure_prefix(prefix)
        system_dir = os.path.join(prefix, "drive_c", "windows", "syswow64")
        if not os.path.isdir(system_dir):
            system_dir = os.path.join(prefix, "drive_c", "windows", "system32")
        dlls = ENV["TARN_HARDEN_DLLS"]
        shutil.copyfile(os.path.join(dlls, "standin-msi.dll"), os.path.join(system_dir, "msi.dll"))
        shutil.copyfile(os.path.join(dlls, "standin-netmsg.dll"), os.path.join(system_dir, "netmsg.dll"))

        msi, cab = make_package(self.tmp, "plant", b"network error run\n")
        pack(self.setup, f"amd64:{msi}", f"all:{cab}")
        temp_before = temp_dirs(prefix)
        rc, err, loaded = self.run_planted("--silent", prefix=prefix)
        self.assert_nothing_planted_loaded(loaded, "ws2_32.dll", "msi.dll", "comctl32.dll")
        # The system's text ends with its own CR LF, which the console output turns into CR CR LF.
        self.assertEqual((1, f"{SETUP_NAME}: error: Installation failed! Error: System network text 2250.\r\n"),
                         (rc, err))
        self.assertEqual(temp_before, temp_dirs(prefix))
        self.assert_plants_work(prefix)


class SingleInstanceLoadTest(HardenFixture):
    RUNNERS = 8
    BULK_SIZE = 64 * 1024 * 1024

    def wait_for_the_others(self, runners, reached):
        """Until one installer has reached its installation and all others have ended; a refused
        installer ends moments after its start, so an installer still running a minute after the first
        reached its installation has not been refused."""
        deadline, reached_at = time.monotonic() + 240, None
        while time.monotonic() < deadline:
            if os.path.exists(reached):
                reached_at = reached_at or time.monotonic()
                if sum(r.poll() is not None for r in runners) == len(runners) - 1 or \
                        time.monotonic() - reached_at > 60:
                    return
            time.sleep(0.5)

    def test_of_eight_installers_started_at_once_exactly_one_proceeds(self):
        # The winner waits in its custom action until the test has seen the others end, so every other
        # installer starts while it runs, however the eight are scheduled.
        reached, gate = os.path.join(self.tmp, "reached"), os.path.join(self.tmp, "gate")
        msi, cab = make_package(self.tmp, "gate", b"gate\n",
                                *custom_action("TarnGate", f'gate "{win_path(reached)}" "{win_path(gate)}"', 3900))
        bulk = os.path.join(self.tmp, "bulk.cab")
        write(bulk, os.urandom(self.BULK_SIZE))
        setup = os.path.join(self.tmp, SETUP_NAME)
        pack(setup, f"amd64:{msi}", f"all:{cab}", f"all:{bulk}")
        targets = [os.path.join(self.tmp, f"target-{i}") for i in range(self.RUNNERS)]
        temp_before = temp_dirs()

        runners = []
        for i, target in enumerate(targets):
            out = open(os.path.join(self.tmp, f"out-{i}"), "wb")
            err = open(os.path.join(self.tmp, f"err-{i}"), "wb")
            runners.append(start_wine(setup, "--silent", "--path", win_path(target), "--msi-prop",
                                      "TARNHARDENACTION", win_path(ENV["TARN_HARDEN_ACTION"]), stdout=out, stderr=err))
            out.close()
            err.close()
        try:
            self.wait_for_the_others(runners, reached)
            running = [i for i, r in enumerate(runners) if r.poll() is None]
            # Seen while the winner holds its extracted packages.
            self.assertEqual(1, len(running), "installers still running")
            self.assertTrue(os.path.exists(reached), "no installer reached its installation")
            winner = running[0]
            self.assertEqual(sorted(os.path.basename(p) for p in (msi, cab, bulk)), sorted(os.listdir(targets[winner])))
            for i, runner in enumerate(runners):
                if i != winner:
                    with self.subTest(runner=i):
                        self.assertEqual((1, "", STDERR_OF_ANOTHER),
                                         (runner.returncode, text(read(os.path.join(self.tmp, f"out-{i}"))),
                                          errors(read(os.path.join(self.tmp, f"err-{i}")))))
                        self.assertFalse(os.path.exists(targets[i]))
            self.assertEqual(temp_before, temp_dirs())
        finally:
            open(gate, "w").close()
            for runner in runners:
                runner.wait(timeout=240)
        self.assertEqual(0, runners[winner].returncode, errors(read(os.path.join(self.tmp, f"err-{winner}"))))
        self.assertFalse(os.path.exists(targets[winner]), "the winner's new --path directory is removed")
        self.assertEqual(temp_before, temp_dirs())


if __name__ == "__main__":
    unittest.main()
