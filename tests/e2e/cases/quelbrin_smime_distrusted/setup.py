# Before the run: an earlier registration trusts the bench's root, and the running gpg-agent has read it.
from smime import gnupg, nss

TRUSTED_OTHER = nss.made_up_sha1("an unrelated trusted root")


def setup(layout):
    pki = gnupg.make_certificates(layout.unix / "smime")
    home = layout.unix / "Sylpheed" / "config" / "gnupg"
    home.mkdir(parents=True)
    (home / "trustlist.txt").write_bytes(
        ("# Include the default trust list\r\ninclude-default\r\n\r\n\r\n"
         "# BEGIN - Mozilla CA Certificate Store\r\n# UPDATE: 2025/1/2 3:04:06\r\n"
         f"{nss.colon_hex(pki.ca_sha1)} S relax\r\n"
         "# END - Mozilla CA Certificate Store\r\n").encode("ascii"))
    gnupg.make_home(home, pki)
    before = gnupg.verify(home, pki)
    pid = gnupg.agent_pid(home)
    if pid is None:
        raise RuntimeError("no gpg-agent runs for the home after the first verify")
    gnupg.stop_agent_at_exit(home, pid)
    (pki.folder / "agent.pid").write_text(str(pid))
    if not before.good:
        raise RuntimeError("before the run gpgsm should report a good signature under the "
                           "earlier registration; " + gnupg.describe(before))
    # The distrusted root alone would leave no trusted entry, and the list would be refused.
    certdata = layout.unix / "certdata.txt"
    text = (nss.HEADER + nss.root("Orvak Bench Mail Root", pki.ca_der, nss.NOT_TRUSTED) +
            nss.trust_object("Bench Trusted Root", TRUSTED_OTHER, nss.TRUSTED))
    gnupg.keep_times(certdata, lambda: certdata.write_text(text))
