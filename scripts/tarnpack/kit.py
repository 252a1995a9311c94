"""The stub kit: the prebuilt stub that installers are made from, its version, and the installer's layouts.

A kit is a directory holding stub.conf ("version" and "stub", the stub's file name in the kit), the stub
itself (a linked image without resources) and container.conf (the container's, the certificate resources'
and the splash picture's layouts, taken from the installer's headers).
"""
import os
import struct
from dataclasses import dataclass

from .errors import PackError

ARCH_NAMES = ("all", "x86", "amd64", "arm64")


def read_conf(path):
    """The "key = value" lines of a kit file, without comments; raises OSError when it cannot be read."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    conf = {}
    for line in lines:
        line = line.strip()
        if line and not line.startswith("#"):
            key, sep, val = line.partition("=")
            if not sep:
                raise PackError(f"{path}: malformed line '{line}'")
            conf[key.strip()] = val.strip()
    return conf


class Layout:
    """The container's layout as the installer defines it, from a kit's container.conf."""

    def __init__(self, conf):
        self.magic = conf["PACKAGE_MANIFEST_MAGIC"].encode("ascii")
        self.manifest_resource = conf["PACKAGE_MANIFEST_RESOURCE"]
        self.header_prefix = conf["PACKAGE_HEADER_RESOURCE_PREFIX"]
        self.payload_prefix = conf["PACKAGE_PAYLOAD_RESOURCE_PREFIX"]
        self.manifest_size = int(conf["PACKAGE_MANIFEST_SIZE"])
        self.max_packages = int(conf["PACKAGE_MAX_COUNT"])
        self.header_size = int(conf["PACKAGE_HEADER_SIZE"])
        self.payload_name_field = int(conf["PACKAGE_PAYLOAD_NAME_SIZE"])
        self.file_name_field = int(conf["PACKAGE_FILE_NAME_SIZE"])
        self.arch_values = {name: int(conf[f"PACKAGE_ARCH_{name.upper()}"]) for name in ARCH_NAMES}
        self.arch_names = {v: k for k, v in self.arch_values.items()}
        # A header starts with its architecture word; the two name fields fill the rest.
        self.payload_name_at = self.header_size - self.payload_name_field - self.file_name_field
        self.file_name_at = self.payload_name_at + self.payload_name_field
        self.splash_type = conf["STUB_SPLASH_RESOURCE_TYPE"]
        self.splash_id = int(conf["STUB_SPLASH_RESOURCE_ID"])
        self.cert_prefix = conf["EMBEDDED_CERT_RESOURCE_PREFIX"]

    @classmethod
    def of_kit(cls, kit_dir):
        path = os.path.join(kit_dir, "container.conf")
        try:
            return cls(read_conf(path))
        except OSError:
            raise PackError(f"no stub kit in '{kit_dir}' (container.conf missing; build the win32 flavour first, "
                            f"or give --stub-kit)")
        except KeyError as e:
            raise PackError(f"{path}: {e.args[0]} is missing")

    def magic_field(self):
        return self.magic.ljust(self.manifest_size - 1, b"\0")

    def count_of(self, manifest):
        """The package count of a manifest resource (its last byte)."""
        return manifest[self.manifest_size - 1]

    def manifest_bytes(self, count):
        return self.magic_field() + struct.pack("<B", count)

    def header_bytes(self, arch, payload_name, file_name):
        return (struct.pack("<I", arch) + payload_name.encode("ascii").ljust(self.payload_name_field, b"\0")
                + file_name.ljust(self.file_name_field, b"\0"))

    def header_fields(self, hdr):
        """(architecture, payload name field, file name field) of a header resource."""
        return (struct.unpack_from("<I", hdr)[0], hdr[self.payload_name_at:self.file_name_at],
                hdr[self.file_name_at:self.header_size])

    def header_name(self, index):
        return f"{self.header_prefix}{index:02d}"

    def payload_name(self, index):
        return f"{self.payload_prefix}{index:02d}"

    def cert_name(self, index):
        return f"{self.cert_prefix}{index:02d}"


@dataclass(frozen=True)
class Kit:
    """A stub kit read and checked: its directory, version and stub image."""
    dir: str
    version: str
    stub: str

    @classmethod
    def read(cls, kit_dir):
        conf_path = os.path.join(kit_dir, "stub.conf")
        try:
            conf = read_conf(conf_path)
        except OSError:
            raise PackError(f"no stub kit in '{kit_dir}' (stub.conf missing; build the win32 flavour first, "
                            f"or give --stub-kit)")
        if "stub" not in conf and "libraries" in conf:
            raise PackError(f"stub kit '{kit_dir}' holds archives to link, as earlier kits did; this tarn-pack "
                            f"starts from a prebuilt stub: use the kit installed with it")
        for key in ("version", "stub"):
            if key not in conf:
                raise PackError(f"{conf_path}: '{key}' is missing")
        stub = os.path.join(os.path.abspath(kit_dir), conf["stub"])
        if not os.path.isfile(stub):
            raise PackError(f"stub kit '{kit_dir}' lacks {conf['stub']}")
        return cls(os.path.abspath(kit_dir), conf["version"], stub)


def default_kit_dir():
    """$TARN_STUB_KIT, else the kit installed beside this package (<prefix>/share/tarnvale-installer/python/
    tarnpack and <prefix>/share/tarnvale-installer/stub-kit), else the win32 build of the source tree it lies
    in (scripts/tarnpack and build/win32/stub-kit)."""
    if os.environ.get("TARN_STUB_KIT"):
        return os.environ["TARN_STUB_KIT"]
    base = os.path.dirname(os.path.dirname(os.path.dirname(os.path.realpath(__file__))))
    installed = os.path.join(base, "stub-kit")
    if os.path.isfile(os.path.join(installed, "stub.conf")):
        return installed
    return os.path.join(base, "build", "win32", "stub-kit")
