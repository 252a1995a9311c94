"""Reading 32-bit x86 PE images, and adding the resource section to the stub's."""
import struct

from .errors import PackError
from .resources import align, resource_section

PE32_MAGIC, MACHINE_I386 = 0x10B, 0x14C
SECTION_HEADER = struct.Struct("<8sIIIIIIHHI")
RSRC_CHARACTERISTICS = 0x40000040  # IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ
IMAGE_SCN_CNT_CODE, IMAGE_SCN_CNT_INITIALIZED_DATA = 0x20, 0x40
RESOURCE_DIRECTORY_INDEX, SECURITY_DIRECTORY_INDEX, DEBUG_DIRECTORY_INDEX = 2, 4, 6
# Offsets in the PE32 optional header.
OPT_SIZE_OF_CODE, OPT_SIZE_OF_INITIALIZED_DATA, OPT_SECTION_ALIGNMENT, OPT_FILE_ALIGNMENT = 4, 8, 32, 36
OPT_SIZE_OF_IMAGE, OPT_SIZE_OF_HEADERS, OPT_CHECKSUM, OPT_DATA_DIRECTORIES = 56, 60, 64, 96
# The part of a file read for its PE headers and section table.
HEADERS_READ = 4096


class PeHeaders:
    """Where the headers of a 32-bit x86 PE image lie, read from its first bytes (at least up to the end of its
    section table): the COFF header, the optional header, the section table and its entries, the symbol
    table's offset. Raises ValueError for anything else."""

    def __init__(self, data):
        try:
            if data[:2] != b"MZ":
                raise ValueError("no MZ header")
            pe = struct.unpack_from("<I", data, 0x3C)[0]
            if data[pe:pe + 4] != b"PE\0\0":
                raise ValueError("no PE signature")
            self.coff = pe + 4
            machine, count, _, self.symbols, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, self.coff)
            self.optional = self.coff + 20
            if machine != MACHINE_I386 or struct.unpack_from("<H", data, self.optional)[0] != PE32_MAGIC:
                raise ValueError("not a 32-bit x86 image")
            self.sections = self.optional + optional_size
            self.section_headers = [SECTION_HEADER.unpack_from(data, self.sections + i * SECTION_HEADER.size)
                                    for i in range(count)]
            self.data = data
            self.directory(DEBUG_DIRECTORY_INDEX)  # the last directory read: the headers hold it
        except struct.error:
            raise ValueError("its headers end early")

    def directory(self, index):
        """(address, size) of data directory index."""
        return struct.unpack_from("<II", self.data, self.optional + OPT_DATA_DIRECTORIES + 8 * index)


def image_headers(path):
    """The PeHeaders of the file at path; raises PackError when they do not parse."""
    with open(path, "rb") as f:
        head = f.read(HEADERS_READ)
    try:
        return PeHeaders(head)
    except ValueError as e:
        raise PackError(f"'{path}' is not a 32-bit Windows program: {e}")


class Image:
    """The headers and sections of a linked PE32 image without resources, held as bytes, with what adding a
    section needs."""

    def __init__(self, data, what):
        self.data = bytearray(data)
        self.what = what
        try:
            headers = PeHeaders(data)
        except ValueError as e:
            raise PackError(f"{what} is not a PE image the packer can add to: {e}")
        self.coff, self.optional, self.sections = headers.coff, headers.optional, headers.sections
        self.section_headers = headers.section_headers
        self.headers_size = self.u32(OPT_SIZE_OF_HEADERS)
        self.section_alignment, self.file_alignment = self.u32(OPT_SECTION_ALIGNMENT), self.u32(OPT_FILE_ALIGNMENT)
        if headers.symbols:
            raise PackError(f"{what} carries a symbol table after its sections; the stub must be linked stripped (-s)")
        if headers.directory(RESOURCE_DIRECTORY_INDEX) != (0, 0):
            raise PackError(f"{what} has resources of its own already")
        if headers.directory(SECURITY_DIRECTORY_INDEX) != (0, 0):
            raise PackError(f"{what} is signed already; the packer signs the installer it makes")
        self.has_debug_directory = headers.directory(DEBUG_DIRECTORY_INDEX) != (0, 0)

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, self.optional + offset)[0]

    def set_u32(self, offset, value):
        struct.pack_into("<I", self.data, self.optional + offset, value)

    def directory_offset(self, index):
        return self.optional + OPT_DATA_DIRECTORIES + 8 * index

    def end_of_raw_data(self):
        return max([self.headers_size] + [ptr + raw for _, _, _, raw, ptr, *_ in self.section_headers if raw])

    def end_of_virtual(self):
        return max(va + max(vsize, raw) for _, vsize, va, raw, *_ in self.section_headers)

    def set_section_header(self, index, fields):
        SECTION_HEADER.pack_into(self.data, self.sections + index * SECTION_HEADER.size, *fields)
        if index == len(self.section_headers):
            self.section_headers.append(tuple(fields))
        else:
            self.section_headers[index] = tuple(fields)

    def realign(self, file_alignment):
        """Places the headers and every section's data on file_alignment boundaries in the file, as a link with
        that file alignment does; the image in memory stays the same. Page-aligned sections let Windows map a
        big image instead of copying it."""
        if file_alignment == self.file_alignment:
            return
        if self.has_debug_directory:
            raise PackError(f"{self.what} has a debug directory, whose file offsets the packer cannot move")
        old = bytes(self.data)
        headers_size = align(self.headers_size, file_alignment)
        self.data = bytearray(old[:self.headers_size].ljust(headers_size, b"\0"))
        for index, (name, vsize, va, raw, ptr, *rest) in enumerate(list(self.section_headers)):
            new_raw, new_ptr = align(raw, file_alignment), len(self.data) if raw else 0
            if raw:
                self.data += old[ptr:ptr + raw].ljust(new_raw, b"\0")
            self.set_section_header(index, (name, vsize, va, new_raw, new_ptr, *rest))
        self.headers_size, self.file_alignment = headers_size, file_alignment
        self.set_u32(OPT_SIZE_OF_HEADERS, headers_size)
        self.set_u32(OPT_FILE_ALIGNMENT, file_alignment)
        self.set_u32(OPT_SIZE_OF_CODE, self.section_raw_sum(IMAGE_SCN_CNT_CODE))
        self.set_u32(OPT_SIZE_OF_INITIALIZED_DATA, self.section_raw_sum(IMAGE_SCN_CNT_INITIALIZED_DATA))

    def section_raw_sum(self, flag):
        """The file size of the sections whose characteristics have flag."""
        return sum(header[3] for header in self.section_headers if header[9] & flag)

    def add_resource_section(self, resources):
        """Makes the image's last section the resource section of resources; returns the parts that follow the
        image's bytes in the file (the section, padded to the file alignment)."""
        count = len(self.section_headers)
        new_header = self.sections + (count + 1) * SECTION_HEADER.size
        first_raw = min([ptr for _, _, _, raw, ptr, *_ in self.section_headers if raw] + [self.headers_size])
        if new_header > first_raw or any(self.data[new_header - SECTION_HEADER.size:new_header]):
            raise PackError(f"{self.what} has no room for one more section header (its section table ends at "
                            f"{new_header - SECTION_HEADER.size:#x}, its first section at {first_raw:#x}); link it "
                            f"with a larger --file-alignment")
        if self.end_of_raw_data() != len(self.data):
            raise PackError(f"{self.what} has {len(self.data) - self.end_of_raw_data()} bytes after its last "
                            f"section; the packer cannot add the resources after them")
        rva = align(self.end_of_virtual(), self.section_alignment)
        size, parts = resource_section(resources, rva)
        raw_size = align(size, self.file_alignment)
        raw_pointer = align(len(self.data), self.file_alignment)
        self.set_section_header(count, (b".rsrc", size, rva, raw_size, raw_pointer, 0, 0, 0, 0, RSRC_CHARACTERISTICS))
        struct.pack_into("<H", self.data, self.coff + 2, count + 1)
        struct.pack_into("<II", self.data, self.directory_offset(RESOURCE_DIRECTORY_INDEX), rva, size)
        self.set_u32(OPT_SIZE_OF_IMAGE, align(rva + size, self.section_alignment))
        self.set_u32(OPT_SIZE_OF_INITIALIZED_DATA, self.u32(OPT_SIZE_OF_INITIALIZED_DATA) + raw_size)
        # The linker's checksum no longer holds. 0 says "none", which Windows accepts of any program (it checks
        # the sum of drivers and boot-time libraries only); signing puts in the real one.
        self.set_u32(OPT_CHECKSUM, 0)
        self.data += b"\0" * (raw_pointer - len(self.data))
        return parts + [b"\0" * (raw_size - size)]
