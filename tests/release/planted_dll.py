#!/usr/bin/env python3
# Plants a wininet.dll beside the programs under Wine: only an unrestricted search may load it.
"""Usage: planted_dll.py [--keep] [case ...]   (no case names: every case)

Each case is a folder under planted_cases/ in the Wine bench's format (tests/e2e/README.md),
with one key more: "bin_files" maps work-folder paths to files of the build's bin folder,
here the planted wininet.dll, whose DllMain appends the loading program's path to
planted-dll.loaded beside it. The cases set WINEDLLOVERRIDES=wininet=n,b so that Wine, like
Windows, takes a wininet.dll it finds on the search path before its own.

The control cases show that the plant is found where the search reaches the program's
folder (a program importing wininet.dll at start, or delayed without a restricted search);
the others that the delayed import after SetDefaultDllDirectories, and quelbrin itself,
leave it alone and still reach the network through the system's wininet.dll."""

import argparse
import contextlib
import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
CASES = HERE / "planted_cases"
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import case_checks  # noqa: E402
import case_setup  # noqa: E402
import run_e2e  # noqa: E402
import wine_env  # noqa: E402

try:  # the bench's loopback HTTPS server, for the case that downloads
    from https import loopback  # noqa: E402
except ImportError:
    loopback = None


def programs():
    """The 32-bit build where this machine runs 32-bit code, else the 64-bit build."""
    if wine_env.can_run_32bit():
        return False, ROOT / "build" / "windows" / "bin"
    return True, wine_env.build_64bit_programs()


def serve(session, case, layout, bin_dir):
    if "download" not in case.definition:
        return contextlib.nullcontext(None)
    if loopback is None:
        raise RuntimeError(f"{case.name} needs the bench's loopback server (tests/e2e/https)")
    return loopback.serve(session, case, layout, bin_dir)


def run_case(session, case, bin_dir):
    layout = case_setup.Layout(session, case)
    program_at = case_setup.prepare_work_folder(case, layout, bin_dir)
    for relative, name in case.definition.get("bin_files", {}).items():
        shutil.copyfile(bin_dir / name, layout.unix_path(relative))
    before = case_setup.snapshot(layout, case.expect.get("unchanged", []))
    session.import_registry(case_setup.registry_import_text(case, layout))
    script_name = case.name + ".script"
    case_setup.write_script(case, layout, program_at, session.drive_c / "bench" / script_name)
    started = time.time()
    with serve(session, case, layout, bin_dir) as served:
        events = run_e2e.drive(session, case, layout, script_name)
    served_problems = served.problems if served else []
    if events is None:
        return ["the driver did not finish"] + served_problems
    problems = case_checks.check_case(case, layout, session, events, before, (started, time.time()))
    marker = layout.unix_path("planted-dll.loaded")
    if marker.exists() and "planted-dll.loaded" in case.expect.get("absent", []):
        problems.append("loaded by: " + marker.read_text(errors="replace").strip())
    return problems + served_problems


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("cases", nargs="*")
    parser.add_argument("--keep", action="store_true", help="keep the Wine prefix for a look")
    parser.add_argument("--bin", type=Path, help="take the 64-bit programs from this folder "
                        "instead of building build/windows64")
    options = parser.parse_args()
    folders = sorted(p for p in CASES.iterdir() if (p / "case.json").is_file())
    if options.cases:
        folders = [f for f in folders if f.name in options.cases]
        if len(folders) != len(set(options.cases)):
            sys.exit("no such case among: " + " ".join(options.cases))
    cases = [case_setup.Case(f) for f in folders]

    use_64bit, bin_dir = (True, options.bin.resolve()) if options.bin else programs()
    session = wine_env.WineSession(use_64bit)
    failed = []
    try:
        session.start()
        run_e2e.install_bench_programs(session, bin_dir)
        for case in cases:
            problems = run_case(session, case, bin_dir)
            print(f"{'FAIL' if problems else 'ok':4} {case.name}", flush=True)
            for problem in problems:
                print(f"     {problem}", flush=True)
            if problems:
                failed.append(case.name)
    finally:
        if loopback is not None:
            loopback.finish(session)
        if options.keep:
            print(f"Wine prefix kept in {session.prefix}")
            session.wineserver(["-k"])
            if session.xvfb:
                session.xvfb.terminate()
        else:
            session.stop()
    print(f"planted DLL: {len(cases) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except subprocess.CalledProcessError as error:
        sys.exit(f"build failed: {error}")
