"""tarn-pack's command line: the options, read into an Options record, with the checks of their combinations."""
from dataclasses import dataclass, field
from typing import Optional

from .errors import UsageError

EXECUTION_LEVELS = ("asInvoker", "highestAvailable", "requireAdministrator")
DEFAULT_EXECUTION_LEVEL = "requireAdministrator"
# Options for the texts of the version resource, and the resource's field for each.
IDENTITY_OPTIONS = {"--product-name": "ProductName", "--product-version": "ProductVersion", "--company": "CompanyName",
                    "--description": "FileDescription", "--copyright": "LegalCopyright"}


@dataclass
class PackageArgument:
    """One --package ARCH:FILE as given, and the --as NAME after it (None when none follows)."""
    arch: str
    path: str
    given: str
    name: Optional[str] = None


@dataclass
class Options:
    output: Optional[str] = None
    packages: list = field(default_factory=list)  # PackageArgument, in command-line order
    splash: Optional[str] = None
    certs: list = field(default_factory=list)
    sign_key: Optional[str] = None
    sign_cert: Optional[str] = None
    sign_pkcs12: Optional[str] = None
    sign_pass_file: Optional[str] = None
    sign_time: Optional[int] = None
    timestamp_url: Optional[str] = None
    execution_level: str = DEFAULT_EXECUTION_LEVEL
    identity: dict = field(default_factory=dict)  # version resource texts given on the command line, by option
    stub_kit: Optional[str] = None
    list: Optional[str] = None
    verify: Optional[str] = None
    show_version: bool = False
    show_help: bool = False
    print_inputs: bool = False

    @property
    def signing(self):
        return bool(self.sign_key or self.sign_pkcs12)

    def input_files(self):
        """The files an installer is made from, as the command line names them (not checked)."""
        inputs = [pkg.path for pkg in self.packages] + list(self.certs)
        inputs += [p for p in (self.splash, self.sign_key, self.sign_cert, self.sign_pkcs12, self.sign_pass_file)
                   if p]
        return inputs


# Options that take a value and the Options field it goes to.
VALUE_OPTIONS = {"-o": "output", "--output": "output", "--splash": "splash", "--sign-key": "sign_key",
                 "--sign-cert": "sign_cert", "--sign-pkcs12": "sign_pkcs12", "--sign-pass-file": "sign_pass_file",
                 "--timestamp-url": "timestamp_url", "--stub-kit": "stub_kit", "--list": "list",
                 "--verify": "verify"}


def parse_args(argv):
    opts = Options()
    i = 0

    def value(name):
        nonlocal i
        if "=" in argv[i] and argv[i].startswith("--"):
            return argv[i].split("=", 1)[1]
        if i + 1 >= len(argv):
            raise UsageError(f"{name} needs a value")
        i += 1
        return argv[i]

    while i < len(argv):
        arg = argv[i]
        name = arg.split("=", 1)[0] if arg.startswith("--") else arg
        if name in ("-h", "--help"):
            opts.show_help = True
            return opts
        elif name == "--version":
            opts.show_version = True
        elif name in VALUE_OPTIONS:
            setattr(opts, VALUE_OPTIONS[name], value(name))
        elif name == "--package":
            given = value(name)
            arch, sep, path = given.partition(":")
            if not sep or not path:
                raise UsageError(f"--package takes ARCH:FILE, not '{given}'")
            opts.packages.append(PackageArgument(arch, path, given))
        elif name == "--as":
            new_name = value(name)
            if not opts.packages or opts.packages[-1].name is not None:
                raise UsageError("--as NAME must follow the --package it names")
            opts.packages[-1].name = new_name
        elif name == "--cert":
            opts.certs.append(value(name))
        elif name == "--execution-level":
            opts.execution_level = value(name)
            if opts.execution_level not in EXECUTION_LEVELS:
                raise UsageError(f"--execution-level takes {', '.join(EXECUTION_LEVELS)}, "
                                 f"not '{opts.execution_level}'")
        elif name in IDENTITY_OPTIONS:
            opts.identity[name] = value(name)
        elif name == "--sign-time":
            text = value(name)
            if not text.isdigit():
                raise UsageError(f"--sign-time takes seconds since 1970, not '{text}'")
            opts.sign_time = int(text)
        elif name == "--print-inputs":
            opts.print_inputs = True
        else:
            raise UsageError(f"unknown argument '{arg}'")
        i += 1

    if opts.show_version:
        return opts
    for mode in ("--list", "--verify"):
        if getattr(opts, mode[2:]) is not None:
            # Only "MODE FILE" or "MODE=FILE".
            if len(argv) != (1 if argv[0].startswith(mode + "=") else 2):
                raise UsageError(f"{mode} takes only the installer to read")
            return opts
    check_combinations(opts)
    return opts


def check_combinations(opts):
    if not opts.output:
        raise UsageError("no output file (-o setup.exe)")
    if bool(opts.sign_key) != bool(opts.sign_cert):
        raise UsageError("signing needs both --sign-key and --sign-cert")
    if opts.sign_pkcs12 and opts.sign_key:
        raise UsageError("sign with --sign-key and --sign-cert or with --sign-pkcs12, not both")
    if opts.sign_pass_file and not opts.sign_pkcs12:
        raise UsageError("--sign-pass-file is for --sign-pkcs12")
    if opts.sign_time is not None and not opts.signing:
        raise UsageError("--sign-time is for signing (--sign-key and --sign-cert, or --sign-pkcs12)")
    if opts.timestamp_url is not None and not opts.signing:
        raise UsageError("--timestamp-url is for signing (--sign-key and --sign-cert, or --sign-pkcs12)")
