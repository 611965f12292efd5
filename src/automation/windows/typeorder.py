#!/usr/bin/env python3
"""Puts the types of a type library in the library's own order: IDL must
declare an enumeration before an interface uses it, so widl writes the
enumerations first; they move behind the other types, which keep their order.
Usage: typeorder.py LIBRARY.tlb (rewritten in place).

Why the order matters: TALLUXLIB is published with its types at fixed
indices (0 _Tallux, 1 Tallux, 2 __Tallux, 3 tBarcodeType), and a client may
reach a type by its index, ITypeLib::GetTypeInfo(i), rather than by GUID:
type-library browsers list them so, and a wrapper or script generated from
the published library may keep the index. With widl's order, index 0 would
be the enumeration. The Wine test (tests/windows/run.sh) reads every type of
the DLL by index and compares them, in order, with the library the Linux
build describes.

A type inside the library is referred to by its hreftype, the byte offset of
its typeinfo record; moving the records renumbers every such reference: the
record's own index, an interface's base, the co-class's interfaces, the
user-defined types of parameters and results, and the GUID and name entries
that lead back to a type."""
import sys

import msft

VT_USERDEFINED = 0x1D
REF_SIZE = 16  # a co-class's interface: hreftype, flags, custom data, next
TYPEDESC_SIZE = 8  # the variant type, then the hreftype of a user-defined one
NAME_HEAD = 12  # hreftype, next in its hash chain, length and hash

lib = msft.Library(sys.argv[1])
n = lib.count
order = [i for i in range(n) if lib.kind(i) != msft.TKIND_ENUM] + \
        [i for i in range(n) if lib.kind(i) == msft.TKIND_ENUM]
for i in range(n):
    if lib.int(lib.offsets + 4 * i) != i * msft.TYPEINFO_SIZE:
        sys.exit(f"{lib.path}: typeinfo {i} is not in its fixed-size place")
moved = {old * msft.TYPEINFO_SIZE: new * msft.TYPEINFO_SIZE for new, old in enumerate(order)}


def remap(pos):
    lib.set_int(pos, moved.get(lib.int(pos), lib.int(pos)))


# The GUID entries of the types, found before their records move.
for pos in [lib.guid_entry(i) + 16 for i in range(n)]:
    remap(pos)
records = [bytes(lib.data[lib.typeinfo(i):lib.typeinfo(i) + msft.TYPEINFO_SIZE]) for i in range(n)]
for new, old in enumerate(order):
    lib.data[lib.typeinfo(new):lib.typeinfo(new) + msft.TYPEINFO_SIZE] = records[old]
    # The upper half of the kind word is the type's index.
    kind = lib.typeinfo(new) + msft.TI_KIND
    lib.set_int(kind, lib.int(kind) & 0xFFFF | new << 16)
    if lib.kind(new) in (msft.TKIND_INTERFACE, msft.TKIND_DISPATCH):
        remap(lib.typeinfo(new) + msft.TI_DATATYPE1)  # the base interface
start, length = lib.segment(msft.SEG_REFTAB)
for pos in range(start, start + max(length, 0), REF_SIZE):
    remap(pos)
start, length = lib.segment(msft.SEG_TYPEDESC)
for pos in range(start, start + max(length, 0), TYPEDESC_SIZE):
    if lib.int(pos) & 0xFFFF == VT_USERDEFINED:
        remap(pos + 4)
# Every name entry carries the type that first used the name (-1: none).
start, length = lib.segment(msft.SEG_NAME)
pos = start
while pos < start + length:
    remap(pos)
    pos += NAME_HEAD + (lib.data[pos + 8] + 3 & ~3)

for i in range(n):
    own = i * msft.TYPEINFO_SIZE
    name = lib.segment(msft.SEG_NAME)[0] + lib.int(lib.typeinfo(i) + msft.TI_NAME)
    if lib.int(lib.guid_entry(i) + 16) != own or lib.int(name) != own:
        sys.exit(f"{lib.path}: typeinfo {i}'s GUID or name does not lead back to it")
lib.save()
