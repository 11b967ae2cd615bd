#!/usr/bin/env python3
# Takes the users' guides' pictures: every box of both programs, under Wine in Japanese.
"""Usage: screenshots.py [--out DIR] [--bin DIR] [--plan]

Runs end-to-end cases on the Wine bench with the driver saving each dialog as the screen
shows it (BOXDRIVER_SHOTS), and writes one PNG per box to docs/images, named
<program>-<box>.png after the box names of tests/e2e/texts.py (<program>-folder.png for the
folder dialog). The prefix is Japanese (LANG=ja_JP.UTF-8, code page 932), with Wine's UI
fonts replaced by IPA P Gothic (fonts-ipafont-gothic).

For each box the first case that shows it is taken: the cases under screenshot_cases/ (made
for pictures: the release program, so the prompts name the real download host), then the
bench's own cases. A case's pictures are used only when the case passes as a whole. Boxes
that no scenario can bring up (a failing write to a full disk, a file vanishing between two
steps) are drawn by showbox.exe from the table of texts, which the release checks find in
the built programs byte for byte; --plan lists which box comes from where."""

import argparse
import json
import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import case_checks  # noqa: E402
import case_setup  # noqa: E402
import run_e2e  # noqa: E402
import texts  # noqa: E402
import wine_env  # noqa: E402

try:  # the bench's loopback server and file holder, for the cases that use them
    from https import loopback  # noqa: E402
except ImportError:
    loopback = None

OWN_CASES = HERE / "screenshot_cases"
BENCH_CASES = ROOT / "tests" / "e2e" / "cases"
PROGRAMS = ("quelbrin", "dornavet")
RELEASE_NAME = {"quelbrin": "quelbrin", "quelbrin_testurl": "quelbrin", "dornavet": "dornavet"}
HOLD_START_S = 30

# Wine's UI faces, drawn with the proportional IPA Gothic, as a Japanese Windows draws them
# with MS UI Gothic.
FONTS = """REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"MS UI Gothic"="IPAPGothic"
"MS Shell Dlg"="IPAPGothic"
"MS Shell Dlg 2"="IPAPGothic"
"Tahoma"="IPAPGothic"
"""


def box_name(entry):
    if isinstance(entry, dict):
        if entry.get("folder"):
            return "folder"
        entry = entry["text"]
    return entry[0] if isinstance(entry, list) else entry


def shown_boxes(case):
    """(shot file stem, box name) for every dialog the case expects, in order."""
    shown = []
    for instance, expect in ((1, case.expect), (2, case.expect.get("second", {}))):
        for index, entry in enumerate(expect.get("boxes", []), 1):
            shown.append((f"{instance}-{index}", box_name(entry)))
    return shown


def wanted_pictures():
    return [(program, name) for program in PROGRAMS
            for name in list(texts.PROGRAM_BOXES[program]) + ["folder"]]


def plan(cases):
    """(program, box) -> (case, shot stem), or None where only showbox can draw it."""
    chosen = {}
    for program, name in wanted_pictures():
        names_host = name != "folder" and texts.DOWNLOAD_HOST in texts.PROGRAM_BOXES[program][name].text
        for case in cases:
            if RELEASE_NAME.get(case.program) != program:
                continue
            if names_host and case.program != program:
                continue  # the test build's prompts name the loopback server instead
            stems = [stem for stem, shown in shown_boxes(case) if shown == name]
            if stems:
                chosen[(program, name)] = (case, stems[0])
                break
        else:
            chosen[(program, name)] = None
    return chosen


class NameHolder:
    """holdname.exe keeping an event of the case's "hold_name" open for the length of a run."""

    def __init__(self, session, case):
        self.process = None
        name = case.definition.get("hold_name")
        if not name:
            return
        self.held = session.temp / f"{case.name}.held"
        self.release = session.temp / f"{case.name}.release"
        windows = "Z:" + str(session.temp).replace("/", "\\")
        self.process = subprocess.Popen(
            [session.loader, "C:\\bench\\holdname.exe", name,
             f"{windows}\\{case.name}.held", f"{windows}\\{case.name}.release"],
            env=session.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + HOLD_START_S
        while not self.held.exists():
            if self.process.poll() is not None or time.time() > deadline:
                self.end()
                raise RuntimeError(f"holdname did not take {name}")
            time.sleep(0.1)

    def end(self):
        if self.process:
            self.release.touch()
            self.process.wait(timeout=HOLD_START_S)
            self.process = None


def shots_folder(session, label):
    folder = session.drive_c / "shots" / label
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    session.env["BOXDRIVER_SHOTS"] = "C:\\shots\\" + label
    return folder


def run_case(session, case, bin_dir):
    """Runs one case with pictures on; returns its shot folder, or the case's problems."""
    # Alone in C:\work, so that a folder dialog shows no other case's folders.
    for earlier in (session.drive_c / "work").glob("*"):
        shutil.rmtree(earlier, ignore_errors=True)
    folder = shots_folder(session, case.name)
    holder = NameHolder(session, case)
    try:
        problems = run_e2e.run_case(session, case, bin_dir)
    finally:
        holder.end()
    return problems or folder


def draw_box(session, program, name):
    """Shows the box with showbox.exe under the driver; returns its BMP, or a problem."""
    box = texts.PROGRAM_BOXES[program][name]
    caption, text = texts.TITLES[program], box.text.encode("cp932")
    folder = shots_folder(session, f"drawn-{program}-{name}")
    script = session.drive_c / "bench" / "drawn.script"
    script.write_bytes((f'run "C:\\bench\\showbox.exe" {caption} {box.flags:x} {text.hex()}\r\n'
                        "wait 60000\r\nok\r\n").encode("ascii"))
    result = session.wine(["C:\\bench\\boxdriver.exe", "C:\\bench\\drawn.script"], check=False)
    boxes = [e for e in case_checks.decode_events(result.stdout) if e["event"] == "box"]
    if [(b["caption"], b["text"]) for b in boxes] != [(caption.encode(), text)]:
        return f"showbox did not show {program} {name}; the driver said: {result.stdout!r}"
    return folder / "1-1.bmp"


def to_png(bmp, png):
    # Without time chunks, so that the same screen gives the same file.
    subprocess.run(["convert", str(bmp), "-strip", "-define", "png:exclude-chunks=date,time",
                    str(png)], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", type=Path, default=ROOT / "docs" / "images")
    parser.add_argument("--bin", type=Path, help="take the 64-bit programs from this folder "
                        "instead of building build/windows64")
    parser.add_argument("--plan", action="store_true", help="list where each picture comes from")
    parser.add_argument("only", nargs="*", metavar="case",
                        help="take only the pictures these cases give (default: every picture)")
    options = parser.parse_args()

    cases = [case_setup.Case(f.parent) for folder in (OWN_CASES, BENCH_CASES)
             for f in sorted(folder.glob("*/case.json"))]
    chosen = plan(cases)
    if options.only:
        chosen = {key: source for key, source in chosen.items()
                  if source and source[0].name in options.only}
    if options.plan:
        for (program, name), source in chosen.items():
            print(f"{program}-{name}: {source[0].name} shot {source[1]}" if source else
                  f"{program}-{name}: drawn by showbox.exe")
        return 0

    if options.bin:
        use_64bit, bin_dir = True, options.bin.resolve()
    elif wine_env.can_run_32bit():
        use_64bit, bin_dir = False, ROOT / "build" / "windows" / "bin"
    else:
        use_64bit, bin_dir = True, wine_env.build_64bit_programs()
    options.out.mkdir(parents=True, exist_ok=True)
    session = wine_env.WineSession(use_64bit)
    problems, written = [], 0
    try:
        session.start()
        session.import_registry(FONTS)
        run_e2e.install_bench_programs(session, bin_dir)
        for helper in ("showbox.exe", "holdname.exe"):  # the bench's server brings its own
            shutil.copyfile(bin_dir / helper, session.drive_c / "bench" / helper)
        taken = {}
        for case in dict.fromkeys(source[0] for source in chosen.values() if source):
            result = run_case(session, case, bin_dir)
            if isinstance(result, Path):
                taken[case.name] = result
                print(f"ok   {case.name}", flush=True)
            else:
                problems.append(f"{case.name}: its pictures are not used, the case failed: {result}")
                print(f"FAIL {case.name}", flush=True)
        for (program, name), source in chosen.items():
            if source is None:
                bmp = draw_box(session, program, name)
                if isinstance(bmp, str):
                    problems.append(bmp)
                    continue
            elif source[0].name in taken:
                bmp = taken[source[0].name] / f"{source[1]}.bmp"
            else:
                continue
            if not bmp.is_file():
                problems.append(f"{program}-{name}: the driver saved no picture {bmp.name}")
                continue
            to_png(bmp, options.out / f"{program}-{name}.png")
            written += 1
    finally:
        if loopback is not None:
            loopback.finish(session)
        session.stop()
    print(f"screenshots: {written} pictures in {options.out}")
    for problem in problems:
        print(f"     {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
