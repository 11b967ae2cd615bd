# Reads a case folder and lays out its work folder, registry values and driver script.
"""A case is tests/e2e/cases/<name>/ with case.json, optionally files/ and expected/ and a
check.py; README.md in this folder describes the format."""

import importlib.util
import json
import os
import re
import shutil
import time
from datetime import datetime, timedelta
from pathlib import Path

FIXTURES = Path(os.environ.get("ORVAK_FIXTURES", "/work/shared/fixtures"))
FIXTURE_CERTDATA = FIXTURES / "certdata.txt"

# Keys that the programs read or write; emptied before every case so no case sees another's.
CLEAN_KEYS = [r"HKEY_LOCAL_MACHINE\SOFTWARE\GNU\GnuPG", r"HKEY_LOCAL_MACHINE\SOFTWARE\GnuPG",
              r"HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\GNU\GnuPG",
              r"HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\GnuPG"]
HIVES = {"HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER"}


class Case:
    def __init__(self, folder):
        self.folder = Path(folder)
        self.name = self.folder.name
        self.definition = json.loads((self.folder / "case.json").read_text(encoding="utf-8"))
        self.program = self.definition["program"]
        self.expect = self.definition.get("expect", {})


class Layout:
    """Paths of one case's work folder, on the Unix side and as the programs see them."""

    def __init__(self, session, case):
        self.case = case
        self.unix = session.drive_c / "work" / case.name
        self.windows = "C:\\work\\" + case.name

    def unix_path(self, relative):
        return self.unix / relative

    def windows_path(self, relative):
        return self.windows + ("\\" + relative.replace("/", "\\") if relative else "")

    def substitute(self, text):
        return (text.replace("{WORK}", self.windows).replace("{WORK_UNIX}", str(self.unix))
                .replace("{WORK_UNIX_BACKSLASHED}", str(self.unix).replace("/", "\\")))


def parse_mtime(value):
    """'2024-05-06 07:08:10' (local time) or a shift from now such as '-61d' or '+2h'."""
    match = re.fullmatch(r"([+-]\d+)([dhms])", value)
    if match:
        unit = {"d": "days", "h": "hours", "m": "minutes", "s": "seconds"}[match.group(2)]
        moment = datetime.now() + timedelta(**{unit: int(match.group(1))})
    else:
        moment = datetime.strptime(value, "%Y-%m-%d %H:%M:%S")
    # File times reach the programs in MS-DOS form, in steps of two seconds.
    moment = moment.replace(microsecond=0, second=moment.second - moment.second % 2)
    return time.mktime(moment.timetuple())


def place(layout, relative, source, bin_dir):
    """Creates one entry of the case's "place" table in the work folder."""
    target = layout.unix_path(relative)
    target.parent.mkdir(parents=True, exist_ok=True)
    if source == "{DIR}":
        target.mkdir(exist_ok=True)
    elif source == "{FIXTURE_CERTDATA}":
        shutil.copyfile(FIXTURE_CERTDATA, target)
    elif source == "{ARGSLOG}":
        shutil.copyfile(bin_dir / "argslog.exe", target)
    elif source.startswith("bin:"):
        shutil.copyfile(bin_dir / source[len("bin:"):], target)
    elif source.startswith("link:"):
        target.symlink_to(source[len("link:"):])
    elif source.startswith("file:"):
        shutil.copyfile(layout.case.folder / source[len("file:"):], target)
    else:
        target.write_bytes(layout.substitute(source).encode("cp932"))


def prepare_work_folder(case, layout, bin_dir):
    shutil.rmtree(layout.unix, ignore_errors=True)
    layout.unix.mkdir(parents=True)
    files = case.folder / "files"
    if files.is_dir():
        shutil.copytree(files, layout.unix, symlinks=True, dirs_exist_ok=True)
    for relative, source in case.definition.get("place", {}).items():
        place(layout, relative, source, bin_dir)
    program_at = case.definition.get("program_at", case.program + ".exe")
    program_path = layout.unix_path(program_at)
    program_path.parent.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(bin_dir / (case.program + ".exe"), program_path)
    age_folders(layout.unix)
    for relative, value in case.definition.get("mtime", {}).items():
        stamp = parse_mtime(value)
        os.utime(layout.unix_path(relative), (stamp, stamp), follow_symlinks=False)
    if case.definition.get("setup"):
        run_setup(case, layout)
    return program_at


def run_setup(case, layout):
    """A case's own preparation beyond the tables: setup(layout) of the file "setup" names."""
    module_spec = importlib.util.spec_from_file_location(f"setup_{case.name}", case.folder / case.definition["setup"])
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    module.setup(layout)


def age_folders(work):
    """Dates the work folder and the folders in it: last written a minute ago, last read an
    hour ahead. Wine's folder dialog compares a path with its tree item by item, access
    times included; under relatime, reading a folder whose access time is not later than
    its last write or inode change (utime itself is one) sets its access time anew, and the
    dialog would lose the way through a folder it had just listed."""
    now = time.time()
    for folder in [work.parent, work] + [p for p in work.rglob("*") if p.is_dir() and not p.is_symlink()]:
        os.utime(folder, (now + 3600, now - 60))


def snapshot(layout, relatives):
    """Bytes of the files that must come out unchanged, read before the run."""
    return {relative: layout.unix_path(relative).read_bytes() for relative in relatives}


def reg_quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def reg_data(layout, value):
    kind = value.get("type", "REG_SZ")
    if "hex" in value:
        code = {"REG_SZ": 1, "REG_EXPAND_SZ": 2, "REG_BINARY": 3, "REG_DWORD": 4}[kind]
        return f"hex({code:x}):" + ",".join(re.findall("..", value["hex"].replace(" ", "")))
    if kind == "REG_SZ":
        return reg_quote(layout.substitute(value["data"]))
    if kind == "REG_DWORD":
        return f"dword:{int(value['data']):08x}"
    raise ValueError(f"registry type {kind} needs its data as hex")


def full_key(key):
    hive, _, rest = key.partition("\\")
    return HIVES.get(hive, hive) + ("\\" + rest if rest else "")


def registry_import_text(case, layout):
    """REGEDIT4 text that deletes the programs' keys and adds the case's values."""
    lines = ["REGEDIT4", ""]
    lines += [f"[-{key}]" for key in CLEAN_KEYS]
    for value in case.definition.get("registry", []):
        lines += ["", f"[{full_key(value['key'])}]"]
        name = "@" if value.get("name", "") == "" else reg_quote(value["name"])
        lines.append(f"{name}={reg_data(layout, value)}")
    return "\n".join(lines) + "\n"


def script_lines(answers):
    lines = []
    for answer in answers:
        if isinstance(answer, dict):
            lines += ["second"] + script_lines(answer["second"]) + ["end"]
        else:
            lines.append(answer)
    return lines


def write_script(case, layout, program_at, path):
    command = '"' + layout.windows_path(program_at) + '"'
    if case.definition.get("args"):
        command += " " + case.definition["args"]
    cwd = case.definition.get("cwd", "")
    if not re.match(r"[A-Za-z]:\\", cwd):  # a drive path is taken as it is
        cwd = layout.windows_path(cwd)
    lines = [f"run {command}", f"dir {cwd}", f"wait {case.definition.get('wait_ms', 20000)}"]
    lines += script_lines(case.definition.get("answers", []))
    text = "\r\n".join(layout.substitute(line) for line in lines) + "\r\n"
    path.write_bytes(text.encode("cp932"))
