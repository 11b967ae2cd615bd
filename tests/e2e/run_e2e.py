#!/usr/bin/env python3
# Runs the end-to-end cases of quelbrin and dornavet under Wine and reports each as ok or FAIL.
"""Usage: run_e2e.py [--keep] [--list] [--bin DIR] [case ...]   (no case names: every case)

Each case is a folder under cases/ (see README.md). All cases of a run share one Xvfb
display and one fresh Wine prefix with a Japanese locale (ANSI code page 932)."""

import argparse
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import case_checks  # noqa: E402
import case_setup  # noqa: E402
import wine_env  # noqa: E402
from https import loopback  # noqa: E402  (the download cases' server)

CASES = Path(__file__).resolve().parent / "cases"
DRIVER_TIMEOUT = 300  # seconds for one case's whole driver run, a safety net only


def find_cases(names):
    folders = sorted(p for p in CASES.iterdir() if (p / "case.json").is_file())
    if not names:
        return [case_setup.Case(f) for f in folders]
    known = {f.name: f for f in folders}
    unknown = [n for n in names if n not in known]
    if unknown:
        sys.exit(f"no such case: {', '.join(unknown)}")
    return [case_setup.Case(known[n]) for n in names]


def choose_programs(bin_dir):
    """The 32-bit build where this machine runs 32-bit code, else the 64-bit build."""
    if wine_env.can_run_32bit():
        bin_dir = bin_dir or wine_env.ROOT / "build" / "windows" / "bin"
        print(f"Wine 32-bit prefix, programs from {bin_dir}")
        return False, bin_dir
    emulator = wine_env.i386_emulator()
    reason = f"32-bit programs run only under {emulator}" if emulator else "wine32 cannot start"
    print(f"This kernel does not run 32-bit code itself ({reason}).\n"
          "Running the 64-bit build of the same sources in a 64-bit prefix instead.")
    return True, bin_dir or wine_env.build_64bit_programs()


def install_bench_programs(session, bin_dir):
    bench = session.drive_c / "bench"
    bench.mkdir(exist_ok=True)
    for name in ("boxdriver.exe", "enableok_hook.dll", "argslog.exe"):
        shutil.copyfile(bin_dir / name, bench / name)


def drive(session, case, layout, script_name):
    env = {k: layout.substitute(v) for k, v in case.definition.get("env", {}).items()}
    args = ["C:\\bench\\boxdriver.exe", "C:\\bench\\" + script_name]
    # Once in a while Wine fails to start the driver itself: it then reports nothing at all,
    # not even that it started the program under test. Only that is tried again, once.
    for attempt in (1, 2):
        try:
            result = session.wine(args, timeout=DRIVER_TIMEOUT, extra_env=env, check=False)
        except subprocess.TimeoutExpired:
            session.restart_wineserver()
            return None
        if result.stdout.strip() or attempt == 2:
            break
        print(f"     (the driver reported nothing, exit {result.returncode}; starting it again)")
    # Kept beside the script, for a look with --keep.
    (session.drive_c / "bench" / (case.name + ".events")).write_bytes(result.stdout)
    return case_checks.decode_events(result.stdout)


def run_case(session, case, bin_dir):
    layout = case_setup.Layout(session, case)
    program_at = case_setup.prepare_work_folder(case, layout, bin_dir)
    before = case_setup.snapshot(layout, case.expect.get("unchanged", []))
    session.import_registry(case_setup.registry_import_text(case, layout))
    script_name = case.name + ".script"
    case_setup.write_script(case, layout, program_at, session.drive_c / "bench" / script_name)
    started = time.time()
    with loopback.serve(session, case, layout, bin_dir) as served:
        events = drive(session, case, layout, script_name)
    if events is None:
        return [f"the driver did not finish within {DRIVER_TIMEOUT} s"] + served.problems
    window = (started, time.time())
    return case_checks.check_case(case, layout, session, events, before, window) + served.problems


def run_case_guarded(session, case, bin_dir):
    """A case whose own setup or check breaks fails alone; the run goes on with the next."""
    try:
        return run_case(session, case, bin_dir)
    except Exception as error:  # reported as the case's failure, with what broke
        return [f"bench error: {type(error).__name__}: {error}"]


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("cases", nargs="*")
    parser.add_argument("--keep", action="store_true", help="keep the Wine prefix for a look")
    parser.add_argument("--list", action="store_true", help="list the cases and stop")
    parser.add_argument("--bin", type=Path, help="take the programs from this folder instead "
                        "of the build (they must suit the prefix: 64-bit where 32-bit cannot run)")
    options = parser.parse_args()
    cases = find_cases(options.cases)
    if options.list:
        print("\n".join(f"{c.name}: {c.definition.get('about', '')}" for c in cases))
        return 0
    use_64bit, bin_dir = choose_programs(options.bin)
    session = wine_env.WineSession(use_64bit)
    failed = []
    try:
        session.start()
        install_bench_programs(session, bin_dir)
        for case in cases:
            started = time.time()
            problems = run_case_guarded(session, case, bin_dir)
            status = "FAIL" if problems else "ok"
            print(f"{status:4} {case.name} ({time.time() - started:.1f} s)", flush=True)
            for problem in problems:
                print(f"     {problem}", flush=True)
            if problems:
                failed.append(case.name)
    finally:
        ca_left = loopback.finish(session)  # the download cases' CA out of the prefix
        if options.keep:
            print(f"Wine prefix kept in {session.prefix}")
            session.wineserver(["-k"])
            if session.xvfb:
                session.xvfb.terminate()
        else:
            session.stop()
    print(f"e2e: {len(cases) - len(failed)} passed, {len(failed)} failed")
    if failed:
        print("failed: " + " ".join(failed))
    return 1 if failed or ca_left else 0


if __name__ == "__main__":
    sys.exit(main())
