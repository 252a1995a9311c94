"""--verify: a built installer checked without running it."""
import os

from .cli import EXECUTION_LEVELS
from .errors import PackError
from .inputs import check_der_certificate, check_file_name, check_package_kind
from .listing import Container, field_text
from .pe import SECURITY_DIRECTORY_INDEX, image_headers
from .resources import RT_MANIFEST, RT_RCDATA, RT_VERSION
from .tools import capture, read_bytes, run, which, write_file


def header_problems(index, hdr, container):
    """What is wrong with the header of package #index (a list of texts)."""
    _, payload_field, name_field = container.layout.header_fields(hdr)
    problems = []
    if b"\0" not in payload_field:
        problems.append(f"package #{index}: the payload name has no end within its field")
    else:
        payload = field_text(payload_field, "ascii")
        size = container.size(RT_RCDATA, payload)
        if size is None:
            problems.append(f"package #{index}: payload {payload} is missing")
        elif size == 0:
            problems.append(f"package #{index}: payload {payload} is empty")
    if b"\0" not in name_field:
        problems.append(f"package #{index}: the file name has no end within its field")
    else:
        try:
            name = check_file_name(os.fsdecode(name_field.split(b"\0", 1)[0]), "", container.layout)
            check_package_kind(name)
        except PackError as e:
            problems.append(f"package #{index}: {e}")
    return problems


def certificate_problems(container):
    """What is wrong with the certificate resources: numbered from 0 without a gap (the installer stops at the
    first number missing), each one DER certificate."""
    lay = container.layout
    numbers = sorted(int(name[len(lay.cert_prefix):]) for rtype, name in container.resources
                     if rtype == str(RT_RCDATA) and name.startswith(lay.cert_prefix)
                     and name[len(lay.cert_prefix):].isdigit())
    problems = []
    for index, number in enumerate(numbers):
        if number != index:
            problems.append(f"certificate {lay.cert_name(number)} follows a gap: the installer stops at "
                            f"{lay.cert_name(index)}")
            break
        try:
            check_der_certificate(container.data(RT_RCDATA, lay.cert_name(index)))
        except ValueError as e:
            problems.append(f"certificate {lay.cert_name(index)} is not a DER X.509 certificate: it {e}")
    return problems


def truncation_problems(path):
    """Sections or a signature whose bytes would lie beyond the end of the file: a copy cut short."""
    size = os.path.getsize(path)
    headers = image_headers(path)
    sig_at, sig_size = headers.directory(SECURITY_DIRECTORY_INDEX)
    problems = [f"section {name.rstrip(bytes(1)).decode('ascii', 'replace')} ends at byte {ptr + raw}, beyond the "
                f"end of the file ({size} bytes): the file was cut short"
                for name, _, _, raw, ptr, *_ in headers.section_headers if raw and ptr + raw > size]
    if sig_size and sig_at + sig_size > size:
        problems.append(f"the signature ends at byte {sig_at + sig_size}, beyond the end of the file ({size} bytes)")
    return problems


def application_manifest_problems(text):
    """What is wrong with the application manifest's XML: it must parse and ask for an execution level."""
    import xml.etree.ElementTree as ElementTree
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as e:
        return [f"the application manifest is no well-formed XML ({e})"]
    levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    if len(levels) != 1 or levels[0] not in EXECUTION_LEVELS:
        return ["the application manifest asks for no execution level"]
    return []


def resource_problems(container):
    """Whether the application manifest and the version resource are present and readable."""
    problems = []
    if not container.has(RT_MANIFEST, 1):
        problems.append("no application manifest")
    else:
        problems += application_manifest_problems(container.data(RT_MANIFEST, 1))
    if not container.has(RT_VERSION, 1):
        problems.append("no version resource")
    elif container.data(RT_VERSION, 1)[6:36] != "VS_VERSION_INFO".encode("utf-16-le"):
        problems.append("the version resource is not a VS_VERSION_INFO block")
    return problems


def signature_problems(path):
    """Checks the Authenticode signature: the file's digest is the signed one and the signature verifies with
    the certificates it carries (and the system's CAs for a chain). Returns (problems, description)."""
    if image_headers(path).directory(SECURITY_DIRECTORY_INDEX)[1] == 0:
        return [], "none"
    import re
    import tempfile
    if not which("osslsigncode"):
        raise PackError("checking the signature needs osslsigncode (apt-get install osslsigncode)")
    with tempfile.TemporaryDirectory(prefix="tarn-pack-verify-") as work:
        sig, certs = os.path.join(work, "sig.p7"), os.path.join(work, "certs.pem")
        run(["osslsigncode", "extract-signature", "-in", os.path.abspath(path), "-out", sig],
            "extracting the signature (osslsigncode)")
        proc = capture(["openssl", "pkcs7", "-inform", "DER", "-in", sig, "-print_certs"])
        if proc.returncode != 0:
            return ["the signature carries no readable certificates"], "unreadable"
        bundle = proc.stdout
        system_cas = "/etc/ssl/certs/ca-certificates.crt"
        if os.path.isfile(system_cas):
            bundle += read_bytes(system_cas)
        write_file(certs, bundle)
        proc = capture(["osslsigncode", "verify", "-in", os.path.abspath(path), "-CAfile", certs], merged=True)
    output = proc.stdout.decode("utf-8", "replace")
    subject = re.search(r"Subject: (.*)", output)
    signer = subject.group(1).strip() if subject else "unknown signer"
    if "MISMATCH" in output:
        return ["the signature does not match the file: it was changed after signing"], f"by {signer}"
    if proc.returncode != 0 or "Signature verification: ok" not in output:
        return ["the signature does not verify"], f"by {signer}"
    return [], f"valid, by {signer}"


def verify_installer(path, layout):
    """Checks a built installer without running it; prints what it found, raises PackError on problems."""
    if not os.path.isfile(path):
        raise PackError(f"'{path}' does not exist")
    problems = truncation_problems(path)
    container = Container(path, layout)
    whole = not problems
    count = 0
    if whole:
        count, problem = container.package_count()
        problems += [problem] if problem else []
    for i in range(count):
        hdr, hdr_problems = container.header(i)
        problems += hdr_problems if hdr is None else header_problems(i, hdr, container)
    if whole:
        problems += certificate_problems(container)
        problems += resource_problems(container)
    sig_problems, signature = signature_problems(path) if whole else ([], "not checked")
    problems += sig_problems
    print(f"{path}: {count} package(s); application manifest "
          f"{'present' if container.has(RT_MANIFEST, 1) else 'missing'}; version resource "
          f"{'present' if container.has(RT_VERSION, 1) else 'missing'}; signature {signature}")
    if problems:
        raise PackError(f"{path} failed verification: " + "; ".join(problems))
    print(f"{path}: verified")
