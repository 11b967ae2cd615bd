# Reads the manifest and the version block back out of the program the case ran: Wine has
# no UAC, so the manifest's execution level can only be checked in the file itself.
import struct
import xml.etree.ElementTree as ElementTree

RT_VERSION = 16
RT_MANIFEST = 24
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SUPPORTED_OS = {  # Windows Vista, 7, 8, 8.1 and 10
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}
VERSION_STRINGS = {"FileDescription": "Sandrevo", "FileVersion": "1.00", "InternalName": "dornavet",
                   "OriginalFilename": "dornavet.exe", "ProductVersion": "1.00"}


class Image:
    """A PE file's sections and resource tree, enough to take one resource out."""

    def __init__(self, data):
        self.data = data
        header = struct.unpack_from("<I", data, 0x3C)[0]
        if data[header:header + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        count, optional_size = struct.unpack_from("<2xH12xH", data, header + 4)
        optional = header + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
        table = optional + optional_size
        # (virtual size, virtual address, raw size, raw offset) of each section
        self.sections = [struct.unpack_from("<8xIIII", data, table + 40 * i) for i in range(count)]

    def at(self, rva, size):
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                start = raw + rva - address
                return self.data[start:start + size]
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def _entries(self, directory):
        """(id, offset, is_directory) of a resource directory's id entries."""
        named, ids = struct.unpack_from("<12xHH", self.at(self.resource_rva + directory, 16))
        table = self.at(self.resource_rva + directory + 16, 8 * (named + ids))
        entries = []
        for i in range(named, named + ids):
            ident, target = struct.unpack_from("<II", table, 8 * i)
            entries.append((ident, target & 0x7FFFFFFF, bool(target & 0x80000000)))
        return entries

    def resource(self, kind, ident):
        """The bytes and language of resource `ident` of type `kind` (its first language)."""
        types = {i: o for i, o, d in self._entries(0) if d}
        names = {i: o for i, o, d in self._entries(types[kind]) if d}
        language, leaf, _ = self._entries(names[ident])[0]
        rva, size = struct.unpack_from("<II", self.at(self.resource_rva + leaf, 8))
        return self.at(rva, size), language


def version_block(data, offset=0):
    """One node of a VS_VERSIONINFO tree: (key, value bytes, children)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_start = offset + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_start = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_start:value_start + value_size]
    children = []
    child = (value_start + value_size + 3) & ~3
    while child < end:
        node = version_block(data, child)
        children.append(node)
        child = (child + struct.unpack_from("<H", data, child)[0] + 3) & ~3
    return key, value, children


def manifest_problems(manifest):
    problems = []
    root = ElementTree.fromstring(manifest)
    levels = [e.get("level") for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    if levels != ["requireAdministrator"]:
        problems.append(f"execution level: expected ['requireAdministrator'], got {levels}")
    controls = [(e.get("name"), e.get("version")) for e in root.iter(ASM_V1 + "assemblyIdentity")
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
    if controls != [("Microsoft.Windows.Common-Controls", "6.0.0.0")]:
        problems.append(f"common controls dependency: expected version 6.0.0.0, got {controls}")
    systems = {e.get("Id") for e in root.iter(COMPATIBILITY + "supportedOS")}
    if systems != SUPPORTED_OS:
        problems.append(f"supported systems: expected {sorted(SUPPORTED_OS)}, got {sorted(systems)}")
    return problems


def version_problems(block):
    problems = []
    key, fixed, children = version_block(block)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if (key, signature) != ("VS_VERSION_INFO", 0xFEEF04BD):
        return [f"version block: unexpected header {key!r} {signature:#x}"]
    if (file_ms, file_ls, product_ms, product_ls) != (0x10000, 0, 0x10000, 0):
        problems.append(f"file and product version: expected 1.0.0.0, got "
                        f"{file_ms:#x} {file_ls:#x} {product_ms:#x} {product_ls:#x}")
    nodes = {k: c for k, _, c in children}
    tables = {k: c for k, _, c in nodes.get("StringFileInfo", [])}
    if list(tables) != ["041104B0"]:
        problems.append(f"string tables: expected ['041104B0'], got {list(tables)}")
    strings = {k: v.decode("utf-16-le").rstrip("\0") for k, v, _ in tables.get("041104B0", [])}
    for name, want in VERSION_STRINGS.items():
        if strings.get(name) != want:
            problems.append(f"version string {name}: expected {want!r}, got {strings.get(name)!r}")
    translations = [v for k, v, _ in nodes.get("VarFileInfo", []) if k == "Translation"]
    if translations != [struct.pack("<HH", 0x0411, 1200)]:
        problems.append(f"translation: expected 0x0411 1200, got {translations}")
    return problems


def check(ctx):
    image = Image((ctx.work / "dornavet.exe").read_bytes())
    manifest, _ = image.resource(RT_MANIFEST, 1)
    block, language = image.resource(RT_VERSION, 1)
    problems = manifest_problems(manifest) + version_problems(block)
    if language != 0x0411:
        problems.append(f"version resource language: expected 0x0411, got {language:#x}")
    return problems
