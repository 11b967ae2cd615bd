# Nothing may be written anywhere but the home's folders, which the program makes before the save fails.
DEEP = 'nested_01234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901/deeper_abcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabc'
PLACED = {"quelbrin.exe", "PortableSylpheed.exe", "certdata.txt", "Sylpheed", "Sylpheed/sylpheed.exe",
          "Sylpheed/gpgsm.exe", "Sylpheed/gpgconf.exe"}
MADE = {'Sylpheed/config/gnupg', 'Sylpheed/config'}


def check(ctx):
    found = {path.relative_to(ctx.work).as_posix() for path in ctx.work.rglob("*")}
    wanted = {DEEP.split("/")[0], DEEP} | {f"{DEEP}/{name}" for name in PLACED | MADE}
    problems = []
    if found - wanted:
        problems.append(f"written where nothing should be: {sorted(found - wanted)}")
    if wanted - found:
        problems.append(f"expected, missing: {sorted(wanted - found)}")
    return problems
