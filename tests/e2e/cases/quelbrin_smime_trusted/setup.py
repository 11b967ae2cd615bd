# Before the run: a root the user's gpgsm does not trust yet, and a running gpg-agent that has read the trust list.
"""The trust list holds one root of the user's own, so the agent's table is not empty: it then
keeps what it read until it is told to reload, and only quelbrin's gpgconf --reload gpg-agent
can make it see the new entries."""

from smime import gnupg, nss

USER_ROOT = nss.made_up_sha1("the user's own root")
# Roots around the bench's own, as in Mozilla's list: a distrusted one and one only for servers.
OTHERS = (nss.trust_object("Bench Distrusted Root", nss.made_up_sha1("distrusted"), nss.NOT_TRUSTED) +
          nss.trust_object("Bench Server Root", nss.made_up_sha1("server"), nss.MUST_VERIFY, nss.TRUSTED))


def setup(layout):
    pki = gnupg.make_certificates(layout.unix / "smime")
    home = layout.unix / "Sylpheed" / "config" / "gnupg"
    home.mkdir(parents=True)
    (home / "trustlist.txt").write_bytes(
        f"# My own root\r\n{nss.colon_hex(USER_ROOT)} S\r\n".encode("ascii"))
    gnupg.make_home(home, pki)
    before = gnupg.verify(home, pki)
    pid = gnupg.agent_pid(home)
    if pid is None:
        raise RuntimeError("no gpg-agent runs for the home after the first verify")
    gnupg.stop_agent_at_exit(home, pid)
    (pki.folder / "agent.pid").write_text(str(pid))
    if not gnupg.untrusted_root(before):
        raise RuntimeError("before the run gpgsm should find the signature sound and its root "
                           "not trusted; " + gnupg.describe(before))
    certdata = layout.unix / "certdata.txt"
    text = nss.HEADER + OTHERS + nss.root("Orvak Bench Mail Root", pki.ca_der, nss.TRUSTED)
    gnupg.keep_times(certdata, lambda: certdata.write_text(text))
