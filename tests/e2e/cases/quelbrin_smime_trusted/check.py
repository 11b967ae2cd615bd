# After the run: the managed block trusts the root, and the agent of before now reports a good signature.
from smime import gnupg, nss

USER_ROOT = nss.made_up_sha1("the user's own root")  # as setup.py wrote it


def check(ctx):
    pki = gnupg.certificates_in(ctx.work / "smime")
    home = ctx.work / "Sylpheed" / "config" / "gnupg"
    try:
        problems = []
        trustlist = home / "trustlist.txt"
        text = trustlist.read_bytes()
        if not text.startswith(f"# My own root\r\n{nss.colon_hex(USER_ROOT)} S\r\n".encode()):
            problems.append("trustlist.txt: the user's own lines are not kept at its start")
        wanted = [f"{nss.colon_hex(pki.ca_sha1)} S relax",
                  f"!{nss.colon_hex(nss.made_up_sha1('distrusted'))} S relax"]
        got = gnupg.managed_entries(trustlist)
        if got != wanted:
            problems.append(f"managed block: expected {wanted}, got {got}")
        before_pid = int((pki.folder / "agent.pid").read_text())
        pid = gnupg.agent_pid(home, autostart=False)
        if pid != before_pid:
            problems.append(f"the gpg-agent of before (pid {before_pid}) no longer answers "
                            f"(now {pid}): a new agent proves nothing about the reload")
        after = gnupg.wait_for(lambda: gnupg.verify(home, pki, autostart=False), lambda r: r.good)
        if not after.good:
            problems.append("after the run gpgsm should report a good, fully trusted signature; "
                            + gnupg.describe(after))
        return problems
    finally:
        gnupg.kill_agent(home)
