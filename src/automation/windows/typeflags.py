#!/usr/bin/env python3
"""Sets on the dispatch interfaces of a type library the flags that its IDL
states but widl leaves out: automation-compatible on the dispatch side of a
dual interface, and non-extensible on a dispinterface, which widl only takes
as a comment. Usage: typeflags.py LIBRARY.tlb LIBRARY.idl (the .tlb is
rewritten in place)."""
import re
import struct
import sys
import uuid

FLAGS = {"hidden": 0x10, "control": 0x20, "dual": 0x40, "nonextensible": 0x80,
         "oleautomation": 0x100}
TKIND_DISPATCH = 4
HEADER_SIZE = 0x54  # the MSFT header, before the typeinfo offsets
TYPEINFO_SIZE = 0x64  # one MSFT_TypeInfoBase
HELPDLL = 0x100  # a header flag: one more 4-byte field after the header

tlb_path, idl_path = sys.argv[1], sys.argv[2]
stated = {}
pattern = r"\[uuid\(([0-9A-Fa-f-]+)\)([^\]]*)\]\s*(?:dispinterface|interface)\s"
for m in re.finditer(pattern, open(idl_path).read()):
    words = set(re.findall(r"[a-z]+", m.group(2)))
    stated[uuid.UUID(m.group(1)).bytes_le] = sum(FLAGS.get(w, 0) for w in words)

tlb = bytearray(open(tlb_path, "rb").read())
if tlb[:4] != b"MSFT":
    sys.exit(f"{tlb_path}: not an MSFT type library")
varflags, = struct.unpack_from("<i", tlb, 0x14)
count, = struct.unpack_from("<i", tlb, 0x20)
segments = HEADER_SIZE + (4 if varflags & HELPDLL else 0) + 4 * count
typeinfos, = struct.unpack_from("<i", tlb, segments)  # segment 0: the typeinfos
guids, = struct.unpack_from("<i", tlb, segments + 5 * 16)  # segment 5: the GUIDs
for i in range(count):
    base = typeinfos + i * TYPEINFO_SIZE
    kind, = struct.unpack_from("<i", tlb, base)
    posguid, flags = struct.unpack_from("<ii", tlb, base + 0x2C)
    guid = bytes(tlb[guids + posguid:guids + posguid + 16])
    if kind & 0xF == TKIND_DISPATCH and guid in stated:
        struct.pack_into("<i", tlb, base + 0x30, flags | stated[guid])
open(tlb_path, "wb").write(tlb)
