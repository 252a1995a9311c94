#!/usr/bin/env python3
"""The packed installer against damaged containers, a hostile environment and
bad command lines, under Wine. Every case checks the exact texts on standard
output and standard error, the full exit code (read by the launch helper, as
a Unix exit status keeps only its low byte), and that nothing is left behind:
the temporary directories as they were, no --path directory created, nothing
installed.

Environment (set by CMake): TARN_PACK, TARN_STUB_KIT, TARN_TEST_MSI_DIR,
TARN_WINE_RUN, TARN_BUILD_DIR, TARN_WINEPREFIX, TARN_LAUNCH (launch.exe),
TARN_HOLD_FILE (hold-file.exe).
"""
import os
import shutil
import struct
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from tarntest import (AMD64_MSI, COMMON_CAB, ENV, PREFIX, holding, pack, program_files, read,  # noqa: E402
                      resource_entries, scratch, temp_entries, text, tree, wait_for_wineserver, win_path, wine,
                      write)

# Where the amd64 demo package installs itself.
INSTALLED_DIR = program_files("TarnvaleDemo")
RT_RCDATA = 10


# --------------------------------------------------------------------------
# Damaging a packed installer: its RCDATA resources, changed in place
# --------------------------------------------------------------------------

def damage(source, target, change):
    """Copies the installer source to target with change(image, resources) applied."""
    image = bytearray(read(source))
    change(image, {e.name: e for e in resource_entries(image) if e.rtype == RT_RCDATA})
    write(target, image)


def patch_resource(name, offset, data):
    def change(image, res):
        assert offset + len(data) <= res[name].size
        at = res[name].data_at + offset
        image[at:at + len(data)] = data
    return change


def empty_resource(name):
    def change(image, res):
        struct.pack_into("<I", image, res[name].entry_at + 4, 0)
    return change


# --------------------------------------------------------------------------
# Running the installer
# --------------------------------------------------------------------------

def remove_installation():
    """Uninstalls the demo package if a run installed it, so that one fault does not fail every later case.
    Returns whether it was installed."""
    if not os.path.exists(INSTALLED_DIR):
        return False
    wine("msiexec", "/x", win_path(AMD64_MSI), "/qn")
    shutil.rmtree(INSTALLED_DIR, True)
    return True


def setUpModule():
    # The prefix comes into being with its first program (launch without arguments only prints its usage).
    wine(ENV["TARN_LAUNCH"])
    # Wine's own processes (services, devices) write to the standard error of the program that started them
    # with the server; a server kept alive between the runs, and started here, keeps their words out of the
    # texts the cases compare. It ends 30 s after the last run.
    wait_for_wineserver()
    subprocess.run(["wineserver", "-p30"], env=dict(ENV, WINEPREFIX=PREFIX), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    wine(ENV["TARN_LAUNCH"])
    remove_installation()


class HardenFixture(unittest.TestCase):
    """A scratch directory and runs of a Windows program through the launch helper."""

    def setUp(self):
        self.tmp = scratch(self, "tarn-harden2-")
        # Apart from the scratch directory, whose content some cases check.
        self.exit_dir = scratch(self, "tarn-harden2-exit-")

    @classmethod
    def pack_for_the_class(cls, name):
        """The class's installer cls.setup, named @a name: the amd64 demo package and the cabinet."""
        cls.setup = os.path.join(scratch(cls, "tarn-harden2-class-"), name)
        pack(cls.setup, f"amd64:{AMD64_MSI}", f"all:{COMMON_CAB}")

    def launch(self, exe, *args, env=(), raw=False, cwd=None):
        """Runs exe with args in cwd (default: the build tree); env holds launch's NAME=VALUE and -NAME items.
        Returns exit code, stdout, stderr (as bytes with raw, else as text with plain line feeds)."""
        exit_file = os.path.join(self.exit_dir, "exit-code")
        if os.path.exists(exit_file):
            os.unlink(exit_file)
        proc = wine(ENV["TARN_LAUNCH"], win_path(exit_file), *env, "--", win_path(exe), *args, cwd=cwd,
                    stdin=subprocess.DEVNULL)
        self.assertTrue(os.path.exists(exit_file), f"launch failed: {text(proc.stderr)}")
        if raw:
            return int(read(exit_file)), proc.stdout, proc.stderr
        return int(read(exit_file)), text(proc.stdout), text(proc.stderr)

    def assert_run(self, expected, exe, *args, env=(), raw=False, cwd=None):
        """Runs exe and compares (exit code, stdout, stderr) with expected; the prefix's temporary
        directories must stay as they were and nothing may get installed."""
        temp_before = temp_entries()
        result = self.launch(exe, *args, env=env, raw=raw, cwd=cwd)
        installed = remove_installation()
        self.assertEqual(expected, result)
        self.assertEqual(temp_before, temp_entries())
        self.assertFalse(installed, "a package got installed")

    def try_mount_tmpfs(self, name, *options):
        """A 1 MiB tmpfs mounted at a new directory name in the scratch directory: (mount point, None), or
        (None, the reason) when this machine does not allow mounting."""
        point = os.path.join(self.tmp, name)
        os.mkdir(point)
        proc = subprocess.run(["mount", "-t", "tmpfs", "-o", ",".join(("size=1m",) + options), "tmpfs", point],
                              capture_output=True)
        if proc.returncode != 0:
            return None, f"cannot mount a tmpfs here: {text(proc.stderr).strip()}"
        self.addCleanup(subprocess.run, ["umount", "-l", point], check=True)
        return point, None

    def mount_tmpfs(self, name, *options):
        """As try_mount_tmpfs, skipping the test when mounting is not allowed."""
        point, refusal = self.try_mount_tmpfs(name, *options)
        if refusal:
            self.skipTest(refusal)
        return point


class DamagedInstallerTest(HardenFixture):
    """Containers the packer made, altered afterwards. Package #0 is written and verified before package #1
    fails, so the clean-up must remove a finished file as well as the directory."""

    @classmethod
    def setUpClass(cls):
        cls.pack_for_the_class("damaged-setup.exe")

    def test_each_damage_gives_its_message_and_leaves_nothing_behind(self):
        exe = "damaged-setup.exe"
        error_1 = "error: #1: Failed to locate resource "
        cases = [
            ("empty manifest", empty_resource("MANIFEST"),
             f"{exe}: error: Internal package error: Manifest not found (ERR_NO_DATA)\n"),
            ("manifest count larger than the headers", patch_resource("MANIFEST", 15, b"\x03"),
             f"{exe}: error: Internal error: Could not find package header #2: ERR_GENERAL_FAILURE\n"),
            ("header naming a missing payload", patch_resource("HDR_01", 4, b"BIN_07"),
             f"{error_1}'BIN_07': ERR_GENERAL_FAILURE\n"
             f"{exe}: error: Error extracting package #1 (common.cab): ERR_GENERAL_FAILURE\n"),
            ("empty payload resource", empty_resource("BIN_01"),
             f"{error_1}'BIN_01': ERR_NO_DATA\n"
             f"{exe}: error: Error extracting package #1 (common.cab): ERR_NO_DATA\n"),
        ]
        for what, change, message in cases:
            damaged = os.path.join(self.tmp, exe)
            damage(self.setup, damaged, change)
            with self.subTest(what, directory="temporary"):
                self.assert_run((1, "", message), damaged, "--silent")
            with self.subTest(what, directory="--path"):
                target = os.path.join(self.tmp, "new")
                self.assert_run((1, "", message), damaged, "--silent", "--path", win_path(target))
                self.assertFalse(os.path.exists(target))

    def test_verbose_run_that_ends_before_extraction_leaves_nothing_behind(self):
        # Without a display Wine gives no console, and the run ends there; with one it ends at the manifest.
        damaged = os.path.join(self.tmp, "damaged-setup.exe")
        damage(self.setup, damaged, empty_resource("MANIFEST"))
        temp = os.path.join(self.tmp, "temp")
        os.mkdir(temp)
        rc, out, err = self.launch(damaged, "--silent", "--verbose", env=[f"SOLT_TMPDIR={win_path(temp)}"])
        self.assertEqual(1, rc, err)
        self.assertIn(err, ("damaged-setup.exe: error: Unable to allocate console: LastError=5\n", ""))
        self.assertEqual(set(), tree(temp))

    def test_header_names_are_checked_before_anything_is_written(self):
        """A damaged name in the second header ends the run before the first package is written, so no name can
        lead a file out of the extraction directory; the names go as the packer's (see package-names.txt)."""
        exe = "damaged-setup.exe"
        prefix = f"{exe}: error: Internal package error: Package #1: "
        cases = [
            ("name leading out of the directory", patch_resource("HDR_01", 32, b"..\\..\\escaped.cab\0"),
             "the file name has a character Windows does not allow in file names"),
            ("absolute name", patch_resource("HDR_01", 32, b"Z:\\tmp\\escaped.cab\0"),
             "the file name has a character Windows does not allow in file names"),
            ("device name", patch_resource("HDR_01", 32, b"CON.cab\0"), "the file name names a Windows device"),
            ("parent directory", patch_resource("HDR_01", 32, b"..\0"), "the file name is a directory"),
            ("empty name", patch_resource("HDR_01", 32, b"\0"), "the file name is empty"),
            ("name not UTF-8", patch_resource("HDR_01", 32 + 4, b"\xff"), "the file name is not valid UTF-8"),
            ("name without its end", patch_resource("HDR_01", 32, b"n" * 224), "the file name has no end within its field"),
            ("payload name without its end", patch_resource("HDR_01", 4, b"B" * 28),
             "the payload name has no end within its field"),
        ]
        for what, change, reason in cases:
            damaged = os.path.join(self.tmp, exe)
            damage(self.setup, damaged, change)
            with self.subTest(what, directory="temporary"):
                self.assert_run((1, "", prefix + reason + "\n"), damaged, "--silent")
            with self.subTest(what, directory="--path"):
                target = os.path.join(self.tmp, "deep", "new")
                os.makedirs(os.path.dirname(target), exist_ok=True)
                self.assert_run((1, "", prefix + reason + "\n"), damaged, "--silent", "--path", win_path(target))
                self.assertEqual([], os.listdir(os.path.dirname(target)))
                self.assertFalse(os.path.exists(os.path.join(self.tmp, "escaped.cab")))


class HostileEnvironmentTest(HardenFixture):
    @classmethod
    def setUpClass(cls):
        cls.pack_for_the_class("hostile-setup.exe")

    def test_unusable_temporary_directory_ends_the_run_before_anything_is_written(self):
        readonly, refusal = self.try_mount_tmpfs("readonly", "ro")
        # A usable directory for the variables that come later in the search: none of them may be used.
        spare = os.path.join(self.tmp, "spare")
        os.mkdir(spare)
        too_long = "Z:\\" + "d" * 4200
        # Long enough to be read, too long for the random name behind it.
        no_room = "Z:\\" + "d" * (4100 - 3 - 20)
        exe = "hostile-setup.exe"
        cases = [
            ("missing", win_path(os.path.join(self.tmp, "missing")),
             "Failed to create extraction path: ERR_PATH_NOT_FOUND"),
            ("read-only", readonly and win_path(readonly), "Failed to create extraction path: ERR_ACCESS_DENIED"),
            ("over-long", too_long, "Failed to find temporary directory: ERR_BUFFER_OVERFLOW"),
            ("no room for the directory name", no_room, "Failed to create extraction path: ERR_BUFFER_OVERFLOW"),
        ]
        order = ["SOLT_TMPDIR", "TMP", "TEMP", "USERPROFILE"]
        for variable in order[:3]:
            later = order[order.index(variable) + 1:]
            env = [f"-{name}" for name in order[:order.index(variable)]] + [f"{name}={win_path(spare)}"
                                                                             for name in later]
            for what, value, message in cases:
                with self.subTest(variable=variable, directory=what):
                    if value is None:
                        self.skipTest(refusal)
                    self.assert_run((1, "", f"{exe}: error: {message}\n"), self.setup, "--silent",
                                    env=env + [f"{variable}={value}"])
                    self.assertEqual(set(), tree(spare))
                    if readonly:
                        self.assertEqual(set(), tree(readonly))

    def test_relative_temporary_directory_is_taken_from_where_the_installer_starts(self):
        # Extraction makes the extraction directory current: a path still relative then would name another place.
        relative = os.path.join(self.tmp, "relative")
        os.mkdir(relative)
        for value in ("relative", ".\\relative"):
            env = [f"SOLT_TMPDIR={value}"]
            with self.subTest(value, mode="install"):
                result = self.launch(self.setup, "--silent", env=env, cwd=self.tmp)
                self.assertTrue(remove_installation(), "nothing got installed")
                self.assertEqual((0, "", ""), result)
                self.assertEqual(set(), tree(relative))
            with self.subTest(value, mode="extract only"):
                self.assertEqual((0, f"Files were extracted to: {win_path(relative)}\n", ""),
                                 self.launch(self.setup, "--silent", "--extract", env=env,
                                             cwd=self.tmp))
                self.assertEqual({"TarnDemo_amd64.msi", "common.cab"}, tree(relative))
                self.assertEqual(read(AMD64_MSI), read(os.path.join(relative, "TarnDemo_amd64.msi")))
                for name in os.listdir(relative):
                    os.unlink(os.path.join(relative, name))
        self.assert_run((1, "", "hostile-setup.exe: error: Failed to find temporary directory: ERR_PATH_ZERO_LENGTH\n"),
                        self.setup, "--silent", env=["SOLT_TMPDIR="], cwd=self.tmp)
        self.assertEqual({"relative"}, tree(self.tmp))

    def test_extraction_directory_that_cannot_be_written(self):
        readonly = self.mount_tmpfs("readonly", "ro")
        exe = "hostile-setup.exe"
        msi = win_path(os.path.join(readonly, "TarnDemo_amd64.msi"))
        new = win_path(os.path.join(readonly, "new"))
        cases = [
            ("existing", readonly,
             f"error: #0: Failed to create/replace '{msi}' for writing: ERR_ACCESS_DENIED\n"
             f"{exe}: error: Error extracting package #0 (TarnDemo_amd64.msi): ERR_ACCESS_DENIED\n"),
            ("new", os.path.join(readonly, "new"),
             f"{exe}: error: Failed to create extraction path '{new}': ERR_ACCESS_DENIED\n"),
        ]
        for what, target, message in cases:
            with self.subTest(what):
                self.assert_run((1, "", message), self.setup, "--silent", "--path", win_path(target))
                self.assertEqual(set(), tree(readonly))

    def test_extraction_path_that_names_a_file(self):
        a_file = os.path.join(self.tmp, "a-file")
        write(a_file, b"not a directory")
        self.assert_run((1, "", f"hostile-setup.exe: error: Failed to create extraction path '{win_path(a_file)}': "
                                f"ERR_ALREADY_EXISTS\n"), self.setup, "--silent", "--path", win_path(a_file))
        self.assertEqual(b"not a directory", read(a_file))

    def test_package_file_held_open_by_another_process(self):
        target = os.path.join(self.tmp, "existing")
        os.mkdir(target)
        held = os.path.join(target, "common.cab")
        write(held, b"held by another program")
        with holding(ENV["TARN_HOLD_FILE"], win_path(held)):
            exe = "hostile-setup.exe"
            self.assert_run((1, "", f"error: #1: Failed to create/replace '{win_path(held)}' for writing: "
                                    f"ERR_SHARING_VIOLATION\n"
                                    f"{exe}: error: Error extracting package #1 (common.cab): "
                                    f"ERR_SHARING_VIOLATION\n"),
                            self.setup, "--silent", "--path", win_path(target))
        # The MSI written before is gone; the other program's file is untouched.
        self.assertEqual({"common.cab"}, tree(target))
        self.assertEqual(b"held by another program", read(held))

    def test_disk_full_during_the_write(self):
        # More payload than the 1 MiB volume holds, in one package.
        big = os.path.join(self.tmp, "big.cab")
        write(big, os.urandom(3 * 1024 * 1024 // 2))
        setup = os.path.join(self.tmp, "full-setup.exe")
        pack(setup, f"all:{big}")
        volume = self.mount_tmpfs("small")
        exe = "full-setup.exe"
        write_failed = f"{exe}: error: Error extracting package #0 (big.cab): ERR_DISK_FULL\n"
        for what, args, env in [
            ("--path", ["--path", win_path(os.path.join(volume, "new"))], []),
            ("temporary directory", [], [f"SOLT_TMPDIR={win_path(volume)}"]),
        ]:
            with self.subTest(what):
                rc, out, err = self.launch(setup, "--silent", *args, env=env)
                self.assertEqual((1, ""), (rc, out))
                lines = err.splitlines(True)
                self.assertEqual(2, len(lines), err)
                self.assertRegex(lines[0], r"^error: #0: RTFileWrite\('Z:\\.*\\big\.cab',, 0x180000,\) failed: "
                                           r"ERR_DISK_FULL\n$")
                self.assertEqual(write_failed, lines[1])
                self.assertEqual(set(), tree(volume))


class BadCommandLineTest(HardenFixture):
    """Every command-line error in silent mode: one message on standard error, exit code 2, and nothing
    created, although each command line first names a new --path directory."""

    @classmethod
    def setUpClass(cls):
        cls.pack_for_the_class("cmdline-setup.exe")

    def test_every_error_path_exits_2_with_one_message_and_creates_nothing(self):
        long_path = "Z:\\" + "p" * 4100
        out_of_space = "Out of space for MSI parameters and properties"
        cases = [
            (["--bogus"], "Unknown option: '--bogus'"),
            (["-q"], "Unknown option: '-q'"),
            (["--extract=yes"], "Unknown option: '--extract=yes'"),
            (["/qn"], "Invalid parameter: /qn"),
            (["B=2", "--msiparams", "A=1"], "Invalid parameter: B=2"),
            (["--path"], "--path: option value missing"),
            (["-p"], "--path: option value missing"),
            (["--msi-log-file"], "--msi-log-file: option value missing"),
            (["-msilogfile"], "-msilogfile: option value missing"),
            (["--msiparams"], "--msiparams: option value missing"),
            (["--msi-prop"], "--msi-prop: option value missing"),
            (["--path", long_path], "Extraction path is too long (ERR_BUFFER_OVERFLOW)"),
            (["--msi-log-file", long_path], "MSI log file path is too long (ERR_BUFFER_OVERFLOW)"),
            (["--msiparams", "A" * 4096], out_of_space),
            (["--msiparams", "A" * 4000, "B" * 95], out_of_space),
            (["--msiparams", "A" * 4090, "--msi-prop", "P", "12345"], out_of_space),
            (["--msiparams", "A" * 4070, "--reinstall"], out_of_space),
            (["--msi-prop", "A B", "1"], "The first argument to --msi-prop must not contain spaces: A B"),
            (["--msi-prop", "A\tB", "1"], "The first argument to --msi-prop must not contain spaces: A\tB"),
            (["--msiparams", "X=1", "--msi-prop", "P"], "--msi-prop takes two arguments, the 2nd is missing"),
        ]
        target = os.path.join(self.tmp, "new")
        silent_forms = ["--silent", "-s", "/silent", "-silent"]
        for i, (args, message) in enumerate(cases):
            silent = silent_forms[i % len(silent_forms)]
            with self.subTest(silent=silent, args=[a if len(a) < 40 else f"{a[:8]}...({len(a)})" for a in args]):
                self.assert_run((2, "", f"cmdline-setup.exe: error: {message}\n"), self.setup, silent,
                                "--path", win_path(target), *args, env=["-SOLT_TMPDIR"])
                self.assertFalse(os.path.exists(target))


if __name__ == "__main__":
    unittest.main()
