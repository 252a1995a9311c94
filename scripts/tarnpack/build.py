"""Packing: the kit's stub, its resource section appended, written in a work directory beside the output and
renamed into place, signed when asked."""
import errno
import os
import sys

from .errors import PackError
from .inputs import check_inputs
from .pe import Image
from .resources import Resource, installer_resources
from .signing import sign
from .tools import read_bytes

# From this much payload on, sections are page-aligned in the file, so Windows
# (and Wine) can map the image instead of copying it at start.
BIG_PAYLOAD = 1024 * 1024
PAGE = 0x1000
# Payloads are copied in blocks of this size where the kernel cannot copy them itself.
COPY_BLOCK = 1 << 20
# What copy_file_range fails with where the kernel or the file systems cannot copy between the two files.
NO_KERNEL_COPY = (errno.EXDEV, errno.ENOSYS, errno.EINVAL, errno.EOPNOTSUPP, errno.EBADF)


def write_all(fd, data):
    view = memoryview(data)
    while view:
        view = view[os.write(fd, view):]


def copy_resource(fd, res):
    """Appends the size bytes of res's file to the file open as fd, copied by the kernel where it can."""
    try:
        src = open(res.path, "rb")
    except OSError as e:
        raise PackError(f"'{res.path}' cannot be read: {e.strerror}")
    with src:
        left = res.size
        try:
            while left:
                copied = os.copy_file_range(src.fileno(), fd, left)
                if not copied:
                    break
                left -= copied
        except OSError as e:
            if e.errno not in NO_KERNEL_COPY:
                raise
        # The rest, if the kernel copied nothing more (some file systems copy nothing, as at the end of the file).
        while left:
            block = src.read(min(left, COPY_BLOCK))
            if not block:
                raise PackError(f"'{res.path}' became shorter while it was packed")
            write_all(fd, block)
            left -= len(block)


def write_installer(path, image, resources):
    """Writes the installer to path: the stub image with the resource section appended as its last section."""
    tail = image.add_resource_section(resources)
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o755)
    try:
        write_all(fd, image.data)
        for part in tail:
            if isinstance(part, Resource):
                copy_resource(fd, part)
            else:
                write_all(fd, part)
    finally:
        os.close(fd)


def build(opts, inputs, layout, work):
    """Builds the installer in the work directory and returns its path there."""
    image = Image(read_bytes(inputs.kit.stub), "the kit's stub")
    if sum(p.size for p in inputs.packages) >= BIG_PAYLOAD:
        image.realign(PAGE)
    exe = os.path.join(work, "setup.exe")
    write_installer(exe, image, installer_resources(opts, inputs, layout))
    if opts.signing:
        signed = os.path.join(work, "signed.exe")
        sign(opts, exe, signed)
        exe = signed
    os.chmod(exe, 0o755)
    return exe


def make_work_dir(parent):
    """A new private directory in parent, named .tarn-pack-<random>."""
    for _ in range(100):
        path = os.path.join(parent, f".tarn-pack-{os.urandom(6).hex()}")
        try:
            os.mkdir(path, 0o700)
            return path
        except FileExistsError:
            continue
        except OSError as e:
            raise PackError(f"cannot write into '{parent}': {e.strerror}")
    raise PackError(f"cannot make a work directory in '{parent}'")


def remove_work_dir(path):
    """Removes the work directory and the files in it (it has no subdirectories), as far as it can."""
    try:
        for name in os.listdir(path):
            os.unlink(os.path.join(path, name))
        os.rmdir(path)
    except OSError:
        pass


def pack(opts, layout, kit_dir):
    inputs = check_inputs(opts, layout, kit_dir)
    # The work directory lies beside the output, so that the finished installer moves into place by a rename.
    work = make_work_dir(os.path.dirname(os.path.abspath(opts.output)))
    try:
        built = build(opts, inputs, layout, work)
        os.replace(built, opts.output)
    except OSError as e:
        raise PackError(f"writing '{opts.output}' failed: {e.strerror}")
    finally:
        remove_work_dir(work)

    total = sum(p.size for p in inputs.packages)
    if not opts.splash:
        # The stub needs its picture in interactive runs; without one it says so in a box each time.
        print(f"tarn-pack: warning: {opts.output} has no splash picture (--splash): interactive runs will show "
              "\"Error loading splash image\"", file=sys.stderr)
    print(f"{opts.output}: {len(inputs.packages)} package(s), {total} bytes of payload, "
          f"{len(inputs.certs)} certificate(s){', splash' if opts.splash else ''}"
          f"{', signed' if opts.signing else ''}")
