"""tarn-pack: builds a Tarnvale installer from package files, or lists one.

  tarn-pack -o setup.exe --package amd64:Product_x64.msi --package arm64:Product_arm64.msi \\
            --package all:common.cab [--splash logo.png] [--cert maker.cer]... \\
            [--execution-level asInvoker|highestAvailable|requireAdministrator] \\
            [--product-name TEXT] [--product-version X.Y.Z] [--company TEXT] \\
            [--description TEXT] [--copyright TEXT] \\
            [--sign-key key.pem --sign-cert cert.pem | --sign-pkcs12 maker.p12 [--sign-pass-file FILE]] \\
            [--sign-time UNIX-TIME] [--timestamp-url URL] [--stub-kit DIR] [--print-inputs]
  tarn-pack --list setup.exe
  tarn-pack --verify setup.exe
  tarn-pack --help | --version

Each --package is ARCH:FILE, with ARCH one of all, x86, amd64 (x64, x86_64) or
arm64 (aarch64); the package is extracted under FILE's name unless --as NAME
follows it; only .msi packages and .cab cabinets can be carried. Packages keep
their command-line order. --splash adds the PNG
picture of the splash screen, --cert a DER X.509 certificate for the
trusted-publisher store (any number); an installer without a splash picture
reports that it has none in every interactive run, so the packer warns. With --sign-key and --sign-cert the
result is signed with Authenticode (osslsigncode, SHA-256), or with the key and
certificate of a PKCS#12 file (--sign-pkcs12, its password in --sign-pass-file);
the signing time is --sign-time, else SOURCE_DATE_EPOCH, else now, and
--timestamp-url has an RFC 3161 time-stamp server countersign the signature.

Every installer carries an application manifest (the execution level it asks
Windows for, default requireAdministrator since per-machine packages and the
machine's certificate store need it; Windows 7 to 11; Common Controls 6;
per-monitor DPI awareness; long paths) and a version resource, whose product
name, version and company default to the first MSI package's ProductName,
ProductVersion and Manufacturer (read with msiinfo of msitools).

The installer is the prebuilt stub of a stub kit (a directory holding the stub
and stub.conf; default: $TARN_STUB_KIT, else the kit installed with tarn-pack,
../share/tarnvale-installer/stub-kit, else build/win32/stub-kit of the source
tree it lies in) with the container as resources: MANIFEST, HDR_nn and BIN_nn
of type RCDATA, language 0x409, the certificates as CERT_nn and the splash
picture as PNG/102. No compiler or linker runs: the packer writes the resource
section itself and appends it as the image's last section, the payloads copied
in without being read whole. The same inputs give the same bytes. Nothing is
written when an input is refused; the output appears complete or not at all
(it is made in its own directory and renamed into place).

--print-inputs prints, one per line, the files that the rest of the command
line would make an installer from, and packs nothing (for build tools).

--list reads a built installer with wrestool (icoutils), independently of the
code that wrote it, and prints its packages: architecture, size, file name.
--verify checks a built installer without running it: every section lies
within the file (a copy cut short fails), the container (every header names a
payload that is there and not empty, every name is one the installer takes),
the certificates, the application manifest (well-formed, with an execution
level) and the version resource, and the Authenticode signature when it has
one: the file is the one that was signed, by the signer it names. Whether that
signer is to be trusted is not checked, since any certificate can sign;
compare the name it prints. Exit code 0 when all is well, else 1.
"""
import os
import sys

from .build import pack
from .cli import parse_args
from .errors import PackError, UsageError
from .kit import Kit, Layout, default_kit_dir
from .listing import list_installer
from .verify import verify_installer

PROG = "tarn-pack"


def main(argv):
    try:
        opts = parse_args(argv)
        kit_dir = opts.stub_kit or default_kit_dir()
        if opts.show_help:
            print(__doc__.strip())
        elif opts.print_inputs:
            print("\n".join(opts.input_files()))
        elif opts.show_version:
            print(f"{PROG} {Kit.read(kit_dir).version} (stub kit {os.path.abspath(kit_dir)})")
        elif opts.list is not None:
            list_installer(opts.list, Layout.of_kit(kit_dir))
        elif opts.verify is not None:
            verify_installer(opts.verify, Layout.of_kit(kit_dir))
        else:
            pack(opts, Layout.of_kit(kit_dir), kit_dir)
    except UsageError as e:
        print(f"{PROG}: error: {e}\n{PROG}: see '{PROG} --help'", file=sys.stderr)
        return 2
    except PackError as e:
        print(f"{PROG}: error: {e}", file=sys.stderr)
        return 1
    return 0
