"""Reads what the tests need from a 64-bit PE file: the DLLs it imports."""

import struct


class PeImage:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections = struct.unpack_from("<H", self.data, pe + 6)[0]
        optional_size = struct.unpack_from("<H", self.data, pe + 20)[0]
        optional = pe + 24
        if struct.unpack_from("<H", self.data, optional)[0] != 0x20B:
            raise ValueError("not a PE32+ image")
        count = struct.unpack_from("<I", self.data, optional + 108)[0]
        self.directories = [struct.unpack_from("<II", self.data, optional + 112 + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", self.data, table + 40 * i + 8) for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise ValueError("RVA %#x lies in no section" % rva)

    def imports(self):
        rva, size = self.directories[1]
        names = []
        at = self.offset(rva) if size else None
        while at is not None:
            name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
            if not name_rva:
                break
            start = self.offset(name_rva)
            names.append(self.data[start:self.data.index(b"\0", start)].decode("ascii"))
            at += 20
        return names
