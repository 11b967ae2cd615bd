# After the run: the managed block distrusts the root, and the agent of before refuses it by that entry.
from smime import gnupg, nss

TRUSTED_OTHER = nss.made_up_sha1("an unrelated trusted root")  # as setup.py wrote it


def held_not_trusted(answer):
    """ISTRUSTED found an entry (it names the entry's flags) and the entry says "not trusted";
    a root without any entry gets the refusal without the flags."""
    return "S TRUSTLISTFLAG relax" in answer.stdout and "Not trusted" in answer.stdout


def check(ctx):
    pki = gnupg.certificates_in(ctx.work / "smime")
    home = ctx.work / "Sylpheed" / "config" / "gnupg"
    try:
        problems = []
        wanted = [f"{nss.colon_hex(TRUSTED_OTHER)} S relax", f"!{nss.colon_hex(pki.ca_sha1)} S relax"]
        got = gnupg.managed_entries(home / "trustlist.txt")
        if got != wanted:
            problems.append(f"managed block: expected {wanted}, got {got}")
        before_pid = int((pki.folder / "agent.pid").read_text())
        pid = gnupg.agent_pid(home, autostart=False)
        if pid != before_pid:
            problems.append(f"the gpg-agent of before (pid {before_pid}) no longer answers "
                            f"(now {pid}): a new agent proves nothing about the reload")
        fingerprint = pki.ca_sha1.hex().upper()
        answer = gnupg.wait_for(lambda: gnupg.agent(home, f"ISTRUSTED {fingerprint}", autostart=False),
                                held_not_trusted)
        if not held_not_trusted(answer):
            problems.append(f"gpg-agent should hold the root as not trusted; ISTRUSTED said "
                            f"{answer.stdout.strip()!r}")
        after = gnupg.verify(home, pki, autostart=False)
        if not gnupg.untrusted_root(after):
            problems.append("after the run gpgsm should find the signature sound and its root "
                            "not trusted; " + gnupg.describe(after))
        return problems
    finally:
        gnupg.kill_agent(home)
