# The registration of a chosen folder as a Windows program reads it: REG_SZ, 260 bytes
# whatever the folder's length, zero-padded.
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "dornavet_normal_from_gnupg22_key"))
import registry_value  # noqa: E402


def check(ctx):
    return registry_value.registration_problems(ctx, ctx.windows_work + "\\picked")
