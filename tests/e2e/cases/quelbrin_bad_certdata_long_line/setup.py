# certdata.txt: a record whose e-mail trust stands at the end of a 50 MiB line, between two plain records.
import os

LINE_BYTES = 50 * 1024 * 1024
TRUST = b" CKA_TRUST_EMAIL_PROTECTION CK_TRUST CKT_NSS_TRUSTED_DELEGATOR"


def record(label, fingerprint, trust):
    return (f'# Trust for "{label}"\n# Fingerprint (SHA1): {fingerprint}\n'
            f"CKA_CLASS CK_OBJECT_CLASS CKO_NSS_TRUST\nCKA_TRUST_EMAIL_PROTECTION CK_TRUST {trust}\n\n").encode()


def setup(layout):
    certdata = layout.unix / "certdata.txt"
    before = certdata.stat()
    filler = b"\\060\\202" * ((LINE_BYTES - len(TRUST)) // 8)  # octal pairs, as certificate values are written
    with certdata.open("wb") as out:
        out.write(b"BEGINDATA\n\n" + record("Before A", ":".join(["A1"] * 20), "CKT_NSS_TRUSTED_DELEGATOR"))
        # The fingerprint follows the long line: the record's pending trust must outlive it.
        out.write(b'# Trust for "Long B"\nCKA_CLASS CK_OBJECT_CLASS CKO_NSS_TRUST\n' + filler + TRUST + b"\n")
        out.write(b"# Fingerprint (SHA1): " + ":".join(["B2"] * 20).encode() + b"\n\n")
        out.write(record("After C", ":".join(["C3"] * 20), "CKT_NSS_NOT_TRUSTED"))
    os.utime(certdata, (before.st_atime, before.st_mtime))  # the date the case gave it
