"""The parts of an MSFT type library (the file format that widl writes) that
the build's post-processing steps read and rewrite: the header, the segment
directory and the fixed-size typeinfo records."""
import os
import struct
import sys

HEADER_SIZE = 0x54  # before the typeinfo offsets
HELPDLL = 0x100  # a header flag: one more 4-byte field after the header
TYPEINFO_SIZE = 0x64  # one typeinfo record
# Segments, by their place in the directory.
SEG_TYPEINFO, SEG_REFTAB, SEG_GUID, SEG_NAME, SEG_TYPEDESC = 0, 3, 5, 7, 9
# Fields of a typeinfo record.
TI_KIND, TI_POSGUID, TI_FLAGS, TI_NAME, TI_DATATYPE1 = 0x00, 0x2C, 0x30, 0x34, 0x54
TKIND_ENUM, TKIND_INTERFACE, TKIND_DISPATCH = 0, 3, 4
GUID_ENTRY_SIZE = 24  # the GUID, its hreftype, the next in its hash chain


class Library:
    def __init__(self, path):
        self.path = path
        self.data = bytearray(open(path, "rb").read())
        if self.data[:4] != b"MSFT":
            sys.exit(f"{path}: not an MSFT type library")
        varflags, = struct.unpack_from("<i", self.data, 0x14)
        self.count, = struct.unpack_from("<i", self.data, 0x20)
        self.offsets = HEADER_SIZE + (4 if varflags & HELPDLL else 0)
        self.directory = self.offsets + 4 * self.count

    def int(self, pos):
        return struct.unpack_from("<i", self.data, pos)[0]

    def set_int(self, pos, value):
        struct.pack_into("<i", self.data, pos, value)

    def segment(self, n):
        """The file offset and length of segment n."""
        return struct.unpack_from("<ii", self.data, self.directory + 16 * n)

    def typeinfo(self, i):
        """The file offset of the i-th typeinfo record."""
        return self.segment(SEG_TYPEINFO)[0] + i * TYPEINFO_SIZE

    def kind(self, i):
        return self.int(self.typeinfo(i) + TI_KIND) & 0xF

    def guid_entry(self, i):
        return self.segment(SEG_GUID)[0] + self.int(self.typeinfo(i) + TI_POSGUID)

    def save(self):
        """Replaces the file whole, so a failure leaves the old one."""
        temporary = self.path + ".new"
        with open(temporary, "wb") as f:
            f.write(self.data)
        os.replace(temporary, self.path)
