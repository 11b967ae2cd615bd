# After dornavet's run, quelbrin -rel runs in the same work folder: nothing but dornavet's
# registration tells it where GnuPG 2.2 is (no .ini file, no gpgsm.exe beside it, GnuPG
# 2.2's own key deleted before the case), so its reload proves it read that value.
import shutil

import case_checks
import case_setup
import wine_env

SCRIPT = "together_quelbrin.script"


def quelbrin_build(session):
    return wine_env.ROOT / "build" / ("windows64" if session.use_64bit else "windows") / "bin" / "quelbrin.exe"


def check(ctx):
    layout = case_setup.Layout(ctx.session, case_setup.Case(ctx.case_folder))
    shutil.copyfile(quelbrin_build(ctx.session), ctx.work / "quelbrin.exe")
    script = f'run "{ctx.windows_work}\\quelbrin.exe" -rel\r\ndir {ctx.windows_work}\r\nwait 20000\r\nok\r\n'
    (ctx.session.drive_c / "bench" / SCRIPT).write_bytes(script.encode("cp932"))
    result = ctx.session.wine(["C:\\bench\\boxdriver.exe", "C:\\bench\\" + SCRIPT], timeout=300, check=False)
    events = case_checks.decode_events(result.stdout)

    problems = ["quelbrin: " + p for p in
                case_checks.check_instance("quelbrin", {"boxes": ["reload_succeeded"], "exit": 0}, events, 1, layout)]
    problems += case_checks.check_argslog({"argslog": {"picked/gpgconf.exe": [
        {"cmdline": '"{WORK}\\picked\\gpgconf.exe" --reload gpg-agent'}]}}, layout)
    ini = (ctx.work / "quelbrin.ini").read_bytes() if (ctx.work / "quelbrin.ini").exists() else b""
    remembered = ("GPGPath=" + ctx.windows_work + "\\picked").encode("cp932")
    if remembered not in ini:
        problems.append(f"quelbrin.ini: expected a line {remembered!r}, got {ini!r}")
    return problems
