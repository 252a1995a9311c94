"""The checks of everything an installer is made from, all done before anything is written."""
import os
from dataclasses import dataclass

from .cli import IDENTITY_OPTIONS
from .errors import PackError
from .kit import ARCH_NAMES, Kit
from .tools import capture, which
from .versioninfo import version_numbers

MAX_PAYLOAD_SIZE = 0xFFFFFFFF
ARCH_ALIASES = {"x64": "amd64", "x86_64": "amd64", "aarch64": "arm64", "i386": "x86", "i686": "x86"}
PACKAGE_SUFFIXES = (".msi", ".cab")
# The identity of an installer packed without any MSI package to take it from.
DEFAULT_IDENTITY = {"ProductName": "Tarnvale Installer", "ProductVersion": "1.0.0", "Manufacturer": "Tarnvale"}

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
WINDOWS_RESERVED_CHARS = set('<>:"|?*\\/')
WINDOWS_DEVICE_NAMES = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"} | {
    f"{d}{n}" for d in ("COM", "LPT") for n in "123456789"}


@dataclass(frozen=True)
class Package:
    """A package checked: its architecture value, its file (absolute), the name the installer extracts it under
    (UTF-8) and its size."""
    arch: int
    path: str
    name: bytes
    size: int

    @property
    def is_msi(self):
        return self.name.lower().endswith(b".msi")


@dataclass(frozen=True)
class Inputs:
    """Everything an installer is made from, checked."""
    packages: tuple
    certs: tuple  # DER bytes, in command-line order
    identity: dict
    kit: Kit


def check_arch(pkg, layout):
    arch = pkg.arch.lower()
    arch = ARCH_ALIASES.get(arch, arch)
    if arch not in ARCH_NAMES:
        raise PackError(f"unknown architecture '{pkg.arch}' in --package {pkg.given} "
                        f"(use all, x86, amd64 or arm64)")
    return layout.arch_values[arch]


def check_payload(path):
    try:
        st = os.stat(path)
    except OSError as e:
        raise PackError(f"package file '{path}' cannot be read: {e.strerror}")
    if not os.path.isfile(path):
        raise PackError(f"package file '{path}' is not a regular file")
    if st.st_size == 0:
        raise PackError(f"package file '{path}' is empty")
    if st.st_size > MAX_PAYLOAD_SIZE:
        raise PackError(f"package file '{path}' is larger than 4 GiB - 1 bytes")
    if not os.access(path, os.R_OK):
        raise PackError(f"package file '{path}' cannot be read")
    return st.st_size


def check_file_name(given_name, path, layout):
    """The name the installer writes the package at path under (given_name, else path's file name), as UTF-8."""
    if given_name is not None:
        name = given_name
        if "/" in name or "\\" in name:
            raise PackError(f"file name '{name}' has a directory part; give a plain file name")
    else:
        name = os.path.basename(path)
    try:
        raw = os.fsencode(name).decode("utf-8").encode("utf-8")
    except UnicodeError:
        raise PackError(f"file name {name!r} is not valid UTF-8")
    text = raw.decode("utf-8")
    fits = layout.file_name_field - 1
    if len(raw) > fits:
        raise PackError(f"file name '{text}' is {len(raw)} bytes long in UTF-8; at most {fits} fit")
    if text in ("", ".", ".."):
        raise PackError(f"'{text}' is not a file name")
    bad = sorted({c for c in text if c in WINDOWS_RESERVED_CHARS or ord(c) < 32})
    if bad:
        shown = " ".join(repr(c) for c in bad)
        raise PackError(f"file name '{text}' has characters Windows does not allow in file names: {shown}")
    if text[-1] in " .":
        raise PackError(f"file name '{text}' ends in a space or a dot, which Windows drops")
    if text.split(".", 1)[0].rstrip(" ").upper() in WINDOWS_DEVICE_NAMES:
        raise PackError(f"file name '{text}' names a Windows device")
    return raw


def check_package_kind(name):
    """The installer hands .msi packages to Windows Installer and leaves .cab cabinets beside them; it refuses
    any other file at run time, so such a file is refused here."""
    text = name.decode("utf-8")
    if not text.lower().endswith(PACKAGE_SUFFIXES):
        raise PackError(f"'{text}' is neither an .msi package nor a .cab cabinet; an installer carries only these "
                        f"(name it with --as)")


def msi_properties(path):
    """The Property table of the MSI package at path, as a dict."""
    if not which("msiinfo"):
        raise PackError(f"reading the version resource's defaults from '{path}' needs msiinfo (apt-get install "
                        f"msitools); or give --product-name, --product-version and --company")
    proc = capture(["msiinfo", "export", path, "Property"])
    if proc.returncode != 0:
        raise PackError(f"'{path}' is not an MSI package with a Property table: "
                        f"{proc.stderr.decode('utf-8', 'replace').strip()}")
    rows = [line.split("\t", 1) for line in proc.stdout.decode("utf-8", "replace").splitlines()[3:]]
    return {row[0]: row[1].rstrip("\r") for row in rows if len(row) == 2}


def check_identity(opts, packages):
    """The texts of the version resource: the options given, else the first MSI package's properties."""
    given = {IDENTITY_OPTIONS[o]: v for o, v in opts.identity.items()}
    first_msi = next((p.path for p in packages if p.is_msi), None)
    wanted = ("ProductName", "ProductVersion", "CompanyName")
    source = DEFAULT_IDENTITY
    if first_msi and not all(k in given for k in wanted):
        source = msi_properties(first_msi)
    identity = {
        "ProductName": given.get("ProductName", source.get("ProductName", "")),
        "ProductVersion": given.get("ProductVersion", source.get("ProductVersion", "")),
        "CompanyName": given.get("CompanyName", source.get("Manufacturer", "")),
    }
    for field, option in (("ProductName", "--product-name"), ("ProductVersion", "--product-version")):
        if not identity[field]:
            raise PackError(f"'{first_msi}' has no {field}; give {option}")
    identity["FileDescription"] = given.get("FileDescription", f"{identity['ProductName']} Setup")
    identity["LegalCopyright"] = given.get("LegalCopyright",
                                           f"Copyright (C) {identity['CompanyName']}" if identity["CompanyName"]
                                           else "")
    identity["OriginalFilename"] = os.path.basename(opts.output)
    for field, value in identity.items():
        if any(ord(c) < 32 for c in value):
            raise PackError(f"the {field} '{value}' of the version resource has a control character")
    version_numbers(identity["ProductVersion"])
    return identity


def check_splash(path):
    try:
        with open(path, "rb") as f:
            head = f.read(16)
    except OSError as e:
        raise PackError(f"splash picture '{path}' cannot be read: {e.strerror}")
    if head[:8] != PNG_SIGNATURE or head[8:16] != b"\x00\x00\x00\x0dIHDR":
        raise PackError(f"splash picture '{path}' is not a PNG file")


def der_element(data, offset, what):
    """(tag, content start, content end) of the DER element at offset."""
    if offset + 2 > len(data):
        raise ValueError(f"{what} is cut short")
    tag = data[offset]
    first = data[offset + 1]
    pos = offset + 2
    if first < 0x80:
        length = first
    else:
        count = first & 0x7F
        if count == 0 or count > 4 or pos + count > len(data):
            raise ValueError(f"{what} has a bad length")
        length = int.from_bytes(data[pos:pos + count], "big")
        if length < 0x80 or data[pos] == 0:
            raise ValueError(f"{what} has a length that is not in DER form")
        pos += count
    if pos + length > len(data):
        raise ValueError(f"{what} runs past the end")
    return tag, pos, pos + length


def check_der_certificate(data):
    """Raises ValueError unless data is exactly one DER X.509 certificate."""
    tag, start, end = der_element(data, 0, "certificate")
    if tag != 0x30:
        raise ValueError("does not start with a SEQUENCE")
    if end != len(data):
        raise ValueError("has bytes after the certificate")
    parts = []
    pos = start
    while pos < end:
        t, s, e = der_element(data, pos, "certificate part")
        parts.append((t, s, e))
        pos = e
    if [p[0] for p in parts] != [0x30, 0x30, 0x03]:
        raise ValueError("is not tbsCertificate, signatureAlgorithm, signatureValue")
    _, s, e = parts[0]
    fields = []
    pos = s
    while pos < e:
        t, fs, fe = der_element(data, pos, "tbsCertificate field")
        fields.append(t)
        pos = fe
    if fields and fields[0] == 0xA0:
        fields = fields[1:]
    # serialNumber, signature, issuer, validity, subject, subjectPublicKeyInfo
    if fields[:6] != [0x02, 0x30, 0x30, 0x30, 0x30, 0x30]:
        raise ValueError("tbsCertificate lacks serial number, algorithm, issuer, validity, subject or key")


def check_cert(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise PackError(f"certificate '{path}' cannot be read: {e.strerror}")
    if data.lstrip().startswith(b"-----BEGIN"):
        raise PackError(f"certificate '{path}' is PEM, not DER X.509 "
                        f"(convert it: openssl x509 -in {path} -outform DER -out cert.cer)")
    try:
        check_der_certificate(data)
    except ValueError as e:
        raise PackError(f"certificate '{path}' is not a DER X.509 certificate: it {e}")
    return data


def check_packages(opts, layout):
    if len(opts.packages) > layout.max_packages:
        raise PackError(f"{len(opts.packages)} packages given; an installer carries at most {layout.max_packages}")
    packages = []
    seen = {}
    for pkg in opts.packages:
        arch = check_arch(pkg, layout)
        size = check_payload(pkg.path)
        name = check_file_name(pkg.name, pkg.path, layout)
        check_package_kind(name)
        key = name.decode("utf-8").casefold()
        if key in seen:
            raise PackError(f"two packages are named '{name.decode('utf-8')}' "
                            f"({seen[key]} and {pkg.path}); name one with --as")
        seen[key] = pkg.path
        packages.append(Package(arch, os.path.abspath(pkg.path), name, size))
    return tuple(packages)


def check_signing(opts):
    if not opts.signing:
        return
    for path in (opts.sign_key, opts.sign_cert, opts.sign_pkcs12, opts.sign_pass_file):
        if path is not None and not os.path.isfile(path):
            raise PackError(f"signing file '{path}' does not exist")
    if not which("osslsigncode"):
        raise PackError("signing needs osslsigncode (apt-get install osslsigncode)")


def check_output(path):
    out_dir = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(out_dir):
        raise PackError(f"output directory '{out_dir}' does not exist")
    if os.path.isdir(path):
        raise PackError(f"output '{path}' is a directory")


def check_inputs(opts, layout, kit_dir):
    """Every input of the command line checked, in the order a release engineer would fix them."""
    packages = check_packages(opts, layout)
    if opts.splash:
        check_splash(opts.splash)
    certs = tuple(check_cert(path) for path in opts.certs)
    check_signing(opts)
    check_output(opts.output)
    identity = check_identity(opts, packages)
    return Inputs(packages, certs, identity, Kit.read(kit_dir))
