# After the run, the real gpg-agent must trust exactly the fingerprints of the managed block.
"""The trust list is read by a native gpg-agent started for a copy of the home folder: the
agent's sockets live in its home folder here, and a path as deep as the Wine prefix's would
pass the length limit of a socket address."""

import re
import shutil
import subprocess
import tempfile
from pathlib import Path

DEFAULT_TRUSTLIST = Path("/etc/gnupg/trustlist.txt")


def managed_fingerprints(trustlist):
    lines = trustlist.read_bytes().decode("ascii").split("\r\n")
    block = lines[lines.index("# BEGIN - Mozilla CA Certificate Store"):
                  lines.index("# END - Mozilla CA Certificate Store")]
    return {line.split()[0].replace(":", "") for line in block
            if line and not line.startswith(("#", "!"))}


def default_fingerprints():
    if not DEFAULT_TRUSTLIST.exists():
        return set()
    return {line.split()[0].replace(":", "").upper()
            for line in DEFAULT_TRUSTLIST.read_text().splitlines()
            if line.strip() and not line.lstrip().startswith(("#", "!", "include-default"))}


def listed_fingerprints(home):
    result = subprocess.run(["gpg-connect-agent", "--homedir", str(home), "LISTTRUSTED", "/bye"],
                            capture_output=True, text=True, timeout=60)
    return set(re.findall(r"^D ([0-9A-F]{40}) ", result.stdout, re.M)), result


def check(ctx):
    trustlist = ctx.work / "Sylpheed" / "config" / "gnupg" / "trustlist.txt"
    wanted = managed_fingerprints(trustlist) | default_fingerprints()
    home = Path(tempfile.mkdtemp(prefix="e2e-gpg-"))
    try:
        home.chmod(0o700)
        shutil.copyfile(trustlist, home / "trustlist.txt")
        listed, result = listed_fingerprints(home)
    finally:
        subprocess.run(["gpgconf", "--homedir", str(home), "--kill", "gpg-agent"],
                       capture_output=True, timeout=60)
        shutil.rmtree(home, ignore_errors=True)
    problems = []
    if not wanted:
        problems.append("the managed block holds no trusted fingerprint")
    if listed != wanted:
        problems.append(f"gpg-agent lists {len(listed)} trusted keys, the block has {len(wanted)}; "
                        f"missing {sorted(wanted - listed)[:3]}, extra {sorted(listed - wanted)[:3]}; "
                        f"agent said: {result.stdout[-300:]!r} {result.stderr[-300:]!r}")
    return problems
