# trustlist.txt: an earlier registration whose update stamp is 1 MiB of double-byte characters, after one ASCII letter.
STAMP = "X" + "日本語表" * (1024 * 1024 // 8)


def setup(layout):
    lines = ["# My own root", "AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD S", "", "",
             "# BEGIN - Mozilla CA Certificate Store", "# UPDATE: " + STAMP,
             "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33 S relax",
             "# END - Mozilla CA Certificate Store"]
    path = layout.unix / "Sylpheed" / "config" / "gnupg" / "trustlist.txt"
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes("".join(line + "\r\n" for line in lines).encode("cp932"))
