#!/usr/bin/env python3
"""End-to-end runs of packed installers under Wine, started the way a user or
a script starts them: extraction only, the single-instance guard, and a silent
installation whose MSI properties are checked where the package put them (the
prefix's registry and Program Files), not only by the exit code.

Environment (set by CMake): TARN_PACK, TARN_STUB_KIT, TARN_TEST_MSI_DIR,
TARN_MSI_SRC (the .wxs sources), TARN_WINE_RUN, TARN_BUILD_DIR,
TARN_HOLD_MUTEX (the helper that holds the installer's mutex).
"""
import os
import re
import secrets
import stat
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from tarntest import (COMMON_CAB, ENV, MSI_DIR, X86_MSI, holding, pack, program_files, read,  # noqa: E402
                      scratch, system_registry, temp_entries, text, win_path, wine)

PACKAGES = {"TarnDemo_amd64.msi": "amd64", "TarnDemo_x86.msi": "x86", "common.cab": "all"}


class RunFixture(unittest.TestCase):
    def setUp(self):
        self.tmp = scratch(self, "tarn-run-")
        self.setup = os.path.join(self.tmp, "tarn-run-setup.exe")
        pack(self.setup, *(f"{arch}:{os.path.join(MSI_DIR, name)}" for name, arch in PACKAGES.items()))

    def run_setup(self, *args, exe=None):
        proc = wine(exe or self.setup, *args)
        return proc.returncode, text(proc.stdout), text(proc.stderr)

    def assert_extracted(self, directory):
        self.assertEqual(sorted(PACKAGES), sorted(os.listdir(directory)))
        for name in PACKAGES:
            self.assertEqual(read(os.path.join(MSI_DIR, name)), read(os.path.join(directory, name)), name)


class ExtractTest(RunFixture):
    def test_extract_into_existing_directory_writes_every_package_byte_exact(self):
        target = os.path.join(self.tmp, "existing")
        os.mkdir(target)
        os.chmod(target, 0o755)
        rc, out, err = self.run_setup("--extract", "--path", win_path(target), "--silent")
        self.assertEqual((0, f"Files were extracted to: {win_path(target)}\n", ""), (rc, out, err))
        self.assert_extracted(target)
        # A directory of the user's is left as it was.
        self.assertEqual(0o755, stat.S_IMODE(os.stat(target).st_mode))

    def test_extract_into_new_directory_creates_it_and_leaves_the_files(self):
        target = os.path.join(self.tmp, "new dir")
        # Forward slashes are the user's choice; the installer works with backslashes.
        rc, out, err = self.run_setup("-x", "-s", "--path", win_path(target).replace("\\", "/"))
        self.assertEqual((0, f"Files were extracted to: {win_path(target)}\n", ""), (rc, out, err))
        self.assert_extracted(target)
        # Private: Wine keeps the descriptor the installer gives it as a Unix mode, which grants others nothing.
        self.assertEqual(0, stat.S_IMODE(os.stat(target).st_mode) & 0o007, oct(os.stat(target).st_mode))


class SingleInstanceTest(RunFixture):
    def test_second_installer_is_refused_before_it_creates_anything(self):
        target = os.path.join(self.tmp, "refused")
        with holding(ENV["TARN_HOLD_MUTEX"]):
            temp_before = temp_entries()
            rc, out, err = self.run_setup("--silent", "--path", win_path(target))
            self.assertEqual((1, "", "tarn-run-setup.exe: error: Another installer is already running\n"),
                             (rc, out, err))
            self.assertFalse(os.path.exists(target))
            self.assertEqual(temp_before, temp_entries())
        # With the mutex free again, the same run proceeds.
        rc, out, err = self.run_setup("--silent", "--extract", "--path", win_path(target))
        self.assertEqual((0, ""), (rc, err))
        self.assert_extracted(target)


class InstallFixture(unittest.TestCase):
    def setUp(self):
        self.tmp = scratch(self, "tarn-install-")

    def make_msi(self, name, *queries):
        """The property package built afresh (so with a product code of its own), changed by msibuild queries."""
        msi = os.path.join(self.tmp, name)
        subprocess.run(["wixl", "-a", "x64", "-o", msi, "TarnRunProps_amd64.wxs"], cwd=ENV["TARN_MSI_SRC"],
                       check=True, capture_output=True)
        for query in queries:
            subprocess.run(["msibuild", msi, "-q", query], check=True, capture_output=True)
        return msi

    @staticmethod
    def default_value(prop, value):
        """The msibuild query that gives the property @a prop the default @a value."""
        return f"UPDATE Property SET Value = '{value}' WHERE Property = '{prop}'"

    def exit_code(self, exe, *args):
        """The full exit code (a Unix exit status keeps only its low byte), read through cmd."""
        script = os.path.join(self.tmp, "run.bat")
        with open(script, "w", newline="\r\n") as f:
            f.write(f'start "" /wait "{win_path(exe)}" {" ".join(args)}\necho exit=%errorlevel%\n')
        proc = wine("cmd", "/c", win_path(script))
        found = re.search(r"^exit=(-?\d+)", text(proc.stdout), re.M)
        self.assertIsNotNone(found, text(proc.stdout))
        return int(found.group(1))

    def registry_values(self):
        reg = system_registry()
        section = re.search(r"^\[Software\\\\(?:Wow6432Node\\\\)?TarnvaleRunTest\][^\n]*\n(.*?)(?:\n\n|\Z)", reg,
                            re.M | re.S)
        self.assertIsNotNone(section, "no TarnvaleRunTest key in system.reg")
        return dict(re.findall(r'^"(\w+)"="(.*)"$', section.group(1), re.M))


class InstallTest(InstallFixture):
    def setUp(self):
        super().setUp()
        self.msi = self.make_msi("TarnRunProps_amd64.msi")
        self.setup = os.path.join(self.tmp, "props-setup.exe")
        pack(self.setup, f"amd64:{self.msi}", f"all:{COMMON_CAB}",
             f"x86:{X86_MSI}")

    def test_silent_install_passes_the_properties_and_removes_the_extraction_directory(self):
        token = secrets.token_hex(4)
        temp_before = temp_entries()
        proc = wine(self.setup, "--silent", "--msi-prop", "TARNPLAIN", f"plain-{token}", "--msi-prop", "TARNSPACED",
                    f"with spaces {token}", "--msiparams", f'TARNPARAM="param {token}"')
        self.assertEqual((0, "", ""), (proc.returncode, text(proc.stdout), text(proc.stderr)))
        self.assertEqual({"Plain": f"plain-{token}", "Spaced": f"with spaces {token}", "Param": f"param {token}"},
                         self.registry_values())
        self.assertTrue(os.path.isfile(os.path.join(program_files("TarnvaleRunTest"), "readme.txt")))
        self.assertEqual(temp_before, temp_entries())


class RebootAndFailureTest(InstallFixture):
    SCHEDULE_REBOOT = "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('ScheduleReboot', 6590)"
    FAIL = ["INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('FailOnPurpose', 19, '', 'Failing')",
            "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('FailOnPurpose', 1490)"]

    def test_reboot_request_of_one_package_survives_the_next_one_unless_ignored(self):
        setup = os.path.join(self.tmp, "reboot-setup.exe")
        # The package after the one that asks for a reboot is still installed: it records a value of its own.
        token = secrets.token_hex(4)
        pack(setup, f"amd64:{self.make_msi('first.msi', self.SCHEDULE_REBOOT)}",
             f"amd64:{self.make_msi('second.msi', self.default_value('TARNSPACED', f'second-{token}'))}")
        temp_before = temp_entries()
        self.assertEqual(3010, self.exit_code(setup, "--silent"))
        self.assertEqual(f"second-{token}", self.registry_values().get("Spaced"))
        self.assertEqual(0, self.exit_code(setup, "--silent", "--ignore-reboot"))
        self.assertEqual(temp_before, temp_entries())

    def test_failing_package_stops_the_later_ones_and_the_files_are_removed(self):
        setup = os.path.join(self.tmp, "failing-setup.exe")
        token = secrets.token_hex(4)
        pack(setup, f"amd64:{self.make_msi('failing.msi', *self.FAIL)}", f"amd64:{self.make_msi('later.msi')}",
             f"all:{COMMON_CAB}")
        temp_before = temp_entries()
        proc = wine(setup, "--silent", "--msi-prop", "TARNPLAIN", token)
        self.assertEqual(1, proc.returncode)
        self.assertIn("failing-setup.exe: error: ", text(proc.stderr))
        self.assertNotEqual(token, self.registry_values().get("Plain"))
        self.assertEqual(temp_before, temp_entries())

    def test_logging_keeps_the_extraction_directory_with_the_log_only(self):
        setup = os.path.join(self.tmp, "logging-setup.exe")
        pack(setup, f"amd64:{self.make_msi('logged.msi')}", f"all:{COMMON_CAB}")
        target = os.path.join(self.tmp, "logged")
        proc = wine(setup, "--silent", "--logging", "--path", win_path(target))
        self.assertEqual((0, ""), (proc.returncode, text(proc.stderr)))
        self.assertEqual(["TarnInstallLog.txt"], os.listdir(target))
        self.assertGreater(os.path.getsize(os.path.join(target, "TarnInstallLog.txt")), 0)


if __name__ == "__main__":
    unittest.main()
