#!/usr/bin/env python3
"""Sets on the dispatch interfaces of a type library the flags that its IDL
states but widl leaves out: automation-compatible on the dispatch side of a
dual interface, and non-extensible on a dispinterface, which widl only takes
as a comment. Usage: typeflags.py LIBRARY.tlb LIBRARY.idl (the .tlb is
rewritten in place)."""
import re
import sys
import uuid

import msft

FLAGS = {"hidden": 0x10, "control": 0x20, "dual": 0x40, "nonextensible": 0x80,
         "oleautomation": 0x100}

tlb_path, idl_path = sys.argv[1], sys.argv[2]
stated = {}
pattern = r"\[uuid\(([0-9A-Fa-f-]+)\)([^\]]*)\]\s*(?:dispinterface|interface)\s"
for m in re.finditer(pattern, open(idl_path).read()):
    words = set(re.findall(r"[a-z]+", m.group(2)))
    stated[uuid.UUID(m.group(1)).bytes_le] = sum(FLAGS.get(w, 0) for w in words)

lib = msft.Library(tlb_path)
for i in range(lib.count):
    guid = bytes(lib.data[lib.guid_entry(i):lib.guid_entry(i) + 16])
    if lib.kind(i) == msft.TKIND_DISPATCH and guid in stated:
        flags = lib.typeinfo(i) + msft.TI_FLAGS
        lib.set_int(flags, lib.int(flags) | stated[guid])
lib.save()
