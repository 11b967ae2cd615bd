# Reads the registration back through RegQueryValueExA with the query_value helper, which is
# built here for the prefix's kind (32- or 64-bit) the first time a case needs it.
"""value(ctx, key, name) -> (type, bytes) as a Windows program reads them."""

import subprocess
from pathlib import Path

SOURCE = Path(__file__).resolve().parent / "query_value.cpp"
COMPILERS = {False: "i686-w64-mingw32-g++-posix", True: "x86_64-w64-mingw32-g++-posix"}


def helper(session):
    target = session.drive_c / "bench" / "query_value.exe"
    if not target.exists() or target.stat().st_mtime < SOURCE.stat().st_mtime:
        subprocess.run([COMPILERS[session.use_64bit], "-O2", "-static", "-o", str(target), str(SOURCE)],
                       check=True)
    return "C:\\bench\\query_value.exe"


def value(ctx, key, name):
    result = ctx.session.wine([helper(ctx.session), key, name], check=False)
    lines = dict(line.split(" ", 1) for line in result.stdout.decode("ascii").splitlines() if " " in line)
    if result.returncode != 0 or "hex" not in lines:
        raise AssertionError(f"query_value {key} {name}: {result.stdout.decode('ascii', 'replace').strip()}")
    data = bytes.fromhex(lines["hex"].strip())
    if int(lines["length"]) != len(data):
        raise AssertionError(f"query_value printed length {lines['length']} with {len(data)} bytes")
    return int(lines["type"]), data


def registration_problems(ctx, directory):
    """Problems with the written registration: REG_SZ (1), exactly 260 bytes, the directory's
    CP932 bytes followed by zeros."""
    kind, data = value(ctx, "SOFTWARE\\GNU\\GnuPG", "Install Directory")
    text = directory.encode("cp932")
    want = text + bytes(260 - len(text))
    problems = []
    if kind != 1:
        problems.append(f"registration type: expected 1 (REG_SZ), got {kind}")
    if data != want:
        problems.append(f"registration data: expected {len(want)} bytes {want!r}, got {len(data)} bytes {data!r}")
    return problems
