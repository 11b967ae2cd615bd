#!/usr/bin/env python3
# Reads the built 32-bit programs back and compares what Windows will see of them with what it must be.
"""Usage: check_release.py [FOLDER]   (default: build/windows/bin)

For quelbrin.exe and dornavet.exe in FOLDER it checks, from the files alone:

- a 32-bit Windows GUI program with ASLR and DEP, within the size budget;
- imports only from KnownDLLs (read with objdump): a DLL that is none would be looked for
  in the program's own folder before anything of the program runs; and no import of a
  function Vista lacks, which would keep the program from starting there;
- no time stamp, debug directory or build path, so that two builds of one commit match;
- the version block: 1.0.0.0 and "1.00", title, internal and original name, Japanese
  (0x0411) with code page 1200, in a resource of language 0x0411;
- the manifest: execution level, common controls 6.0.0.0, the five supported systems,
  DPI awareness (quelbrin only);
- every message-box text of tests/e2e/texts.py stored in CP932, the code page the boxes
  show.

Each problem is printed as "<program>: <what>: expected ..., got ..."; exit code 1 if any."""

import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from collections import namedtuple
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]

SIZE_BUDGET = 256 * 1024
PRINTED_PROBLEMS = 12  # per program; a wrong code page alone would give dozens

# Windows' KnownDLLs (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs, and
# what they bring along): always mapped from the system folder, whatever lies beside the
# program. wininet.dll, version.dll, comctl32.dll and the like are not among them.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "combase.dll", "comdlg32.dll", "coml2.dll", "difxapi.dll",
    "gdi32.dll", "gdiplus.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll",
    "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shcore.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "wldap32.dll", "ws2_32.dll", "ntdll.dll", "kernelbase.dll",
}

# Functions Vista lacks that the programs use where present: imported, they would stop
# the program at start with a missing entry point.
NOT_ON_VISTA = {"SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory"}

IMAGE_FILE_MACHINE_I386 = 0x14C
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100
DIRECTORY_RESOURCE, DIRECTORY_DEBUG = 2, 6
RT_VERSION, RT_MANIFEST = 16, 24
LANGUAGE_JAPANESE = 0x0411

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10",
}

Program = namedtuple("Program", "name title levels dpi_aware")
PROGRAMS = [
    # quelbrin asks for no execution level: asInvoker, or no element at all.
    Program("quelbrin", "Tolvique", ("asInvoker", None), True),
    Program("dornavet", "Sandrevo", ("requireAdministrator",), False),
]

NS = {
    "v1": "urn:schemas-microsoft-com:asm.v1",
    "v2": "urn:schemas-microsoft-com:asm.v2",
    "v3": "urn:schemas-microsoft-com:asm.v3",
    "compat": "urn:schemas-microsoft-com:compatibility.v1",
    "ws2005": "http://schemas.microsoft.com/SMI/2005/WindowsSettings",
}


class PeError(Exception):
    pass


class PeFile:
    """The parts of a PE image these checks read: headers, sections and resources."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        (pe,) = struct.unpack_from("<I", data, 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        (self.machine, sections, self.timestamp, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        (magic,) = struct.unpack_from("<H", data, optional)
        if magic not in (0x10B, 0x20B):
            raise PeError(f"unknown optional header magic {magic:#x}")
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
        directories = optional + (96 if magic == 0x10B else 112)
        (count,) = struct.unpack_from("<I", data, directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, va, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"), va, max(vsize, raw_size), raw))

    def offset(self, rva):
        for _, va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise PeError(f"RVA {rva:#x} lies in no section")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def resources(self):
        """{(type, name, language): bytes}; type and name are numbers or texts."""
        rva, size = self.directory(DIRECTORY_RESOURCE)
        if not size:
            return {}
        base = self.offset(rva)
        found = {}

        def entry_id(value):
            if value & 0x80000000:
                at = base + (value & 0x7FFFFFFF)
                (length,) = struct.unpack_from("<H", self.data, at)
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return value

        def walk(at, path):
            named, numbered = struct.unpack_from("<HH", self.data, base + at + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + at + 16 + 8 * i)
                key = path + (entry_id(name),)
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, key)
                else:
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + target)
                    start = self.offset(data_rva)
                    found[key] = self.data[start:start + data_size]

        walk(0, ())
        return found


def objdump_imports(path):
    """DLL name -> imported function names, as objdump -p reads the import table."""
    run = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(path)], capture_output=True, text=True)
    if run.returncode != 0:
        raise PeError("objdump cannot read it as a 32-bit PE file: " + run.stderr.strip())
    output = run.stdout
    imports, current = {}, None
    for line in output.splitlines():
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if match:
            current = imports.setdefault(match.group(1), [])
            continue
        match = re.match(r"\s+[0-9a-f]+\s+<none>\s+[0-9a-f]+\s+(\S+)$", line) or \
            re.match(r"\s+[0-9a-f]+\s+[0-9a-f]+\s+(\S+)$", line)
        if match and current is not None:
            current.append(match.group(1))
        elif not line.strip():
            current = None
    return imports


# --- version block -------------------------------------------------------------------

VersionNode = namedtuple("VersionNode", "key value text children")


def parse_version_node(data, at=0):
    """One VS_VERSIONINFO-style node: key, value bytes (or text), and its children."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    cursor = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[cursor:cursor + value_size]
    text = value.decode("utf-16-le").rstrip("\0") if kind == 1 else None
    cursor = (cursor + value_size + 3) & ~3
    children = []
    while cursor < end:
        child, child_end = parse_version_node(data, cursor)
        children.append(child)
        cursor = (child_end + 3) & ~3
    return VersionNode(key, value, text, children), end


def check_version(program, resources):
    problems = []
    found = [(key, data) for key, data in resources.items() if key[0] == RT_VERSION]
    if len(found) != 1:
        return [f"version block: expected one, got {len(found)}"]
    (_, name, language), data = found[0]
    if language != LANGUAGE_JAPANESE:
        problems.append(f"version block resource language: expected {LANGUAGE_JAPANESE:#06x}, got {language:#06x}")
    root, _ = parse_version_node(data)
    if root.key != "VS_VERSION_INFO" or len(root.value) != 52:
        return problems + [f"version block: expected VS_VERSION_INFO with fixed file info, got {root.key!r}"]
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIIIII", root.value)
    for label, ms, ls in (("file version", file_ms, file_ls), ("product version", product_ms, product_ls)):
        got = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
        if signature != 0xFEEF04BD or got != "1.0.0.0":
            problems.append(f"{label}: expected 1.0.0.0, got {got}")
    strings = {child.key: child for child in root.children}
    tables = strings.get("StringFileInfo").children if "StringFileInfo" in strings else []
    if [t.key.upper() for t in tables] != ["041104B0"]:
        problems.append(f"string tables: expected ['041104B0'], got {[t.key for t in tables]}")
    values = {v.key: v.text for t in tables for v in t.children}
    wanted = {"FileDescription": program.title, "FileVersion": "1.00", "ProductVersion": "1.00",
              "InternalName": program.name, "OriginalFilename": program.name + ".exe"}
    for key, value in wanted.items():
        if values.get(key) != value:
            problems.append(f"{key}: expected {value!r}, got {values.get(key)!r}")
    variables = strings.get("VarFileInfo").children if "VarFileInfo" in strings else []
    translations = [struct.unpack("<HH", v.value) for v in variables if v.key == "Translation"]
    if translations != [(LANGUAGE_JAPANESE, 1200)]:
        problems.append(f"Translation: expected [(0x0411, 1200)], got {[tuple(map(hex, t)) for t in translations]}")
    return problems


# --- manifest ------------------------------------------------------------------------

def check_manifest(program, resources):
    found = [data for key, data in resources.items() if key[0] == RT_MANIFEST]
    if [key[1] for key in resources if key[0] == RT_MANIFEST] != [1]:
        return [f"manifest: expected one with id 1, got ids {[key[1] for key in resources if key[0] == RT_MANIFEST]}"]
    try:
        root = ElementTree.fromstring(found[0])
    except ElementTree.ParseError as error:
        return [f"manifest: not well-formed XML ({error})"]
    problems = []
    identity = root.find("v1:assemblyIdentity", NS)
    architecture = identity.get("processorArchitecture") if identity is not None else None
    if architecture != "x86":
        problems.append(f"manifest processorArchitecture: expected 'x86', got {architecture!r}")

    controls = [a for a in root.findall("v1:dependency/v1:dependentAssembly/v1:assemblyIdentity", NS)
                if a.get("name") == "Microsoft.Windows.Common-Controls"]
    got = [(a.get("version"), a.get("publicKeyToken"), a.get("processorArchitecture")) for a in controls]
    if got != [("6.0.0.0", "6595b64144ccf1df", "*")]:
        problems.append(f"common controls: expected [('6.0.0.0', '6595b64144ccf1df', '*')], got {got}")

    levels = [e for ns in ("v2", "v3") for e in
              root.findall(f"{ns}:trustInfo/{ns}:security/{ns}:requestedPrivileges/{ns}:requestedExecutionLevel", NS)]
    level = levels[0].get("level") if levels else None
    if len(levels) > 1 or level not in program.levels:
        problems.append(f"execution level: expected {' or '.join(map(str, program.levels))}, "
                        f"got {[e.get('level') for e in levels] or None}")
    if levels and levels[0].get("uiAccess", "false") != "false":
        problems.append(f"uiAccess: expected 'false', got {levels[0].get('uiAccess')!r}")

    systems = [e.get("Id", "").lower() for e in root.findall("compat:compatibility/compat:application/compat:supportedOS", NS)]
    if sorted(systems) != sorted(SUPPORTED_OS):
        problems.append(f"supported systems: expected Vista, 7, 8, 8.1, 10, got "
                        f"{[SUPPORTED_OS.get(s, s) for s in systems]}")

    awareness = [e.text.strip().lower() for e in
                 root.findall("v3:application/v3:windowsSettings/ws2005:dpiAware", NS) if e.text]
    wanted = ["true"] if program.dpi_aware else []
    if awareness != wanted:
        problems.append(f"dpiAware: expected {wanted or 'none'}, got {awareness or 'none'}")
    return problems


# --- the rest ------------------------------------------------------------------------

def check_image(program, pe, size):
    problems = []
    if pe.machine != IMAGE_FILE_MACHINE_I386:
        problems.append(f"machine: expected i386 ({IMAGE_FILE_MACHINE_I386:#x}), got {pe.machine:#x}")
    if pe.subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI:
        problems.append(f"subsystem: expected Windows GUI (2), got {pe.subsystem}")
    for flag, label in ((DYNAMIC_BASE, "DYNAMIC_BASE (ASLR)"), (NX_COMPAT, "NX_COMPAT (DEP)")):
        if not pe.dll_characteristics & flag:
            problems.append(f"DllCharacteristics: expected {label}, got {pe.dll_characteristics:#06x}")
    if pe.timestamp != 0:
        problems.append(f"time stamp: expected 0, got {pe.timestamp:#x}")
    if pe.directory(DIRECTORY_DEBUG)[1]:
        problems.append("debug directory: expected none, got one")
    if size > SIZE_BUDGET:
        problems.append(f"size: expected at most {SIZE_BUDGET} bytes, got {size}")
    return problems


def check_imports(imports):
    problems = []
    for dll, functions in sorted(imports.items()):
        if dll.lower() not in KNOWN_DLLS:
            problems.append(f"import table: expected KnownDLLs only, got {dll}")
        for function in sorted(NOT_ON_VISTA.intersection(functions)):
            problems.append(f"import {dll}!{function}: expected it looked up at run time, got imported")
    if not imports:
        problems.append("import table: expected kernel32.dll and others, got nothing")
    return problems


BUILD_PATHS = [re.compile(rb"(/work|/tmp|/home|/root|/build)/[\x21-\x7e]{3,}"),
               re.compile(rb"[\x21-\x7e]*CMakeFiles[\x21-\x7e]*")]


def check_build_paths(data):
    return [f"build path in the file: {match.group(0).decode('ascii', 'replace')!r}"
            for pattern in BUILD_PATHS for match in pattern.finditer(data)][:5]


def box_texts(program):
    """Every fixed piece of every box text of the program, as the bench knows them."""
    sys.path.insert(0, str(ROOT / "tests" / "e2e"))
    import texts  # noqa: E402  (the bench's one table of every box text)

    pieces = {program.title}
    for box in texts.PROGRAM_BOXES[program.name].values():
        # quelbrin puts the download host between two texts at run time.
        for part in box.text.replace(texts.DOWNLOAD_HOST, "%s").split("%s"):
            if part.strip():
                pieces.add(part)
    pieces.add(texts.CHOOSE_GPGSM_FOLDER)
    return pieces


def check_texts(program, data):
    missing = sorted(p for p in box_texts(program) if p.encode("cp932") not in data)
    return [f"box text in CP932: expected {piece!r}" +
            (", got it in UTF-8" if piece.encode("utf-8") in data else ", got nothing")
            for piece in missing]


def check_program(program, path):
    if not path.is_file():
        return [f"expected {path}, got no file"]
    data = path.read_bytes()
    try:
        pe = PeFile(data)
        resources = pe.resources()
    except (PeError, struct.error) as error:
        return [f"not a readable PE file: {error}"]
    try:
        imports = check_imports(objdump_imports(path))
    except PeError as error:
        imports = [f"import table: {error}"]
    return (check_image(program, pe, len(data)) + imports + check_build_paths(data) +
            check_version(program, resources) + check_manifest(program, resources) +
            check_texts(program, data))


def main(argv):
    folder = Path(argv[1]) if len(argv) > 1 else ROOT / "build" / "windows" / "bin"
    failed = False
    for program in PROGRAMS:
        path = folder / (program.name + ".exe")
        problems = check_program(program, path)
        size = path.stat().st_size if path.is_file() else 0
        print(f"{'FAIL' if problems else 'ok':4} {path.name} ({size} bytes, {size / 1024:.1f} KiB)")
        for problem in problems[:PRINTED_PROBLEMS]:
            print(f"     {program.name}: {problem}")
        if len(problems) > PRINTED_PROBLEMS:
            print(f"     {program.name}: ... and {len(problems) - PRINTED_PROBLEMS} more")
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
