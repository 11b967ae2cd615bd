# The folder found must be in the OPTION section afterwards. What becomes of the garbage around
# it is the profile functions' business, so only the section is looked for.


def check(ctx):
    ini = (ctx.work / "quelbrin.ini").read_bytes()
    section = b"[OPTION]\r\nGPGPath=" + (ctx.windows_work + "\\gnu").encode("cp932") + b"\r\n"
    if section not in ini:
        return [f"quelbrin.ini: expected a section {section!r}, got {ini[-120:]!r}"]
    return []
