#!/usr/bin/env python3
# Shows that tools/check_release.py catches each fault it is there for, in real built files.
"""Usage: test_check_release.py [FOLDER]   (default: build/windows/bin, built first)

Each row takes a program as built, changes one thing in a copy the way a faulty build or
resource would (same length, so the rest of the file stays readable), and expects the
checker to report exactly that: the problem must appear for the changed copy and must not
for the file as built. The planted-DLL probe that imports wininet.dll at start stands in for
a program with a wrong import table."""

import struct
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools"))

import check_release  # noqa: E402

FOLDER = ROOT / "build" / "windows" / "bin"


def coff_header(data):
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    return pe + 4


def replace(old, new, encoding="ascii"):
    old_bytes = old.encode(encoding) if isinstance(old, str) else old
    new_bytes = new.encode(encoding) if isinstance(new, str) else new
    assert len(old_bytes) == len(new_bytes), (old, new)

    def change(data):
        assert old_bytes in data, f"{old!r} is not in the file"
        return data.replace(old_bytes, new_bytes)
    return change


def patch_word(where, value, size="<H"):
    def change(data):
        data = bytearray(data)
        struct.pack_into(size, data, where(bytes(data)), value)
        return bytes(data)
    return change


def version_language(to):
    """Moves the version resource to another language in the resource directory."""
    def change(data):
        pe = check_release.PeFile(data)
        base = pe.offset(pe.directory(check_release.DIRECTORY_RESOURCE)[0])

        def entries(at):
            named, numbered = struct.unpack_from("<HH", data, base + at + 12)
            for i in range(named + numbered):
                yield base + at + 16 + 8 * i, struct.unpack_from("<II", data, base + at + 16 + 8 * i)

        for _, (kind, target) in entries(0):
            if kind == check_release.RT_VERSION:
                for _, (_, languages) in entries(target & 0x7FFFFFFF):
                    for where, _ in entries(languages & 0x7FFFFFFF):
                        out = bytearray(data)
                        struct.pack_into("<I", out, where, to)
                        return bytes(out)
        raise AssertionError("no version resource")
    return change


def utf16(text):
    return text.encode("utf-16-le")


# name, program, change, a piece of the problem the checker must report
ROWS = [
    ("time stamp left in", "quelbrin",
     patch_word(lambda d: coff_header(d) + 4, 0x5F000000, "<I"), "time stamp: expected 0"),
    ("64-bit machine", "dornavet",
     patch_word(coff_header, 0x8664), "machine: expected i386"),
    ("console subsystem", "dornavet",
     patch_word(lambda d: coff_header(d) + 20 + 68, 3), "subsystem: expected Windows GUI"),
    ("ASLR off", "quelbrin",
     patch_word(lambda d: coff_header(d) + 20 + 70, 0x0100), "DYNAMIC_BASE"),
    ("build path in a string", "quelbrin",
     replace("This program cannot be run in DOS mode.", "/tmp/b/trustreg/download.cpp          ."),
     "build path in the file: '/tmp/b/trustreg/download.cpp"),
    ("file version 1.01", "dornavet", replace(utf16("1.00"), utf16("1.01")), "FileVersion: expected '1.00'"),
    ("file description", "quelbrin", replace(utf16("Tolvique\0"), utf16("Tolviqux\0")),
     "FileDescription: expected 'Tolvique'"),
    ("original name", "dornavet", replace(utf16("dornavet.exe"), utf16("dornavet.dll")),
     "OriginalFilename: expected 'dornavet.exe'"),
    ("US English translation", "dornavet", replace(b"\x11\x04\xb0\x04", b"\x09\x04\xb0\x04"),
     "Translation: expected [(0x0411, 1200)]"),
    ("version resource in English", "dornavet", version_language(0x0409),
     "version block resource language: expected 0x0411"),
    ("highest available instead of administrator", "dornavet",
     replace('level="requireAdministrator"', 'level="highestAvailable"    '), "execution level: expected requireAdministrator"),
    ("administrator asked for by quelbrin", "quelbrin",
     replace('level="asInvoker" uiAccess="false"', 'level="requireAdministrator"      '),
     "execution level: expected asInvoker or None"),
    ("no DPI awareness", "quelbrin", replace(">true</dpiAware>", ">no  </dpiAware>"), "dpiAware: expected ['true']"),
    ("old common controls", "dornavet", replace('"Microsoft.Windows.Common-Controls" version="6.0.0.0"',
                                                 '"Microsoft.Windows.Common-Controls" version="5.8.0.0"'),
     "common controls: expected"),
    ("Windows 10 missing", "quelbrin", replace("{8e0f7a12-bfb3", "{8e0f7a13-bfb3"), "supported systems: expected"),
    ("manifest for amd64", "dornavet", replace('processorArchitecture="x86"', 'processorArchitecture="*"  '),
     "processorArchitecture: expected 'x86'"),
    ("a box text damaged", "dornavet",
     replace("未登録または削除済み".encode("cp932"), "未登録または消去済み".encode("cp932")),
     "(未登録または削除済み)', got nothing"),
    ("over the size budget", "quelbrin", lambda d: d + bytes(check_release.SIZE_BUDGET), "size: expected at most"),
]


class CheckerCatchesFaults(unittest.TestCase):
    def test_each_fault_is_reported(self):
        for name, program_name, change, wanted in ROWS:
            with self.subTest(name):
                program = next(p for p in check_release.PROGRAMS if p.name == program_name)
                built = FOLDER / f"{program_name}.exe"
                self.assertFalse(any(wanted in p for p in check_release.check_program(program, built)),
                                 f"the file as built already shows {wanted!r}")
                changed = Path(self.temp) / f"{program_name}.exe"
                changed.write_bytes(change(built.read_bytes()))
                problems = check_release.check_program(program, changed)
                self.assertTrue(any(wanted in p for p in problems),
                                f"expected a problem with {wanted!r}, got {problems}")

    def test_import_of_wininet_at_start_is_reported(self):
        # The probe imports wininet.dll and SetDefaultDllDirectories the plain way.
        problems = check_release.check_imports(check_release.objdump_imports(FOLDER / "wininet_probe_static.exe"))
        self.assertIn("import table: expected KnownDLLs only, got WININET.DLL", problems)
        self.assertIn("import KERNEL32.dll!SetDefaultDllDirectories: expected it looked up at run time, "
                      "got imported", problems)

    def test_programs_import_only_known_dlls(self):
        for program in check_release.PROGRAMS:
            with self.subTest(program.name):
                imports = check_release.objdump_imports(FOLDER / f"{program.name}.exe")
                self.assertIn("KERNEL32.dll", imports)
                self.assertEqual(check_release.check_imports(imports), [])

    def setUp(self):
        import tempfile
        self.temp = tempfile.mkdtemp(prefix="check-release-")

    def tearDown(self):
        import shutil
        shutil.rmtree(self.temp, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        FOLDER = Path(sys.argv.pop(1)).resolve()
    unittest.main()
