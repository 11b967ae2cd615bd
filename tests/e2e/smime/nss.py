# Root lists in Mozilla's NSS text format (certdata.txt), made from certificates or from made-up fingerprints.
"""The records follow the published file: a certificate object with its DER value, and a trust
object whose comment block names the SHA-1 fingerprint, each closed by an empty line. Line ends
are LF, as in Mozilla's file."""

import hashlib

HEADER = "#\n# certdata.txt, written by the Wine bench for one case\n#\nBEGINDATA\n\n"

TRUSTED = "CKT_NSS_TRUSTED_DELEGATOR"
NOT_TRUSTED = "CKT_NSS_NOT_TRUSTED"
MUST_VERIFY = "CKT_NSS_MUST_VERIFY_TRUST"


def colon_hex(digest):
    """A digest as Mozilla's comments write it: upper-case byte pairs joined by colons."""
    return ":".join(f"{byte:02X}" for byte in digest)


def octal_lines(data):
    """MULTILINE_OCTAL value lines, 16 bytes a line, closed by END."""
    rows = ["".join(f"\\{byte:03o}" for byte in data[i:i + 16]) for i in range(0, len(data), 16)]
    return "\n".join(rows + ["END"]) + "\n"


def certificate_object(label, der):
    """The certificate object of a root; it carries no trust, so it gives no entry."""
    return (f'# Certificate "{label}"\n'
            f"# Fingerprint (SHA-256): {colon_hex(hashlib.sha256(der).digest())}\n"
            f"# Fingerprint (SHA1): {colon_hex(hashlib.sha1(der).digest())}\n"
            "CKA_CLASS CK_OBJECT_CLASS CKO_CERTIFICATE\n"
            "CKA_TOKEN CK_BBOOL CK_TRUE\n"
            "CKA_PRIVATE CK_BBOOL CK_FALSE\n"
            "CKA_MODIFIABLE CK_BBOOL CK_FALSE\n"
            f'CKA_LABEL UTF8 "{label}"\n'
            "CKA_CERTIFICATE_TYPE CK_CERTIFICATE_TYPE CKC_X_509\n"
            "CKA_VALUE MULTILINE_OCTAL\n" + octal_lines(der) + "\n")


def trust_object(label, sha1, email_trust, server_trust=MUST_VERIFY):
    """The trust object of a root: sha1 is the raw digest, email_trust one of the CKT_ values."""
    return (f'# Trust for "{label}"\n'
            f"# Fingerprint (SHA1): {colon_hex(sha1)}\n"
            "CKA_CLASS CK_OBJECT_CLASS CKO_NSS_TRUST\n"
            "CKA_TOKEN CK_BBOOL CK_TRUE\n"
            "CKA_PRIVATE CK_BBOOL CK_FALSE\n"
            "CKA_MODIFIABLE CK_BBOOL CK_FALSE\n"
            f'CKA_LABEL UTF8 "{label}"\n'
            "CKA_CERT_SHA1_HASH MULTILINE_OCTAL\n" + octal_lines(sha1) +
            f"CKA_TRUST_SERVER_AUTH CK_TRUST {server_trust}\n"
            f"CKA_TRUST_EMAIL_PROTECTION CK_TRUST {email_trust}\n"
            f"CKA_TRUST_CODE_SIGNING CK_TRUST {MUST_VERIFY}\n"
            "CKA_TRUST_STEP_UP_APPROVED CK_BBOOL CK_FALSE\n\n")


def root(label, der, email_trust):
    """Both objects of a real certificate."""
    return certificate_object(label, der) + trust_object(label, hashlib.sha1(der).digest(), email_trust)


def made_up_sha1(seed):
    """A fingerprint that belongs to no certificate, the same for the same seed."""
    return hashlib.sha1(seed.encode()).digest()
