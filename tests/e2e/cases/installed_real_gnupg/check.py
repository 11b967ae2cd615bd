# After the run: the gpg-agent started before it lists exactly the trusted fingerprints of the
# managed block, which it can only do after quelbrin's gpgconf --reload gpg-agent. Then a
# second run, with the registry value gone, finds GnuPG through the .ini file alone.
import re
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import case_checks  # noqa: E402  (the runner's folder is on the path)
import texts  # noqa: E402
from setup import agent  # noqa: E402

FINGERPRINT = re.compile(r"^D ([0-9A-F]{40}) ", re.M)


def managed_fingerprints(trustlist):
    lines = trustlist.read_bytes().decode("ascii").split("\r\n")
    block = lines[lines.index("# BEGIN - Mozilla CA Certificate Store"):
                  lines.index("# END - Mozilla CA Certificate Store")]
    return {line.split()[0].replace(":", "") for line in block
            if line and not line.startswith(("#", "!"))}


def agent_problems(ctx, home):
    before = set(FINGERPRINT.findall((ctx.work / "listed-before.txt").read_text()))
    if before:
        return [f"gpg-agent trusted {len(before)} keys before the run; the reload would not show"]
    wanted = managed_fingerprints(home / "trustlist.txt")
    result = agent(home, "LISTTRUSTED", autostart=False)  # the agent of before, or none
    listed = set(FINGERPRINT.findall(result.stdout))
    if not wanted or listed != wanted:
        return [f"gpg-agent lists {len(listed)} trusted keys, the managed block has {len(wanted)}: "
                f"missing {sorted(wanted - listed)[:3]}, extra {sorted(listed - wanted)[:3]}; "
                f"agent said {result.stdout[-200:]!r} {result.stderr[-300:]!r}"]
    return []


def second_run_problems(ctx):
    ctx.session.import_registry("REGEDIT4\n\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\GNU\\GnuPG]\n")
    script = ctx.session.drive_c / "bench" / "installed_real_gnupg.second.script"
    script.write_bytes(f'run "{ctx.windows_work}\\quelbrin.exe" -rel\r\ndir Z:\\\r\nwait 20000\r\nok\r\n'
                       .encode("cp932"))
    result = ctx.session.wine(["C:\\bench\\boxdriver.exe", "C:\\bench\\" + script.name],
                              timeout=120, check=False)
    events = case_checks.decode_events(result.stdout)
    boxes = [e["text"] for e in events if e["event"] in ("box", "folder")]
    exits = [e["code"] for e in events if e["event"] == "exit"]
    want = texts.QUELBRIN["reload_succeeded"].text.encode("cp932")
    problems = []
    if boxes != [want] or exits != [0]:
        problems.append(f"second run (-rel, no registry value): expected the reload box and 0, "
                        f"got boxes {[case_checks.show(b) for b in boxes]} and exit {exits}")
    starts = case_checks.read_argslog(ctx.work / "gpg" / "gpgconf.exe.log")
    if len(starts) != 2 or starts[1]["cwd"] != ctx.windows_work + "\\gpg":
        problems.append(f"second run: expected a second gpgconf.exe start in {ctx.windows_work}\\gpg, "
                        f"got {starts}")
    return problems


def check(ctx):
    home = ctx.work / "home"
    try:
        return agent_problems(ctx, home) + second_run_problems(ctx)
    finally:
        subprocess.run(["gpgconf", "--homedir", str(home), "--kill", "gpg-agent"],
                       capture_output=True, timeout=60)
