# The refused update must also leave the file's read-only mark in place.
import stat


def check(ctx):
    mode = (ctx.work / "Sylpheed" / "config" / "gnupg" / "trustlist.txt").stat().st_mode
    if mode & (stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH):
        return [f"trustlist.txt: expected it still read-only, its mode is {stat.filemode(mode)}"]
    return []
