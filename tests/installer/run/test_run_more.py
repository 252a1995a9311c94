#!/usr/bin/env python3
"""More whole runs of packed installers under Wine, each checked in the prefix:
the --verbose console, a 32-bit x86 host, the trusted-publisher certificate,
the ".custom" copy and an MSI log outside the extraction directory.

The console, x86-host and certificate suites need a virtual display (CMake
starts them under xvfb-run): a console that the installer allocates is a
window under Wine, the x86 refusal is a message box, and an interactive run
shows the splash screen. Environment as for test_run.py,
plus TARN_CONSOLE_CAPTURE, TARN_BOX_READER and TARN_WINEPREFIX32 (the 32-bit
prefix, made on first use).
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import splash_picture  # noqa: E402
from tarntest import (AMD64_MSI, COMMON_CAB, ENV, PREFIX, errors, make_cert, pack, program_files,  # noqa: E402
                      read, start_wine, system_registry, temp_entries, text, wait_for_wineserver, win_path, wine,
                      write)
from test_run import InstallFixture  # noqa: E402 (the run suites' fixture, beside this file)

SUMMARY_LABELS = ["Host architecture        : ", "Extraction path          : ", "Silent installation      : ",
                  "Certificate installation : ", "Additional MSI parameters: ", "Logging to file          : "]


def summary(*values):
    return [label + value for label, value in zip(SUMMARY_LABELS, values, strict=True)]


class VerboseConsoleTest(InstallFixture):
    """The console is read by console-capture, which runs the installer as its debugger and reads the
    console's screen buffer when the installer calls FreeConsole: the only moment the console the
    installer allocated exists and holds all of the run's text (see console-capture.cpp)."""

    def setUp(self):
        super().setUp()
        # The prefix's server may still run from a test without display; its windows would not show.
        wait_for_wineserver(PREFIX)

    def capture(self, setup, *args):
        out = os.path.join(self.tmp, "console.txt")
        proc = wine(ENV["TARN_CONSOLE_CAPTURE"], win_path(out), setup, *args)
        self.assertTrue(os.path.exists(out), errors(proc.stderr))
        return proc.returncode, read(out).decode("utf-8").splitlines()

    def test_extract_prints_the_summary_and_the_message_on_the_console(self):
        setup = os.path.join(self.tmp, "verbose-setup.exe")
        pack(setup, f"amd64:{AMD64_MSI}", f"all:{COMMON_CAB}")
        target = os.path.join(self.tmp, "out")
        rc, lines = self.capture(setup, "--silent", "--verbose", "--extract", "--path", win_path(target))
        self.assertEqual(0, rc)
        self.assertEqual(summary("x86_64", win_path(target), "true", "true", "<None>", "<None>") +
                         [f"Files were extracted to: {win_path(target)}"], lines)
        self.assertEqual(["TarnDemo_amd64.msi", "common.cab"], sorted(os.listdir(target)))

    def test_installing_run_prints_the_settings_it_runs_with(self):
        setup = os.path.join(self.tmp, "verbose-install.exe")
        pack(setup, f"amd64:{self.make_msi('TarnRunProps_amd64.msi')}")
        token = os.urandom(4).hex()
        temp_before = temp_entries()
        rc, lines = self.capture(setup, "--silent", "--verbose", "--no-silent-cert", "--msiparams",
                                 f"TARNPARAM=verbose-{token}")
        self.assertEqual(0, rc)
        self.assertEqual(6, len(lines), lines)
        path = re.fullmatch(re.escape(SUMMARY_LABELS[1]) + r"(C:\\users\\[^\\]+\\Temp\\[A-Za-z0-9]{24})", lines[1])
        self.assertIsNotNone(path, lines[1])
        self.assertEqual(summary("x86_64", path.group(1), "true", "false", f"TARNPARAM=verbose-{token}", "<None>"),
                         lines)
        self.assertEqual(f"verbose-{token}", self.registry_values().get("Param"))
        self.assertEqual(temp_before, temp_entries())


class X86HostTest(InstallFixture):
    """A prefix made with WINEARCH=win32 is a 32-bit x86 host."""

    PREFIX32 = ENV.get("TARN_WINEPREFIX32", "")

    @classmethod
    def setUpClass(cls):
        # Made on first use (about a minute), before any test waits for a window in it.
        wine("cmd", "/c", "exit", prefix=cls.PREFIX32, WINEARCH="win32")

    def setUp(self):
        super().setUp()
        wait_for_wineserver(self.PREFIX32)
        x86_msi = os.path.join(self.tmp, "TarnDemo_x86.msi")
        subprocess.run(["wixl", "-a", "x86", "-o", x86_msi, "TarnDemo_x86.wxs"], cwd=ENV["TARN_MSI_SRC"],
                       check=True, capture_output=True)
        # With a splash picture, as a product ships: an interactive run shows the splash until it ends.
        picture = write(os.path.join(self.tmp, "splash.png"), splash_picture.png_bytes())
        self.setup = os.path.join(self.tmp, "x86-setup.exe")
        pack(self.setup, f"all:{x86_msi}", f"amd64:{self.make_msi('TarnRunProps_amd64.msi')}", splash=picture)

    def run32(self, *args):
        return wine(*args, prefix=self.PREFIX32, WINEARCH="win32")

    def program_files(self, name):
        return program_files(name, self.PREFIX32)

    def test_silent_run_installs_only_the_packages_for_all_architectures(self):
        for name in ("TarnvaleDemo32", "TarnvaleRunTest"):
            shutil.rmtree(self.program_files(name), ignore_errors=True)
        proc = self.run32(self.setup, "--silent")
        self.assertEqual((0, "", ""), (proc.returncode, text(proc.stdout), errors(proc.stderr)))
        self.assertEqual(read(os.path.join(ENV["TARN_MSI_SRC"], "readme.txt")),
                         read(os.path.join(self.program_files("TarnvaleDemo32"), "readme.txt")))
        self.assertFalse(os.path.exists(self.program_files("TarnvaleRunTest")))

    def test_interactive_run_is_refused_with_a_box(self):
        temp_before = temp_entries(self.PREFIX32)
        installer = start_wine(self.setup, prefix=self.PREFIX32, env={"WINEARCH": "win32"},
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            box = self.run32(ENV["TARN_BOX_READER"], "Tarnvale Installer", "90")
            self.assertEqual((0, "32-bit Windows hosts are not supported by this Tarnvale release.\n"),
                             (box.returncode, text(box.stdout)))
            # The splash window has the box's title too: the key goes to every window of that title (the
            # splash ignores it).
            windows = subprocess.run(["xdotool", "search", "--sync", "--name", "^Tarnvale Installer$"],
                                     capture_output=True, timeout=30).stdout.split()
            self.assertTrue(windows)
            for window in windows:
                # Without a window manager the box cannot be activated; the key then goes to the window itself.
                if subprocess.run(["xdotool", "windowactivate", "--sync", window, "key", "--clearmodifiers",
                                   "Return"], capture_output=True, timeout=30).returncode != 0:
                    subprocess.run(["xdotool", "key", "--window", window, "Return"], capture_output=True, timeout=30)
            self.assertEqual(1, installer.wait(timeout=60))
            # The extraction directory it made before the refusal is gone again.
            self.assertEqual(temp_before, temp_entries(self.PREFIX32))
        finally:
            if installer.poll() is None:
                # Ends the programs of this test's own prefix, the installer among them.
                subprocess.run(["wineserver", "-k"], env=dict(ENV, WINEPREFIX=self.PREFIX32), timeout=60)
                installer.kill()
                installer.wait()


class CertificateTest(InstallFixture):
    """The certificates are read from the registry files after the server has ended: the store of the
    local machine is the key below, one subkey per certificate, named by its SHA-1 thumbprint."""

    STORE = "Software\\\\Microsoft\\\\SystemCertificates\\\\TrustedPublisher\\\\Certificates\\\\"

    def make_cert(self, name):
        _, _, der = make_cert(self.tmp, f"Tarnvale {name}")
        return der, hashlib.sha1(read(der)).hexdigest().upper()

    def trusted_publishers(self):
        reg = system_registry()
        return set(re.findall(r"^\[" + re.escape(self.STORE) + r"([0-9A-F]{40})\]", reg, re.M))

    def run_with(self, certs, *args):
        """Runs an installer carrying @a certs and a cabinet with @a args. It has a splash picture, as a
        product ships: an interactive run shows it during the extraction (on the suite's virtual display)."""
        setup = os.path.join(self.tmp, "cert-setup.exe")
        picture = write(os.path.join(self.tmp, "splash.png"), splash_picture.png_bytes())
        packed = pack(setup, f"all:{COMMON_CAB}", splash=picture, certs=certs)
        self.assertIn(f"{len(certs)} certificate(s)", packed.stdout)
        return wine(setup, *args)

    def test_silent_run_adds_every_embedded_certificate(self):
        (der1, thumb1), (der2, thumb2) = self.make_cert("first"), self.make_cert("second")
        proc = self.run_with([der1, der2], "--silent")
        self.assertEqual((0, ""), (proc.returncode, errors(proc.stderr)))
        self.assertLessEqual({thumb1, thumb2}, self.trusted_publishers())

    def test_no_silent_cert_no_certificate_and_interactive_run_leave_the_store_alone(self):
        der, thumb = self.make_cert("refused")
        before = self.trusted_publishers()
        # A user who starts the installer by hand is not asked about the store, so it stays as it is.
        for certs, args in (([der], ["--silent", "--no-silent-cert"]), ([], ["--silent"]), ([der], [])):
            proc = self.run_with(certs, *args)
            self.assertEqual((0, ""), (proc.returncode, errors(proc.stderr)), args)
            self.assertEqual(before, self.trusted_publishers(), args)
        self.assertNotIn(thumb, before)


class CustomDirTest(InstallFixture):
    def test_custom_directory_beside_the_installer_is_copied_and_outlives_the_clean_up(self):
        setup = os.path.join(self.tmp, "custom-setup.exe")
        pack(setup, f"all:{COMMON_CAB}")
        custom = os.path.join(self.tmp, ".custom")
        files = {"branding.txt": b"Tarnvale custom text\n", os.path.join("nested", "deeper", "data.bin"): os.urandom(3000)}
        for name, data in files.items():
            os.makedirs(os.path.dirname(os.path.join(custom, name)), exist_ok=True)
            write(os.path.join(custom, name), data)
        target = os.path.join(self.tmp, "extracted")
        proc = wine(setup, "--silent", "--path", win_path(target))
        self.assertEqual((0, ""), (proc.returncode, errors(proc.stderr)))
        # The packages are removed; the copy's content has no cleanup records, so it and the directory stay.
        self.assertEqual([".custom"], os.listdir(target))
        for name, data in files.items():
            self.assertEqual(data, read(os.path.join(target, ".custom", name)), name)


class MsiLogFileTest(InstallFixture):
    def test_log_outside_the_extraction_directory_stays_and_the_directory_goes(self):
        setup = os.path.join(self.tmp, "log-setup.exe")
        pack(setup, f"amd64:{self.make_msi('TarnRunProps_amd64.msi')}", f"all:{COMMON_CAB}")
        log = os.path.join(self.tmp, "logs", "install log.txt")
        os.mkdir(os.path.dirname(log))
        temp_before = temp_entries()
        proc = wine(setup, "--silent", "--msi-log-file", win_path(log))
        self.assertEqual((0, ""), (proc.returncode, errors(proc.stderr)))
        self.assertEqual(temp_before, temp_entries())
        self.assertEqual(["install log.txt"], os.listdir(os.path.dirname(log)))
        logged = read(log).decode("utf-16-le" if read(log)[:2] == b"\xff\xfe" else "latin-1", "replace")
        # A verbose log names the package it installed from the extraction directory.
        self.assertRegex(logged, r"(?i)Temp\\[A-Za-z0-9]{24}\\TarnRunProps_amd64\.msi")


if __name__ == "__main__":
    unittest.main()
