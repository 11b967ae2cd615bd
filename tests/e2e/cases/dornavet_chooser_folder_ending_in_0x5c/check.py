# The registration of a folder ending in 表 as a Windows program reads it: 表 whole
# (0x95 0x5C), then zeros up to 260 bytes.
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "dornavet_normal_from_gnupg22_key"))
import registry_value  # noqa: E402


def check(ctx):
    return registry_value.registration_problems(ctx, ctx.windows_work + "\\表")
