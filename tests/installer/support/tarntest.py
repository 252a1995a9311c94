"""What the installer's Python suites and fixture scripts share: the test
environment CMake sets, Wine runs, packing, Windows paths, reading the output
of Windows programs, the prefix's temporary directories and registry, file
trees, certificates and package container resources.

Suites put this directory on sys.path from their own location:
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))

Environment (set by CMake, read where used): TARN_PACK, TARN_STUB_KIT,
TARN_TEST_MSI_DIR, TARN_WINE_RUN, TARN_BUILD_DIR, TARN_WINEPREFIX.
"""
import collections
import contextlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile

ENV = os.environ
MSI_DIR = ENV.get("TARN_TEST_MSI_DIR", "")
AMD64_MSI = os.path.join(MSI_DIR, "TarnDemo_amd64.msi")
X86_MSI = os.path.join(MSI_DIR, "TarnDemo_x86.msi")
COMMON_CAB = os.path.join(MSI_DIR, "common.cab")
# The suite's prefix; without TARN_WINEPREFIX, wine-run.sh takes the build tree's own.
PREFIX = ENV.get("TARN_WINEPREFIX") or os.path.join(ENV.get("TARN_BUILD_DIR", ""), "wineprefix")
# Long enough for an installation under emulated 32-bit code; a run that takes longer hangs.
WINE_TIMEOUT = 240


# --------------------------------------------------------------------------
# Files
# --------------------------------------------------------------------------

def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    """Writes the bytes @a data to @a path; returns the path."""
    with open(path, "wb") as f:
        f.write(data)
    return path


def scratch(test, prefix):
    """A new directory named with @a prefix, removed when @a test ends: a TestCase, or its class (from
    setUpClass)."""
    path = tempfile.mkdtemp(prefix=prefix)
    add_cleanup = test.addClassCleanup if isinstance(test, type) else test.addCleanup
    add_cleanup(shutil.rmtree, path, True)
    return path


def tree(directory):
    """Every path below @a directory, relative to it, as a set."""
    return {os.path.relpath(os.path.join(root, name), directory)
            for root, dirs, files in os.walk(directory) for name in dirs + files}


# --------------------------------------------------------------------------
# Windows programs under Wine
# --------------------------------------------------------------------------

def win_path(path):
    """The Wine name of a Linux path (drive Z: is the Linux root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def text(data):
    """A Windows program's output as text with plain line feeds; output that is not UTF-8 is an error."""
    return data.decode("utf-8").replace("\r\n", "\n")


def errors(data):
    """A program's standard error without Wine's own reports ("wine: ..."), which the prefix's system
    processes, started in the same session, also write there."""
    return "".join(line for line in text(data).splitlines(True) if not line.startswith("wine: "))


def wine_env(prefix=None, **extra):
    """The environment of a Wine run: this one, in @a prefix when given, with @a extra variables."""
    env = dict(ENV, **extra)
    if prefix:
        env["TARN_WINEPREFIX"] = prefix
    return env


def wine(*args, prefix=None, cwd=None, timeout=WINE_TIMEOUT, stdin=None, **extra):
    """Runs a Windows program (or a Wine command) to its end in the build tree (or @a cwd), in @a prefix
    (default: the suite's), with the environment variables @a extra; its output is captured as bytes."""
    return subprocess.run([ENV["TARN_WINE_RUN"], *args], cwd=cwd or ENV["TARN_BUILD_DIR"], stdin=stdin,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout,
                          env=wine_env(prefix, **extra))


def start_wine(*args, prefix=None, cwd=None, env=None, **popen):
    """Starts a Windows program under Wine as wine() runs it and returns its Popen; @a env holds extra
    environment variables, @a popen the standard streams."""
    return subprocess.Popen([ENV["TARN_WINE_RUN"], *args], cwd=cwd or ENV["TARN_BUILD_DIR"],
                            env=wine_env(prefix, **(env or {})), **popen)


@contextlib.contextmanager
def holding(program, *args):
    """Runs a holder program (hold-mutex, hold-file) for the duration: it says "held" once it holds what it
    holds, lets go when its standard input closes, and must then end with 0."""
    holder = start_wine(program, *args, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        said = holder.stdout.readline().strip()
        if said != b"held":
            raise AssertionError(f"{os.path.basename(program)} did not say 'held' but {said!r}")
        yield
    finally:
        holder.stdin.close()
        code = holder.wait(timeout=60)
        holder.stdout.close()
        if code != 0:
            raise AssertionError(f"{os.path.basename(program)} ended with {code}")


def wait_for_wineserver(prefix=None):
    """Waits for the prefix's server to end: its registry files are written then, and the next program
    starts a server (and a desktop) afresh."""
    subprocess.run(["wineserver", "-w"], env=dict(ENV, WINEPREFIX=prefix or PREFIX), check=True, timeout=120)


def system_registry(prefix=None):
    """The prefix's system.reg as text, read after its server has ended."""
    wait_for_wineserver(prefix)
    return read(os.path.join(prefix or PREFIX, "system.reg")).decode("utf-8", "replace")


def temp_entries(prefix=None, dirs_only=False):
    """What the prefix's users have in their temporary directories (only the directories with
    @a dirs_only: Windows Installer keeps files of its own there for a moment after an installation,
    where the installer makes only its extraction directory)."""
    users = os.path.join(prefix or PREFIX, "drive_c", "users")
    found = set()
    # A prefix that no program has run in yet has no users, so no temporary directories either.
    for user in os.listdir(users) if os.path.isdir(users) else ():
        temp = os.path.join(users, user, "Temp")
        if os.path.isdir(temp):
            found |= {entry.path for entry in os.scandir(temp) if entry.is_dir() or not dirs_only}
    return found


def program_files(folder, prefix=None):
    """Where a package installs into the prefix's Program Files directory @a folder."""
    return os.path.join(prefix or PREFIX, "drive_c", "Program Files", folder)


# --------------------------------------------------------------------------
# Packing installers and what goes into them
# --------------------------------------------------------------------------

def pack(out, *packages, splash=None, certs=()):
    """Packs the installer @a out with tarn-pack from ARCH:FILE @a packages, an optional splash picture
    and certificates; fails on any packer error. Returns the packer's run (text output)."""
    args = [sys.executable, ENV["TARN_PACK"], "-o", out, "--stub-kit", ENV["TARN_STUB_KIT"]]
    for package in packages:
        args += ["--package", package]
    if splash:
        args += ["--splash", splash]
    for cert in certs:
        args += ["--cert", cert]
    return subprocess.run(args, check=True, capture_output=True, text=True)


def make_cert(directory, name):
    """A throw-away self-signed certificate for the subject CN=@a name: (key.pem, cert.pem, cert.der)."""
    key, pem, der = (os.path.join(directory, f"{name}.{ext}") for ext in ("key", "pem", "cer"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN={name}",
                    "-days", "30", "-keyout", key, "-out", pem], check=True, capture_output=True)
    subprocess.run(["openssl", "x509", "-in", pem, "-outform", "DER", "-out", der], check=True,
                   capture_output=True)
    return key, pem, der


def read_conf(path):
    """The "key = value" lines of a stub kit file (stub.conf, container.conf), without comments."""
    conf = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, sep, value = line.partition("=")
            if sep and not line.startswith("#"):
                conf[key.strip()] = value.strip()
    return conf


def container_layout():
    """The container's layout as the stub kit carries it (container.conf, from the installer's package header):
    the file that TARN_CONTAINER_LAYOUT names, else the one of the kit TARN_STUB_KIT names."""
    return read_conf(ENV.get("TARN_CONTAINER_LAYOUT") or os.path.join(ENV["TARN_STUB_KIT"], "container.conf"))


def container_manifest(count):
    """The manifest resource of a package container with @a count packages."""
    layout = container_layout()
    size = int(layout["PACKAGE_MANIFEST_SIZE"])
    return layout["PACKAGE_MANIFEST_MAGIC"].encode("ascii").ljust(size - 1, b"\0") + bytes([count])


def container_header(arch, payload, name):
    """A package header resource: architecture, payload resource name, file name (UTF-8)."""
    layout = container_layout()
    payload_field, name_field = int(layout["PACKAGE_PAYLOAD_NAME_SIZE"]), int(layout["PACKAGE_FILE_NAME_SIZE"])
    name = name.encode("utf-8")
    assert len(payload) < payload_field and len(name) < name_field
    return struct.pack("<I", arch) + payload.encode("ascii").ljust(payload_field, b"\0") + name.ljust(name_field, b"\0")


def rcdata_lines(out, resources):
    """Writes each of @a resources (name: bytes) into @a out as <name>.bin; returns the lines of a resource
    script that make them RCDATA resources of US English."""
    lines = ["LANGUAGE 0x09, 0x01"]
    for name, data in resources.items():
        write(os.path.join(out, name.lower() + ".bin"), data)
        # Only MANIFEST (a keyword) is quoted: adjacent quoted strings would be joined.
        quoted = f'"{name}"' if name == "MANIFEST" else name
        lines.append(f'{quoted} RCDATA "{name.lower()}.bin"')
    return lines


# --------------------------------------------------------------------------
# PE images: headers and resources, read independently of the packer
# --------------------------------------------------------------------------

RESOURCE_DIRECTORY = 2


def pe_headers(image):
    """The PE32 header fields the suites check, the data directories and the section table."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    assert image[pe:pe + 4] == b"PE\0\0", "not a PE image"
    count, = struct.unpack_from("<H", image, pe + 6)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    opt = pe + 24
    assert struct.unpack_from("<H", image, opt)[0] == 0x10B, "not a 32-bit image"

    def u32(offset):
        return struct.unpack_from("<I", image, opt + offset)[0]

    table = opt + optional_size
    sections = []
    for i in range(count):
        name, vsize, va, raw_size, raw_ptr = struct.unpack_from("<8sIIII", image, table + 40 * i)
        flags, = struct.unpack_from("<I", image, table + 40 * i + 36)
        sections.append({"name": name.rstrip(b"\0").decode(), "vsize": vsize, "va": va, "raw_size": raw_size,
                         "raw_ptr": raw_ptr, "flags": flags})
    return {"initialized_data": u32(8), "section_alignment": u32(32), "file_alignment": u32(36),
            "image_size": u32(56), "headers_size": u32(60), "checksum": u32(64),
            "directories": [struct.unpack_from("<II", image, opt + 96 + 8 * i) for i in range(u32(92))],
            "table_end": table + 40 * count, "sections": sections}


class ResourceEntry(collections.namedtuple("ResourceEntry", "rtype name language code_page entry_at data_at size")):
    """One resource: type, name and language (numbers or texts), its code page, the file offsets of its data
    entry and of its bytes, and their count."""

    def data(self, image):
        return bytes(image[self.data_at:self.data_at + self.size])


def resource_entries(image):
    """Every resource of the image in the order of its directories. Fails where Windows would not find an
    entry: a named entry that is not among the first ones, data outside the resource directory."""
    headers = pe_headers(image)
    rva, size = headers["directories"][RESOURCE_DIRECTORY]
    section = next(s for s in headers["sections"] if s["va"] <= rva < s["va"] + max(s["vsize"], s["raw_size"]))
    base = section["raw_ptr"] + rva - section["va"]

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", image, base + offset + 12)
        found = []
        for i in range(named + numbered):
            key, target = struct.unpack_from("<II", image, base + offset + 16 + 8 * i)
            if bool(key & 0x80000000) != (i < named):
                raise AssertionError(f"entry {i} of the directory at {offset:#x} is out of place")
            if key & 0x80000000:
                at = base + (key & 0x7FFFFFFF)
                length, = struct.unpack_from("<H", image, at)
                key = image[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            found.append((key, target & 0x7FFFFFFF))
        return found

    resources = []
    for rtype, names in entries(0):
        for name, languages in entries(names):
            for language, entry in entries(languages):
                data_rva, data_size, code_page, _ = struct.unpack_from("<IIII", image, base + entry)
                if not rva <= data_rva <= data_rva + data_size <= rva + size:
                    raise AssertionError(f"resource {rtype}/{name} lies outside the resource directory")
                resources.append(ResourceEntry(rtype, name, language, code_page, base + entry,
                                               base + data_rva - rva, data_size))
    return resources
