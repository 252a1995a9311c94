"""Reading a built installer's resources with wrestool (icoutils), independently of the code that wrote them,
and listing its packages."""
import os

from .errors import PackError
from .resources import RT_RCDATA
from .tools import capture, which


def wrestool(args):
    if not which("wrestool"):
        raise PackError("--list needs wrestool (apt-get install icoutils)")
    proc = capture(["wrestool", *args])
    if proc.returncode != 0:
        raise PackError(f"wrestool {' '.join(args)}: {proc.stderr.decode('utf-8', 'replace').strip()}")
    return proc.stdout


def read_resources(path):
    """{(type, name): (language, size)} of the installer at path, read by wrestool."""
    import re
    resources = {}
    pattern = re.compile(r"--type=(\S+) --name=(\S+) --language=(\d+) \[.*size=(\d+)\]")
    for line in wrestool(["-l", path]).decode("utf-8", "replace").splitlines():
        m = pattern.search(line)
        if m:
            rtype, name = m.group(1).strip("'"), m.group(2).strip("'")
            resources[(rtype, name)] = (int(m.group(3)), int(m.group(4)))
    return resources


class Container:
    """The resources of a built installer as wrestool lists them, and its package container read through them
    with the layout given."""

    def __init__(self, path, layout):
        if not os.path.isfile(path):
            raise PackError(f"'{path}' does not exist")
        self.path = path
        self.resources = read_resources(path)
        self.layout = layout

    def has(self, rtype, name):
        return (str(rtype), str(name)) in self.resources

    def size(self, rtype, name):
        entry = self.resources.get((str(rtype), str(name)))
        return entry[1] if entry else None

    def data(self, rtype, name):
        return wrestool(["-x", "--raw", f"--type={rtype}", f"--name={name}", self.path])

    def package_count(self):
        """(number of packages, None), or (0, what is wrong) when there is no container manifest."""
        lay = self.layout
        if not self.has(RT_RCDATA, lay.manifest_resource):
            return 0, f"no package container (no {lay.manifest_resource} resource)"
        manifest = self.data(RT_RCDATA, lay.manifest_resource)
        if len(manifest) != lay.manifest_size or manifest[:-1] != lay.magic_field():
            return 0, f"the {lay.manifest_resource} resource is not a {lay.magic.decode()} manifest"
        return lay.count_of(manifest), None

    def header(self, index):
        """(header bytes, problems) of package #index; the bytes are None when the header is unusable."""
        lay = self.layout
        name = lay.header_name(index)
        if not self.has(RT_RCDATA, name):
            return None, [f"package #{index}: header {name} is missing"]
        hdr = self.data(RT_RCDATA, name)
        if len(hdr) != lay.header_size:
            return None, [f"package #{index}: header {name} is {len(hdr)} bytes, not {lay.header_size}"]
        return hdr, []


def field_text(field, encoding):
    return field.split(b"\0", 1)[0].decode(encoding, "replace")


def list_installer(path, layout):
    container = Container(path, layout)
    count, problem = container.package_count()
    if problem:
        raise PackError(f"'{path}': {problem}")
    print(f"{path}: {count} package(s)")
    print(f"  {'#':>3}  {'arch':<5}  {'size':>12}  file name")
    problems = []
    for i in range(count):
        hdr, hdr_problems = container.header(i)
        problems += hdr_problems
        if hdr is None:
            continue
        arch, payload_field, name_field = layout.header_fields(hdr)
        payload = field_text(payload_field, "ascii")
        size = container.size(RT_RCDATA, payload)
        if size is None:
            problems.append(f"package #{i}: payload {payload} is missing")
        print(f"  {i:>3}  {layout.arch_names.get(arch, str(arch)):<5}  {'missing' if size is None else size:>12}  "
              f"{field_text(name_field, 'utf-8')}")
    splash = container.size(layout.splash_type, layout.splash_id)
    print(f"  splash picture: {'none' if splash is None else f'{splash} bytes'}")
    if problems:
        raise PackError("; ".join(problems))
