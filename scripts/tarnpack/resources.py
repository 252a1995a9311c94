"""The resource section that the packer appends to the stub: its tree of directories, its entries and its data,
laid out as the binutils resource compiler and linker lay it out."""
import os
import struct

from .errors import PackError
from .versioninfo import LANG_EN_US, manifest_text, version_resource

RT_RCDATA, RT_VERSION, RT_MANIFEST = 10, 16, 24
# Resource data starts on 8-byte boundaries, as the binutils linker places it.
RESOURCE_DATA_ALIGNMENT = 8
RESOURCE_DIRECTORY = struct.Struct("<IIHHHH")
RESOURCE_ENTRY = struct.Struct("<II")
RESOURCE_DATA_ENTRY = struct.Struct("<IIII")
SUBDIRECTORY, NAMED = 0x80000000, 0x80000000


def align(value, alignment):
    return value + (-value % alignment)


def resource_id(ident):
    """Names are stored in upper case, as Windows upper-cases the names it is asked for."""
    return ident.upper() if isinstance(ident, str) else ident


class Resource:
    """One resource of language 0x409: its type and name (a number or a text) and its bytes, held as data or
    named as a file of known size, which is copied into the installer without being read whole."""

    def __init__(self, rtype, name, data=None, path=None, size=None):
        self.rtype, self.name = resource_id(rtype), resource_id(name)
        self.data, self.path = data, path
        self.size = len(data) if data is not None else size


def directory_order(ident):
    """Windows searches each directory in halves: named entries first, in the order of their UTF-16 code units,
    then numbered ones, ascending."""
    return (0, ident.encode("utf-16-be")) if isinstance(ident, str) else (1, ident)


def installer_resources(opts, inputs, layout):
    """Every resource of the installer: application manifest, version resource, package container, the
    certificates in their order, splash picture."""
    resources = [Resource(RT_MANIFEST, 1, manifest_text(opts.execution_level, inputs.identity).encode("utf-8")),
                 Resource(RT_VERSION, 1, version_resource(inputs.identity)),
                 Resource(RT_RCDATA, layout.manifest_resource, layout.manifest_bytes(len(inputs.packages)))]
    for i, pkg in enumerate(inputs.packages):
        resources.append(Resource(RT_RCDATA, layout.header_name(i),
                                  layout.header_bytes(pkg.arch, layout.payload_name(i), pkg.name)))
        resources.append(Resource(RT_RCDATA, layout.payload_name(i), path=pkg.path, size=pkg.size))
    for i, der in enumerate(inputs.certs):
        resources.append(Resource(RT_RCDATA, layout.cert_name(i), der))
    if opts.splash:
        resources.append(Resource(layout.splash_type, layout.splash_id, path=os.path.abspath(opts.splash),
                                  size=os.path.getsize(opts.splash)))
    return resources


def resource_tree(resources):
    """[(type, [(name, resource)])], each level in directory order."""
    types = {}
    for res in resources:
        names = types.setdefault(res.rtype, {})
        if res.name in names:
            raise PackError(f"two resources of type {res.rtype} are named {res.name}")
        names[res.name] = res
    return [(rtype, sorted(types[rtype].items(), key=lambda item: directory_order(item[0])))
            for rtype in sorted(types, key=directory_order)]


def directory_size(count):
    return RESOURCE_DIRECTORY.size + count * RESOURCE_ENTRY.size


def resource_section(resources, rva):
    """The resource section at the relative virtual address rva: (its size, its parts in order). A part is bytes
    or a resource whose file is copied in. The section holds the directories (the root with the types, one with
    the names of each type, one with the language of each resource), the data entries, the names' texts and the
    data."""
    tree = resource_tree(resources)
    leaves = [res for _, names in tree for _, res in names]
    # Where each part of the section begins.
    type_dirs, offset = [], directory_size(len(tree))
    for _, names in tree:
        type_dirs.append(offset)
        offset += directory_size(len(names))
    language_dirs = [offset + i * directory_size(1) for i in range(len(leaves))]
    data_entries = offset + len(leaves) * directory_size(1)
    offset = data_entries + len(leaves) * RESOURCE_DATA_ENTRY.size
    strings = {}
    for ident in [ident for rtype, names in tree for ident in [rtype] + [name for name, _ in names]]:
        if isinstance(ident, str) and ident not in strings:
            strings[ident] = offset
            offset += 2 + len(ident.encode("utf-16-le"))
    data_offsets = []
    for res in leaves:
        offset = align(offset, RESOURCE_DATA_ALIGNMENT)
        data_offsets.append(offset)
        offset += res.size

    def directory(entries):
        named = sum(isinstance(ident, str) for ident, _ in entries)
        table = [RESOURCE_DIRECTORY.pack(0, 0, 0, 0, named, len(entries) - named)]
        for ident, target in entries:
            table.append(RESOURCE_ENTRY.pack(NAMED | strings[ident] if isinstance(ident, str) else ident, target))
        return b"".join(table)

    head = [directory([(rtype, SUBDIRECTORY | at) for (rtype, _), at in zip(tree, type_dirs)])]
    leaf = 0
    for _, names in tree:
        head.append(directory([(name, SUBDIRECTORY | language_dirs[leaf + i]) for i, (name, _) in enumerate(names)]))
        leaf += len(names)
    head += [directory([(LANG_EN_US, data_entries + i * RESOURCE_DATA_ENTRY.size)]) for i in range(len(leaves))]
    head += [RESOURCE_DATA_ENTRY.pack(rva + at, res.size, 0, 0) for res, at in zip(leaves, data_offsets)]
    head += [struct.pack("<H", len(ident.encode("utf-16-le")) // 2) + ident.encode("utf-16-le") for ident in strings]
    parts = [b"".join(head)]
    end = len(parts[0])
    for res, at in zip(leaves, data_offsets):
        parts += [b"\0" * (at - end), res.data if res.data is not None else res]
        end = at + res.size
    return end, parts
