"""Authenticode signing of a packed installer, with osslsigncode and SHA-256 digests."""
import os
import time

from .tools import run


def sign_command(opts, unsigned, signed):
    """osslsigncode's command line that signs the installer unsigned into signed."""
    sign_time = opts.sign_time
    if sign_time is None:
        sign_time = int(os.environ.get("SOURCE_DATE_EPOCH", int(time.time())))
    if opts.sign_pkcs12:
        credentials = ["-pkcs12", os.path.abspath(opts.sign_pkcs12)]
        if opts.sign_pass_file:
            credentials += ["-readpass", os.path.abspath(opts.sign_pass_file)]
    else:
        credentials = ["-certs", os.path.abspath(opts.sign_cert), "-key", os.path.abspath(opts.sign_key)]
    timestamp = ["-ts", opts.timestamp_url] if opts.timestamp_url else []
    return ["osslsigncode", "sign", *credentials, "-h", "sha256", "-time", str(sign_time), *timestamp,
            "-in", unsigned, "-out", signed]


def sign(opts, unsigned, signed):
    run(sign_command(opts, unsigned, signed), "signing (osslsigncode)")
