#!/usr/bin/env python3
"""Tests of scripts/tarn-pack: installers built from real MSI packages, read
back by the installer's own lookup code (a probe entry linked in place of the
installer's) under Wine and by wrestool through --list; refused inputs;
reproducible output; Authenticode signing.

Environment (set by CMake): TARN_PACK, TARN_STUB_KIT, TARN_STUB_LINK (the
directory the kit's stub is linked in, with link.conf), TARN_PROBE_KIT,
TARN_TEST_MSI_DIR (TarnDemo_amd64.msi, TarnDemo_x86.msi, common.cab),
TARN_WINE_RUN, TARN_BUILD_DIR, TARN_OBJDUMP.
"""
import contextlib
import errno
import filecmp
import hashlib
import io
import os
import re
import shutil
import struct
import subprocess
import sys
import unittest
import unittest.mock
from xml.etree import ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "scripts"))
from tarntest import (AMD64_MSI, COMMON_CAB, ENV, RESOURCE_DIRECTORY, X86_MSI, container_header,  # noqa: E402
                      container_manifest, make_cert, pe_headers, read, read_conf, resource_entries, scratch, text,
                      win_path, wine, write)
from tarnpack import build, inputs, pe, versioninfo  # noqa: E402
from tarnpack.errors import PackError  # noqa: E402
from tarnpack.kit import Layout  # noqa: E402
from tarnpack.main import main as tarn_pack_main  # noqa: E402

PACK = ENV.get("TARN_PACK")
SPLASH_PNG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "splash.png")


def fnv1a(data):
    h = 2166136261
    for b in data:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return f"{h:08x}"


def pack(*args, kit=None):
    """tarn-pack run with @a args (and the stub kit @a kit): the run, its output as text."""
    cmd = [sys.executable, PACK, *args]
    if kit:
        cmd += ["--stub-kit", kit]
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def run_probe(exe):
    proc = wine(exe)
    return proc.returncode, text(proc.stdout)


# --------------------------------------------------------------------------
# PE images read here, independently of the packer
# --------------------------------------------------------------------------

IMAGE_SCN_CNT_INITIALIZED_DATA = 0x40
BASE_RELOCATION_DIRECTORY = 5


def align(value, alignment):
    return -(-value // alignment) * alignment


def resources_of(image):
    """(type, name, language, code page, bytes) of every resource of the image, in the order of its directories."""
    return [(e.rtype, e.name, e.language, e.code_page, e.data(image)) for e in resource_entries(image)]


class PackTestBase(unittest.TestCase):
    def setUp(self):
        self.tmp = scratch(self, "tarn-pack-test-")

    def path(self, name):
        return os.path.join(self.tmp, name)

    def file(self, name, data):
        return write(self.path(name), data)

    def assert_packed(self, proc):
        self.assertEqual(0, proc.returncode, proc.stderr)


class ContainerTest(PackTestBase):
    """What goes in comes out: through the installer's lookup and through wrestool."""

    def test_probe_reads_every_package_splash_and_certificate(self):
        _, _, der1 = make_cert(self.tmp, "maker-one")
        _, _, der2 = make_cert(self.tmp, "maker-two")
        out = self.path("probe.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}",
                                "--package", f"arm64:{AMD64_MSI}", "--as", "TarnDemo_arm64.msi",
                                "--package", f"x86:{X86_MSI}", "--package", f"all:{COMMON_CAB}",
                                "--splash", SPLASH_PNG, "--cert", der1, "--cert", der2, kit=ENV["TARN_PROBE_KIT"]))
        rc, text = run_probe(out)
        self.assertEqual(0, rc, text)
        amd64, x86, cab, png = read(AMD64_MSI), read(X86_MSI), read(COMMON_CAB), read(SPLASH_PNG)
        c1, c2 = read(der1), read(der2)
        self.assertEqual(
            "manifest TarnInstV1 4\n"
            f"package 0 arch=3 payload=BIN_00 size={len(amd64)} fnv={fnv1a(amd64)} name=TarnDemo_amd64.msi\n"
            f"package 1 arch=4 payload=BIN_01 size={len(amd64)} fnv={fnv1a(amd64)} name=TarnDemo_arm64.msi\n"
            f"package 2 arch=2 payload=BIN_02 size={len(x86)} fnv={fnv1a(x86)} name=TarnDemo_x86.msi\n"
            f"package 3 arch=1 payload=BIN_03 size={len(cab)} fnv={fnv1a(cab)} name=common.cab\n"
            f"splash size={len(png)} fnv={fnv1a(png)}\n"
            "certs 2\n"
            f"cert 0 size={len(c1)} fnv={fnv1a(c1)}\n"
            f"cert 1 size={len(c2)} fnv={fnv1a(c2)}\n", text)

    def test_list_shows_packages_with_an_independent_reader(self):
        out = self.path("setup.exe")
        name = "\u00dcbersicht-" + "x" * 100 + ".msi"
        self.assert_packed(pack("-o", out, "--package", f"x64:{AMD64_MSI}", "--package", f"all:{COMMON_CAB}",
                                "--as", name, "--splash", SPLASH_PNG))
        proc = subprocess.run([sys.executable, PACK, "--list", out], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              text=True)
        self.assertEqual(0, proc.returncode, proc.stderr)
        size_msi, size_cab = os.path.getsize(AMD64_MSI), os.path.getsize(COMMON_CAB)
        self.assertEqual(
            f"{out}: 2 package(s)\n"
            f"    #  arch           size  file name\n"
            f"    0  amd64  {size_msi:>12}  TarnDemo_amd64.msi\n"
            f"    1  all    {size_cab:>12}  {name}\n"
            f"  splash picture: {os.path.getsize(SPLASH_PNG)} bytes\n", proc.stdout)

    def test_resources_have_the_container_layout(self):
        """Byte layout checked with wrestool directly, not through tarn-pack's own reader."""
        out = self.path("setup.exe")
        name_223 = "n" * 219 + ".msi"
        self.assert_packed(pack("-o", out, "--package", f"arm64:{AMD64_MSI}", "--as", name_223))
        listing = subprocess.run(["wrestool", "-l", out], capture_output=True, text=True, check=True).stdout
        for res in ("MANIFEST", "HDR_00", "BIN_00"):
            self.assertRegex(listing, rf"--type=10 --name='?{res}'? --language=1033 ")

        def raw(res):
            return subprocess.run(["wrestool", "-x", "--raw", "--type=10", f"--name={res}", out],
                                  capture_output=True, check=True).stdout

        self.assertEqual(b"TarnInstV1\0\0\0\0\0\x01", raw("MANIFEST"))
        header = raw("HDR_00")
        self.assertEqual(256, len(header))
        self.assertEqual(4, struct.unpack_from("<I", header)[0])
        self.assertEqual(b"BIN_00".ljust(28, b"\0"), header[4:32])
        self.assertEqual(name_223.encode() + b"\0", header[32:256])
        self.assertEqual(read(AMD64_MSI), raw("BIN_00"))

    def test_many_packages_get_longer_names_from_100(self):
        small = self.file("p.bin", b"payload")
        args = []
        for i in range(101):
            args += ["--package", f"all:{small}", "--as", f"p{i:03d}.cab"]
        out = self.path("many.exe")
        self.assert_packed(pack("-o", out, *args, kit=ENV["TARN_PROBE_KIT"]))
        rc, text = run_probe(out)
        self.assertEqual(0, rc, text)
        lines = text.splitlines()
        self.assertEqual("manifest TarnInstV1 101", lines[0])
        self.assertEqual(f"package 100 arch=1 payload=BIN_100 size=7 fnv={fnv1a(b'payload')} name=p100.cab", lines[101])

    def test_installer_imports_exactly_the_allowed_libraries_and_big_payloads_are_page_aligned(self):
        out = self.path("big.exe")
        big = self.file("big.cab", bytes(range(256)) * 8192)  # 2 MiB
        proc = pack("-o", out, "--package", f"all:{big}")
        self.assert_packed(proc)
        self.assertIn(f"warning: {out} has no splash picture", proc.stderr)
        headers = subprocess.run([ENV["TARN_OBJDUMP"], "-p", out], capture_output=True, text=True, check=True).stdout
        self.assertRegex(headers, r"FileAlignment\s+0*1000\b")
        self.assertRegex(headers, r"Time/Date\s+Thu Jan  1 00:00:00 1970|TimeDateStamp\s+0+\b|Time/Date\s+0")
        dlls = {line.split(":", 1)[1].strip().lower() for line in headers.splitlines() if "DLL Name:" in line}
        self.assertEqual({"kernel32.dll", "user32.dll", "gdi32.dll", "shlwapi.dll", "ole32.dll", "ntdll.dll"}, dlls)

    def test_an_installer_with_its_picture_packs_without_a_warning(self):
        proc = pack("-o", self.path("quiet.exe"), "--package", f"all:{COMMON_CAB}", "--splash", SPLASH_PNG)
        self.assert_packed(proc)
        self.assertEqual("", proc.stderr)


class ResourceSectionTest(PackTestBase):
    """The resource section the packer appends to the linked stub: the same resources as a resource script
    compiled by windres and linked by ld make, in headers a loader takes."""

    def link_reference(self, rc_lines, page_aligned):
        """The stub linked by ld with the resources of a resource script (its files in the scratch directory)."""
        link_dir = os.path.abspath(ENV["TARN_STUB_LINK"])
        kit, kit_dir = read_conf(os.path.join(link_dir, "link.conf")), os.path.join(link_dir, "kit")
        script = ["#pragma code_page(65001)", "LANGUAGE 0x09, 0x01", *rc_lines]
        self.file("reference.rc", "\n".join(script).encode() + b"\n")
        subprocess.run([kit["windres"], "-O", "coff", "-i", "reference.rc", "-o", "reference.o"], cwd=self.tmp,
                       check=True)
        entry = kit["entry"]
        subprocess.run([kit["cxx"], "-o", "reference.exe", *kit["link-flags"].split(), f"-Wl,-e,{entry}",
                        f"-Wl,-u,{entry}", *(["-Wl,--file-alignment=0x1000"] if page_aligned else []), "reference.o",
                        f"-L{kit_dir}", "-Wl,--start-group",
                        *[f"-l{lib}" for lib in kit["libraries"].split()], "-Wl,--end-group",
                        *[f"-l{lib}" for lib in kit["system-libraries"].split()]], cwd=self.tmp, check=True)
        return read(self.path("reference.exe"))

    def pack_with_reference(self, payloads, page_aligned=False):
        """An installer of the payloads (file name: bytes) with a splash picture and a version resource of
        every text, and the same resources linked by windres and ld: (installer, reference)."""
        identity = {"ProductName": "Überall \"Pro\" \\ <2>", "ProductVersion": "10.20.30",
                    "CompanyName": "Tarnvale & Söhne", "FileDescription": "Sets up Überall",
                    "LegalCopyright": "© 2026 Tarnvale", "OriginalFilename": "setup.exe"}
        args = ["--product-name", identity["ProductName"], "--product-version", identity["ProductVersion"],
                "--company", identity["CompanyName"], "--description", identity["FileDescription"],
                "--copyright", identity["LegalCopyright"], "--splash", SPLASH_PNG]
        rc = ['1 24 "setup.manifest"',
              "1 VERSIONINFO", "FILEVERSION 10,20,30,0", "PRODUCTVERSION 10,20,30,0", "FILEFLAGSMASK 0x3f",
              "FILEFLAGS 0", "FILEOS 0x40004", "FILETYPE 1", "FILESUBTYPE 0", "BEGIN", 'BLOCK "StringFileInfo"',
              "BEGIN", 'BLOCK "040904b0"', "BEGIN"]
        for key in ("CompanyName", "FileDescription", "FileVersion", "LegalCopyright", "OriginalFilename",
                    "ProductName", "ProductVersion"):
            value = identity.get(key, identity["ProductVersion"])
            rc.append(f'VALUE "{key}", "' + value.replace("\\", "\\\\").replace('"', '""') + '"')
        rc += ["END", "END", 'BLOCK "VarFileInfo"', "BEGIN", 'VALUE "Translation", 0x409, 1200', "END", "END"]
        self.file("setup.manifest", versioninfo.manifest_text("requireAdministrator", identity).encode())
        rc.append('"MANIFEST" RCDATA "manifest.bin"')
        self.file("manifest.bin", container_manifest(len(payloads)))
        for i, (name, data) in enumerate(payloads.items()):
            args += ["--package", f"all:{self.file(name, data)}"]
            self.file(f"hdr{i}.bin", container_header(1, f"BIN_{i:02d}", name))
            rc += [f'HDR_{i:02d} RCDATA "hdr{i}.bin"', f'BIN_{i:02d} RCDATA "{name}"']
        rc.append(f'102 PNG "{SPLASH_PNG}"')
        os.makedirs(self.path("out"), exist_ok=True)
        out = self.path("out/setup.exe")
        self.assert_packed(pack("-o", out, *args))
        return read(out), self.link_reference(rc, page_aligned)

    def test_resources_are_those_that_windres_and_ld_make(self):
        # Payloads of 1 to 9 bytes, around the data's alignment; 101 packages put BIN_100 between BIN_10 and BIN_11.
        payloads = {f"p{i}.cab": bytes([i]) * (i % 9 + 1) for i in range(101)}
        installer, reference = self.pack_with_reference(payloads)
        expected = resources_of(reference)
        self.assertEqual(1 + 2 * 101 + 3, len(expected))
        self.assertEqual([(10, "BIN_10"), (10, "BIN_100"), (10, "BIN_11")], [e[:2] for e in expected[11:14]])
        self.assertEqual(expected, resources_of(installer))

    def assert_loadable(self, image, reference):
        """The headers describe the sections as a loader needs them, ld's own image serving as the proof that
        the checks hold for what ld writes."""
        for which, headers in (("reference", pe_headers(reference)), ("installer", pe_headers(image))):
            with self.subTest(which):
                sections, file_alignment = headers["sections"], headers["file_alignment"]
                self.assertLessEqual(headers["table_end"], headers["headers_size"])
                for before, after in zip(sections, sections[1:]):
                    self.assertEqual(align(before["va"] + before["vsize"], headers["section_alignment"]),
                                     after["va"], after["name"])
                placed = [s for s in sections if s["raw_size"]]
                self.assertEqual(headers["headers_size"], placed[0]["raw_ptr"])
                for before, after in zip(placed, placed[1:]):
                    self.assertEqual(before["raw_ptr"] + before["raw_size"], after["raw_ptr"], after["name"])
                for section in placed:
                    self.assertEqual((0, 0), (section["raw_ptr"] % file_alignment,
                                              section["raw_size"] % file_alignment), section["name"])
                self.assertEqual(placed[-1]["raw_ptr"] + placed[-1]["raw_size"], len(
                    image if which == "installer" else reference))
                self.assertEqual(align(sections[-1]["va"] + sections[-1]["vsize"], headers["section_alignment"]),
                                 headers["image_size"])
                self.assertEqual(sum(s["raw_size"] for s in sections if s["flags"] & IMAGE_SCN_CNT_INITIALIZED_DATA),
                                 headers["initialized_data"])
                reloc = next(s for s in sections if s["name"] == ".reloc")
                self.assertEqual(reloc["va"], headers["directories"][BASE_RELOCATION_DIRECTORY][0])
        headers = pe_headers(image)
        rsrc = headers["sections"][-1]
        self.assertEqual((".rsrc", 0x40000040), (rsrc["name"], rsrc["flags"]))  # initialised data, read-only
        self.assertEqual((rsrc["va"], rsrc["vsize"]), headers["directories"][RESOURCE_DIRECTORY])
        # The linker's checksum would be wrong; none is none.
        self.assertEqual(0, headers["checksum"])

    def test_headers_describe_the_appended_section(self):
        cases = [("small", {"a.cab": b"a" * 5000}, False, 0x200),
                 ("page-aligned", {"big.cab": bytes(range(256)) * 8192}, True, 0x1000)]
        for what, payloads, page_aligned, file_alignment in cases:
            with self.subTest(what):
                installer, reference = self.pack_with_reference(payloads, page_aligned)
                self.assertEqual(file_alignment, pe_headers(installer)["file_alignment"])
                self.assert_loadable(installer, reference)
                self.assertEqual(resources_of(reference), resources_of(installer))

    def test_payloads_copied_in_blocks_where_the_kernel_cannot_copy_them_are_the_same_bytes(self):
        big = self.file("big.cab", os.urandom(5 * 1024 * 1024 // 2))
        args = ["--package", f"all:{big}", "--package", f"all:{COMMON_CAB}", "--stub-kit", ENV["TARN_STUB_KIT"]]
        kernel = self.path("setup.exe")
        with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(io.StringIO()):
            self.assertEqual(0, tarn_pack_main(["-o", kernel, *args]))
        cases = [("cross-device", {"side_effect": OSError(errno.EXDEV, os.strerror(errno.EXDEV))}),
                 ("nothing copied", {"return_value": 0})]
        for what, behaviour in cases:
            with self.subTest(what):
                os.mkdir(self.path(what))
                blocks = self.path(f"{what}/setup.exe")  # the same name: it is in the version resource
                with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(io.StringIO()) as err, \
                        unittest.mock.patch.object(build.os, "copy_file_range", **behaviour) as copy:
                    self.assertEqual(0, tarn_pack_main(["-o", blocks, *args]), err.getvalue())
                self.assertTrue(copy.called)
                self.assertEqual(read(kernel), read(blocks))
                self.assertEqual(read(big), resource(blocks, 10, "BIN_00"))

    def test_a_stub_without_room_for_a_section_header_is_refused(self):
        _, reference = self.pack_with_reference({"a.cab": b"a"})
        headers = pe_headers(reference)
        pe_at = struct.unpack_from("<I", reference, 0x3C)[0]
        first_section = headers["table_end"] - 40 * len(headers["sections"])
        # The linker leaves room; a stub whose first section's data begins right after its table has less.
        for room, fits in ((40, True), (39, False)):
            with self.subTest(room=room):
                stub = bytearray(reference)
                struct.pack_into("<I", stub, first_section + 20, headers["table_end"] + room)
                struct.pack_into("<II", stub, pe_at + 24 + 96 + 8 * RESOURCE_DIRECTORY, 0, 0)
                image = pe.Image(bytes(stub), "the linked stub")
                if fits:
                    image.add_resource_section([])
                else:
                    with self.assertRaisesRegex(PackError, "^the linked stub has no room for one more "
                                                           "section header"):
                        image.add_resource_section([])


class BigSetTest(PackTestBase):
    def test_166_mb_of_payloads_list_and_extract_under_wine(self):
        sizes = [53932032, 55402496, 57083473]
        paths = []
        for i, size in enumerate(sizes):
            block = hashlib.sha256(str(i).encode()).digest() * (1 << 15)  # 1 MiB, differs per file
            data = (block * (size // len(block) + 1))[:size]
            paths.append(self.file(f"big{i}.cab", data))
        out = self.path("big-setup.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{paths[0]}", "--package", f"arm64:{paths[1]}",
                                "--package", f"all:{paths[2]}", "--splash", SPLASH_PNG))
        listing = subprocess.run(["wrestool", "-l", out], capture_output=True, text=True, check=True).stdout
        found = re.findall(r"--type=(\S+) --name=(\S+) --language=1033 \[.*size=(\d+)\]", listing)
        self.assertEqual({("'PNG'", "102", str(os.path.getsize(SPLASH_PNG))), ("10", "'MANIFEST'", "16"),
                          ("16", "1", str(len(resource(out, 16, 1)))), ("24", "1", str(len(resource(out, 24, 1))))}
                         | {("10", f"'HDR_0{i}'", "256") for i in range(3)}
                         | {("10", f"'BIN_0{i}'", str(size)) for i, size in enumerate(sizes)}, set(found))
        payload = subprocess.run(["wrestool", "-x", "--raw", "--type=10", "--name=BIN_02", out],
                                 capture_output=True, check=True).stdout
        self.assertEqual(hashlib.sha256(read(paths[2])).digest(), hashlib.sha256(payload).digest())
        del payload
        # The installer maps its page-aligned image and writes every package out again.
        target = self.path("extracted")
        proc = wine(out, "--extract", "--silent", "--path", win_path(target), timeout=600)
        self.assertEqual((0, f"Files were extracted to: {win_path(target)}\n"), (proc.returncode, text(proc.stdout)),
                         text(proc.stderr))
        self.assertEqual([f"big{i}.cab" for i in range(3)], sorted(os.listdir(target)))
        for path in paths:
            with self.subTest(path):
                self.assertTrue(filecmp.cmp(path, os.path.join(target, os.path.basename(path)), shallow=False))


class ReproducibleTest(PackTestBase):
    def test_same_inputs_give_the_same_bytes(self):
        _, _, der = make_cert(self.tmp, "maker")
        args = ["--package", f"amd64:{AMD64_MSI}", "--package", f"all:{COMMON_CAB}", "--splash", SPLASH_PNG,
                "--cert", der]
        # The same output name too: it is the version resource's original file name.
        os.mkdir(self.path("one"))
        os.mkdir(self.path("two"))
        first, second = self.path("one/setup.exe"), self.path("two/setup.exe")
        # The second from the same kit in another place, as a copy of the tree elsewhere has it:
        # the optimising link must not depend on where its libraries lie.
        kit_elsewhere = self.path("a/kit/at/a/longer/place")
        shutil.copytree(ENV["TARN_STUB_KIT"], kit_elsewhere)
        self.assert_packed(pack("-o", first, *args))
        self.assert_packed(pack("-o", second, *args, kit=kit_elsewhere))
        self.assertEqual(hashlib.sha256(read(first)).hexdigest(), hashlib.sha256(read(second)).hexdigest())

    def test_a_different_input_gives_different_bytes(self):
        first, second = self.path("one.exe"), self.path("two.exe")
        self.assert_packed(pack("-o", first, "--package", f"all:{COMMON_CAB}"))
        self.assert_packed(pack("-o", second, "--package", f"x86:{COMMON_CAB}"))
        self.assertNotEqual(read(first), read(second))


class SigningTest(PackTestBase):
    def test_signed_installer_verifies_and_is_reproducible_with_a_fixed_time(self):
        key, pem, _ = make_cert(self.tmp, "Tarnvale Test Signer")
        os.mkdir(self.path("one"))
        os.mkdir(self.path("two"))
        outs = [self.path("one/signed.exe"), self.path("two/signed.exe")]
        for out in outs:
            self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}", "--sign-key", key,
                                    "--sign-cert", pem, "--sign-time", "1735689600"))
        verify = subprocess.run(["osslsigncode", "verify", "-CAfile", pem, "-in", outs[0]], capture_output=True,
                                text=True)
        self.assertEqual(0, verify.returncode, verify.stdout + verify.stderr)
        self.assertIn("Signature verification: ok", verify.stdout)
        self.assertEqual(read(outs[0]), read(outs[1]))

    def test_pkcs12_file_with_a_password_file_signs_with_sha256(self):
        key, pem, _ = make_cert(self.tmp, "Tarnvale PKCS12 Signer")
        password = self.file("pass.txt", b"s3cret-\u00e4\n".decode("unicode_escape").encode("utf-8"))
        p12 = self.path("maker.p12")
        subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", pem, "-out", p12,
                        "-passout", f"file:{password}"], check=True, capture_output=True)
        out = self.path("signed.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}", "--sign-pkcs12", p12,
                                "--sign-pass-file", password))
        verify = subprocess.run(["osslsigncode", "verify", "-CAfile", pem, "-in", out], capture_output=True, text=True)
        self.assertEqual(0, verify.returncode, verify.stdout + verify.stderr)
        self.assertIn("Signature verification: ok", verify.stdout)
        self.assertIn("Message digest algorithm  : SHA256", verify.stdout)
        # Without the password the key cannot be read: signing fails and nothing is written.
        failed = self.path("unsigned.exe")
        proc = pack("-o", failed, "--package", f"amd64:{AMD64_MSI}", "--sign-pkcs12", p12)
        self.assertEqual(1, proc.returncode)
        self.assertIn("signing (osslsigncode) failed", proc.stderr)
        self.assertFalse(os.path.exists(failed))

    def test_the_time_stamp_server_reaches_osslsigncode(self):
        """No time-stamp server is reachable here: a stand-in osslsigncode records its arguments."""
        bin_dir = self.path("bin")
        os.mkdir(bin_dir)
        log = self.path("osslsigncode.args")
        standin = os.path.join(bin_dir, "osslsigncode")
        write(standin, (f'#!/bin/sh\nprintf "%s\\n" "$@" >"{log}"\n'
                        'while [ $# -gt 0 ]; do case "$1" in -in) i=$2 ;; -out) o=$2 ;; esac; shift; done\n'
                        'cp "$i" "$o"\n').encode())
        os.chmod(standin, 0o755)
        key, pem, _ = make_cert(self.tmp, "Tarnvale TSA Signer")
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"])
        proc = subprocess.run([sys.executable, PACK, "-o", self.path("ts.exe"), "--package", f"amd64:{AMD64_MSI}",
                               "--sign-key", key, "--sign-cert", pem, "--timestamp-url", "http://tsa.example/rfc3161",
                               "--sign-time", "1735689600"], env=env, capture_output=True, text=True)
        self.assertEqual(0, proc.returncode, proc.stderr)
        args = read(log).decode("utf-8").splitlines()
        self.assertEqual(["sign", "-certs", os.path.abspath(pem), "-key", os.path.abspath(key), "-h", "sha256",
                          "-time", "1735689600", "-ts", "http://tsa.example/rfc3161", "-in"], args[:-3])
        # Both in the packer's work directory beside the output.
        self.assertEqual(("-out", self.tmp, self.tmp), (args[-2], os.path.dirname(os.path.dirname(args[-3])),
                                                        os.path.dirname(os.path.dirname(args[-1]))))

    def test_signing_needs_key_and_certificate(self):
        key, _, _ = make_cert(self.tmp, "half")
        proc = pack("-o", self.path("x.exe"), "--package", f"all:{COMMON_CAB}", "--sign-key", key)
        self.assertEqual(2, proc.returncode)
        self.assertIn("signing needs both --sign-key and --sign-cert", proc.stderr)
        self.assertFalse(os.path.exists(self.path("x.exe")))


def resource(exe, rtype, name):
    return subprocess.run(["wrestool", "-x", "--raw", f"--type={rtype}", f"--name={name}", exe], capture_output=True,
                          check=True).stdout


class IdentityTest(PackTestBase):
    """The application manifest and the version resource, read with wrestool, an XML parser and Windows."""

    NS = {"v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3",
          "c": "urn:schemas-microsoft-com:compatibility.v1",
          "ws05": "http://schemas.microsoft.com/SMI/2005/WindowsSettings",
          "ws16": "http://schemas.microsoft.com/SMI/2016/WindowsSettings"}

    def manifest(self, exe):
        return ElementTree.fromstring(resource(exe, 24, 1))

    def version_strings(self, exe):
        proc = wine(ENV["TARN_VERSION_READER"], exe)
        self.assertEqual(0, proc.returncode, proc.stderr)
        return dict(line.split("=", 1) for line in text(proc.stdout).splitlines())

    def test_defaults_come_from_the_first_msi_and_ask_for_administrators(self):
        out = self.path("demo-setup.exe")
        self.assert_packed(pack("-o", out, "--package", f"all:{COMMON_CAB}", "--package", f"amd64:{AMD64_MSI}",
                                "--package", f"x86:{X86_MSI}"))
        root = self.manifest(out)
        self.assertEqual("requireAdministrator", root.find(".//v3:requestedExecutionLevel", self.NS).get("level"))
        self.assertEqual("false", root.find(".//v3:requestedExecutionLevel", self.NS).get("uiAccess"))
        self.assertEqual({"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
                         {e.get("Id") for e in root.findall(".//c:supportedOS", self.NS)})
        controls = root.find(".//v1:dependentAssembly/v1:assemblyIdentity", self.NS)
        self.assertEqual(("Microsoft.Windows.Common-Controls", "6.0.0.0", "6595b64144ccf1df"),
                         (controls.get("name"), controls.get("version"), controls.get("publicKeyToken")))
        self.assertEqual("PerMonitorV2, PerMonitor", root.find(".//ws16:dpiAwareness", self.NS).text)
        self.assertEqual("true/pm", root.find(".//ws05:dpiAware", self.NS).text)
        self.assertEqual("true", root.find(".//ws16:longPathAware", self.NS).text)
        self.assertEqual("7.2.0.0", root.find("v1:assemblyIdentity", self.NS).get("version"))
        self.assertEqual({"CompanyName": "Tarnvale Demo Maker", "FileDescription": "Tarnvale Demo (x86-64) Setup",
                          "FileVersion": "7.2.0", "LegalCopyright": "Copyright (C) Tarnvale Demo Maker",
                          "OriginalFilename": "demo-setup.exe", "ProductName": "Tarnvale Demo (x86-64)",
                          "ProductVersion": "7.2.0", "Fixed": "7.2.0.0"}, self.version_strings(out))

    def test_options_give_the_execution_level_and_every_text(self):
        out = self.path("setup.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}", "--execution-level", "asInvoker",
                                "--product-name", "Überall \"Pro\" \\ <2>", "--product-version", "10.20.30.40",
                                "--company", "Tarnvale & Söhne", "--description", "Sets up Überall",
                                "--copyright", "© 2026 Tarnvale"))
        root = self.manifest(out)
        self.assertEqual("asInvoker", root.find(".//v3:requestedExecutionLevel", self.NS).get("level"))
        self.assertEqual("Sets up Überall", root.find("v1:description", self.NS).text)
        self.assertEqual({"CompanyName": "Tarnvale & Söhne", "FileDescription": "Sets up Überall",
                          "FileVersion": "10.20.30.40", "LegalCopyright": "© 2026 Tarnvale",
                          "OriginalFilename": "setup.exe", "ProductName": "Überall \"Pro\" \\ <2>",
                          "ProductVersion": "10.20.30.40", "Fixed": "10.20.30.40"}, self.version_strings(out))

    def test_bad_identities_are_refused(self):
        cases = [
            (["--execution-level", "admin"], 2, "--execution-level takes asInvoker, highestAvailable, "
                                                "requireAdministrator, not 'admin'"),
            (["--product-version", "1.2.x"], 1, "product version '1.2.x' is not a version"),
            (["--product-version", "1.2.3.4.5"], 1, "product version '1.2.3.4.5' is not a version"),
            (["--product-version", "70000"], 1, "product version '70000' is not a version"),
            (["--company", "two\nlines"], 1, "has a control character"),
        ]
        for args, code, message in cases:
            with self.subTest(message):
                out = self.path("setup.exe")
                proc = pack("-o", out, "--package", f"amd64:{AMD64_MSI}", *args)
                self.assertEqual(code, proc.returncode, proc.stderr)
                self.assertIn(message, proc.stderr)
                self.assertFalse(os.path.exists(out))


class VerifyTest(PackTestBase):
    """tarn-pack --verify on good, damaged and tampered installers."""

    def verify(self, exe):
        proc = subprocess.run([sys.executable, PACK, "--verify", exe], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              text=True)
        return proc.returncode, proc.stdout, proc.stderr

    def patched(self, exe, name, offset, data, rtype=10):
        """A copy of exe with the bytes at offset of the resource name (RCDATA unless rtype says otherwise)
        replaced (its bytes, as wrestool extracts them, occur once in the file)."""
        image = bytearray(read(exe))
        content = resource(exe, rtype, name)
        self.assertEqual(1, image.count(content), name)
        at = image.find(content) + offset
        image[at:at + len(data)] = data
        return write(exe + ".patched.exe", image)

    def test_a_good_installer_verifies(self):
        out = self.path("setup.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}", "--package", f"all:{COMMON_CAB}"))
        self.assertEqual((0, f"{out}: 2 package(s); application manifest present; version resource present; "
                             f"signature none\n{out}: verified\n", ""), self.verify(out))

    def test_damaged_containers_fail_with_the_package_named(self):
        out = self.path("setup.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}", "--package", f"all:{COMMON_CAB}"))
        cases = [
            ("HDR_01", 32, b"..\\x.cab\0", "package #1: file name '..\\x.cab' has a directory part"),
            ("HDR_01", 32, b"common.txt\0", "package #1: 'common.txt' is neither an .msi package nor a .cab"),
            ("HDR_00", 4, b"BIN_09\0", "package #0: payload BIN_09 is missing"),
            ("HDR_00", 4, b"B" * 28, "package #0: the payload name has no end within its field"),
            ("MANIFEST", 15, b"\x03", "package #2: header HDR_02 is missing"),
            ("MANIFEST", 0, b"Yarn", "the MANIFEST resource is not a TarnInstV1 manifest"),
        ]
        for name, offset, data, message in cases:
            with self.subTest(message):
                rc, _, err = self.verify(self.patched(out, name, offset, data))
                self.assertEqual(1, rc)
                self.assertIn(message, err)

    def test_damaged_certificates_fail_with_the_certificate_named(self):
        _, _, der1 = make_cert(self.tmp, "maker-one")
        _, _, der2 = make_cert(self.tmp, "maker-two")
        out = self.path("setup.exe")
        self.assert_packed(pack("-o", out, "--package", f"all:{COMMON_CAB}", "--cert", der1, "--cert", der2))
        self.assertEqual(0, self.verify(out)[0])
        renamed = bytearray(read(out))
        self.assertEqual(1, renamed.count("CERT_00".encode("utf-16-le")))
        renamed = renamed.replace("CERT_00".encode("utf-16-le"), "CERT_02".encode("utf-16-le"))
        cases = [(self.patched(out, "CERT_01", 0, b"\x31"), "certificate CERT_01 is not a DER X.509 certificate"),
                 (write(self.path("renamed.exe"), renamed),
                  "certificate CERT_01 follows a gap: the installer stops at CERT_00")]
        for exe, message in cases:
            with self.subTest(message):
                rc, _, err = self.verify(exe)
                self.assertEqual(1, rc)
                self.assertIn(message, err)

    def test_damaged_identity_resources_fail(self):
        out = self.path("setup.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}"))
        manifest = resource(out, 24, 1)
        level = manifest.index(b'level="') + 1
        cases = [
            (24, 0, b" ", "the application manifest is no well-formed XML"),
            (24, level, b"E", "the application manifest asks for no execution level"),
            (16, 20, b"X", "the version resource is not a VS_VERSION_INFO block"),
        ]
        for rtype, offset, data, message in cases:
            with self.subTest(message):
                rc, _, err = self.verify(self.patched(out, 1, offset, data, rtype))
                self.assertEqual(1, rc)
                self.assertIn(message, err)

    def test_a_copy_cut_short_fails(self):
        out = self.path("setup.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}"))
        data = read(out)
        # One byte of the resource section's padding gone, and a cut into the application manifest, the last
        # resource.
        for cut in (len(data) - 1, data.rindex(b"</assembly>") + 2):
            with self.subTest(cut=cut):
                rc, stdout, err = self.verify(write(self.path("cut.exe"), data[:cut]))
                self.assertEqual(1, rc, stdout)
                self.assertRegex(err, rf"section \.rsrc ends at byte {len(data)}, beyond the end of the file "
                                      rf"\({cut} bytes\): the file was cut short")

    def test_signatures_are_checked(self):
        key, pem, _ = make_cert(self.tmp, "Tarnvale Verify Signer")
        out = self.path("signed.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}", "--sign-key", key, "--sign-cert", pem))
        rc, stdout, err = self.verify(out)
        self.assertEqual(0, rc, err)
        self.assertIn("signature valid, by /CN=Tarnvale Verify Signer", stdout)
        # One byte of the payload changed: the MSI's compound file signature.
        tampered = self.patched(out, "BIN_00", 0, b"\xd1")
        rc, _, err = self.verify(tampered)
        self.assertEqual(1, rc)
        self.assertIn("the signature does not match the file: it was changed after signing", err)


class RefusedInputTest(PackTestBase):
    """Every refused input: exit code 1, one clear line, nothing written."""

    def check_refused(self, args, message, exit_code=1):
        out = self.path("setup.exe")
        proc = pack("-o", out, *args)
        self.assertEqual(exit_code, proc.returncode, proc.stderr)
        self.assertIn(message, proc.stderr)
        self.assertFalse(os.path.exists(out), "output written despite the error")
        # An installer that is already there stays as it was.
        self.file("setup.exe", b"previous build")
        proc = pack("-o", out, *args)
        self.assertEqual(exit_code, proc.returncode)
        self.assertEqual(b"previous build", read(out))
        os.unlink(out)
        self.assertEqual([], [n for n in os.listdir(self.tmp) if n.startswith(".tarn-pack")])

    def test_refusals(self):
        empty = self.file("empty.msi", b"")
        payload = self.file("ok.msi", b"MSI")
        long_name = self.file("l" * 220 + ".msi", b"MSI")  # 224 bytes
        not_png = self.file("logo.png", b"GIF89a" + b"\0" * 20)
        garbage = self.file("maker.cer", b"\x30\x03\x02\x01\x01")
        pem = self.file("maker.pem", b"-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n")
        _, _, der = make_cert(self.tmp, "Tarnvale Refused Signer")
        padded = self.file("padded.cer", read(der) + b"\0")
        notes = self.file("notes.txt", b"text")
        cases = [
            (["--package", f"amd64:{self.path('missing.msi')}"], "package file '" + self.path("missing.msi") +
             "' cannot be read: No such file or directory"),
            (["--package", f"amd64:{empty}"], f"package file '{empty}' is empty"),
            (["--package", f"ia64:{payload}"], "unknown architecture 'ia64'"),
            (["--package", f"amd64:{long_name}"], "is 224 bytes long in UTF-8; at most 223 fit"),
            (["--package", f"amd64:{payload}", "--as", "sub/x.msi"], "has a directory part"),
            (["--package", f"amd64:{payload}", "--as", "sub\\x.msi"], "has a directory part"),
            (["--package", f"amd64:{payload}", "--as", "x.msi:stream"], "characters Windows does not allow"),
            (["--package", f"amd64:{payload}", "--as", "NUL.msi"], "names a Windows device"),
            (["--package", f"amd64:{payload}", "--as", "x.msi."], "ends in a space or a dot"),
            (["--package", f"amd64:{payload}", "--as", "x.msi "], "ends in a space or a dot"),
            (["--package", f"amd64:{payload}", "--package", f"all:{payload}"], "two packages are named 'ok.msi'"),
            (["--package", f"all:{payload}"] * 256, "256 packages given; an installer carries at most 255"),
            (["--package", f"all:{payload}", "--splash", not_png], f"splash picture '{not_png}' is not a PNG file"),
            (["--package", f"all:{payload}", "--cert", garbage], f"certificate '{garbage}' is not a DER X.509"),
            (["--package", f"all:{payload}", "--cert", pem], f"certificate '{pem}' is PEM, not DER X.509"),
            (["--package", f"all:{payload}", "--cert", padded], f"certificate '{padded}' is not a DER X.509 "
                                                               "certificate: it has bytes after the certificate"),
            (["--package", f"all:{payload}", "--cert", self.path("none.cer")], "cannot be read"),
            (["--package", f"all:{notes}"], "'notes.txt' is neither an .msi package nor a .cab cabinet"),
            (["--package", f"amd64:{payload}"], f"'{os.path.abspath(payload)}' is not an MSI package with a "
                                               "Property table"),
        ]
        for args, message in cases:
            with self.subTest(message=message):
                self.check_refused(args, message)

    def test_kits_that_are_not_usable_are_refused(self):
        """A kit of archives to link (as tarn-pack once took) and a kit whose stub is no image."""
        layout = read(os.path.join(ENV["TARN_STUB_KIT"], "container.conf"))
        cases = [("archives", b"version = 7.2.0\ncxx = g++\nlibraries = tarnstub tarnrt\n", None,
                  "holds archives to link, as earlier kits did"),
                 ("not-an-image", b"version = 7.2.0\nstub = stub.exe\n", b"MZ but nothing else",
                  "the kit's stub is not a PE image the packer can add to")]
        for name, conf, stub, message in cases:
            with self.subTest(name):
                kit = self.path(name)
                os.mkdir(kit)
                write(os.path.join(kit, "stub.conf"), conf)
                write(os.path.join(kit, "container.conf"), layout)
                if stub is not None:
                    write(os.path.join(kit, "stub.exe"), stub)
                self.check_refused(["--package", f"all:{COMMON_CAB}", "--stub-kit", kit], message)

    def test_a_failure_while_writing_leaves_nothing_behind(self):
        """The disk fills up while a payload is copied: the installer that was there stays, nothing else is left."""
        def full_disk(fd, res):
            raise OSError(errno.ENOSPC, os.strerror(errno.ENOSPC))

        out = self.file("setup.exe", b"previous build")
        with contextlib.redirect_stderr(io.StringIO()) as err, \
                unittest.mock.patch.object(build, "copy_resource", full_disk):
            code = tarn_pack_main(["-o", out, "--package", f"all:{COMMON_CAB}", "--stub-kit", ENV["TARN_STUB_KIT"]])
        self.assertEqual((1, f"tarn-pack: error: writing '{out}' failed: No space left on device\n"),
                         (code, err.getvalue()))
        self.assertEqual(b"previous build", read(out))
        self.assertEqual(["setup.exe"], os.listdir(self.tmp))

    def test_help_and_version(self):
        helped = subprocess.run([sys.executable, PACK, "--help"], capture_output=True, text=True)
        self.assertEqual(0, helped.returncode)
        for option in ("--verify", "--execution-level", "--sign-pkcs12", "--timestamp-url", "--version"):
            self.assertIn(option, helped.stdout)
        # The kit's version is the installer's own (TarnStubSettings.h).
        settings = read(os.path.join(os.path.dirname(PACK), "..", "Installer", "win", "Stub", "TarnStubSettings.h"))
        numbers = [re.search(rb"#define STUB_VERSION_" + part + rb" +(\d+)", settings).group(1).decode()
                   for part in (b"MAJOR", b"MINOR", b"BUILD")]
        versioned = subprocess.run([sys.executable, PACK, "--version"], capture_output=True, text=True)
        self.assertEqual((0, f"tarn-pack {'.'.join(numbers)} (stub kit {os.path.abspath(ENV['TARN_STUB_KIT'])})\n"),
                         (versioned.returncode, versioned.stdout))
        missing = subprocess.run([sys.executable, PACK, "--version", "--stub-kit", self.path("none")],
                                 capture_output=True, text=True)
        self.assertEqual(1, missing.returncode)
        self.assertIn(f"no stub kit in '{self.path('none')}'", missing.stderr)

    def test_print_inputs_names_every_input_and_packs_nothing(self):
        out = self.path("setup.exe")
        proc = subprocess.run([sys.executable, PACK, "-o", out, "--package", "amd64:pkg/a.msi", "--as", "b.msi",
                               "--package", "all:c.cab", "--splash", "logo.png", "--cert", "one.cer",
                               "--sign-pkcs12", "maker.p12", "--sign-pass-file", "pass.txt", "--print-inputs"],
                              capture_output=True, text=True)
        self.assertEqual((0, "pkg/a.msi\nc.cab\none.cer\nlogo.png\nmaker.p12\npass.txt\n", ""),
                         (proc.returncode, proc.stdout, proc.stderr))
        self.assertFalse(os.path.exists(out))

    def test_usage_errors(self):
        self.check_refused(["--package", "amd64"], "--package takes ARCH:FILE", exit_code=2)
        self.check_refused(["--as", "x.msi"], "--as NAME must follow the --package it names", exit_code=2)
        self.check_refused(["--frobnicate"], "unknown argument '--frobnicate'", exit_code=2)
        signing_cases = [
            (["--sign-pkcs12", "a.p12", "--sign-key", "k.pem", "--sign-cert", "c.pem"],
             "sign with --sign-key and --sign-cert or with --sign-pkcs12, not both"),
            (["--sign-pass-file", "pass.txt"], "--sign-pass-file is for --sign-pkcs12"),
            (["--timestamp-url", "http://tsa.example"], "--timestamp-url is for signing"),
        ]
        for args, message in signing_cases:
            with self.subTest(message):
                self.check_refused(["--package", f"all:{COMMON_CAB}", *args], message, exit_code=2)

    def test_names_of_the_table_the_installer_checks_too(self):
        """The packer takes exactly the names that the installer takes from a header."""
        layout = Layout.of_kit(ENV["TARN_STUB_KIT"])
        table = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "package-names.txt")
        rows = [line.split(b"\t", 1) for line in read(table).splitlines() if line and not line.startswith(b"#")]
        self.assertGreater(len(rows), 40)
        for verdict, escaped in rows:
            name = os.fsdecode(re.sub(rb"\\x([0-9a-fA-F]{2})", lambda m: bytes([int(m.group(1), 16)]), escaped))
            with self.subTest(name=name):
                try:
                    inputs.check_file_name(name, "x.msi", layout)
                    taken = True
                except PackError:
                    taken = False
                self.assertEqual(verdict == b"ok", taken)

    def test_a_223_byte_name_is_accepted(self):
        out = self.path("setup.exe")
        self.assert_packed(pack("-o", out, "--package", f"amd64:{AMD64_MSI}", "--as", "\u00e9" * 109 + "x.msi"))


if __name__ == "__main__":
    unittest.main()
