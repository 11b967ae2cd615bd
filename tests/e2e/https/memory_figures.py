#!/usr/bin/env python3
# Peak memory of quelbrin under Wine while it downloads root lists of about 1 MB and 50 MB.
"""Usage: memory_figures.py [--bin DIR]

Prints figures, tests nothing. Each row is one run of quelbrin_testurl in the bench's prefix,
driven like a case; a sampler reads VmHWM (the peak resident set) and VmRSS of the program's
process from /proc every 20 ms until it ends. The "download only" rows stop right after the
transfer: certdata.txt is a folder, so the new list cannot take its place and the run ends at
download error (5) before anything reads the list. The "whole run" rows go on to parse the list
and write trustlist.txt, which reads the whole file into memory by design."""

import argparse
import json
import sys
import tempfile
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))

import case_setup  # noqa: E402
import run_e2e  # noqa: E402
import wine_env  # noqa: E402
from https import loopback  # noqa: E402

PORTABLE = {"PortableSylpheed.exe": "", "Sylpheed/sylpheed.exe": "", "Sylpheed/gpgsm.exe": "",
            "Sylpheed/gpgconf.exe": "{ARGSLOG}"}
FIXTURE_REPEATS_FOR_50_MB = 38  # 38 x 1,338,403 bytes = 50.9 MB

HOME = "{WORK}\\Sylpheed\\config\\gnupg"
CANCELLED = ["opening", "missing_list"]
DOWNLOAD_ONLY = ["opening", ["download_prompt_stale", "不明"], "download_error_5"]
WHOLE_RUN = ["opening", "missing_list", ["first_registration", HOME], "trustlist_updated"]

# label, what lies in the work folder, how often the body holds the fixture, answers, boxes
RUNS = [
    ("no download (Cancel at the missing-list prompt)", {}, 1, ["ok", "cancel"], CANCELLED),
    ("download only, fixture once (1.3 MB)", {"certdata.txt": "{DIR}"}, 1, ["ok", "yes", "ok"],
     DOWNLOAD_ONLY),
    ("download only, fixture 38 times (50.9 MB)", {"certdata.txt": "{DIR}"},
     FIXTURE_REPEATS_FOR_50_MB, ["ok", "yes", "ok"], DOWNLOAD_ONLY),
    ("whole run, fixture once (1.3 MB)", {}, 1, ["ok", "ok", "ok", "ok"], WHOLE_RUN),
    ("whole run, fixture 38 times (50.9 MB)", {}, FIXTURE_REPEATS_FOR_50_MB,
     ["ok", "ok", "ok", "ok"], WHOLE_RUN),
]


class Sampler(threading.Thread):
    """Follows every process whose command line names the work folder's program."""

    def __init__(self, marker):
        super().__init__(daemon=True)
        self.marker = marker
        self.peaks = {}  # pid -> {"hwm": kB, "rss": kB}
        self.running = True

    def run(self):
        while self.running:
            for proc in Path("/proc").iterdir():
                if not proc.name.isdigit():
                    continue
                try:
                    if self.marker not in (proc / "cmdline").read_bytes():
                        continue
                    status = (proc / "status").read_text()
                except OSError:
                    continue
                fields = dict(line.split(":", 1) for line in status.splitlines() if ":" in line)
                if "VmHWM" not in fields:
                    continue
                peak = self.peaks.setdefault(proc.name, {"hwm": 0, "rss": 0})
                peak["hwm"] = max(peak["hwm"], int(fields["VmHWM"].split()[0]))
                peak["rss"] = max(peak["rss"], int(fields["VmRSS"].split()[0]))
            time.sleep(0.02)


def case_folder(root, number, place, repeat, answers, boxes):
    folder = root / f"memory_{number}"
    folder.mkdir()
    table = {"program": "quelbrin_testurl", "program_at": "quelbrin.exe",
             "place": {**PORTABLE, **place}, "answers": answers,
             "download": {"reply": "whole", "repeat": repeat}, "expect": {"boxes": boxes}}
    (folder / "case.json").write_text(json.dumps(table))
    return case_setup.Case(folder)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", type=Path,
                        help="the programs' folder (default: the bench's build)")
    options = parser.parse_args()
    use_64bit, bin_dir = run_e2e.choose_programs(options.bin)
    session = wine_env.WineSession(use_64bit)
    rows = []
    try:
        session.start()
        run_e2e.install_bench_programs(session, bin_dir)
        with tempfile.TemporaryDirectory() as scratch:
            for number, (label, place, repeat, answers, boxes) in enumerate(RUNS, 1):
                case = case_folder(Path(scratch), number, place, repeat, answers, boxes)
                marker = f"\\work\\{case.name}\\quelbrin.exe".encode()
                sampler = Sampler(marker)
                sampler.start()
                problems = run_e2e.run_case(session, case, bin_dir)
                sampler.running = False
                sampler.join()
                hwm = max((p["hwm"] for p in sampler.peaks.values()), default=0)
                rss = max((p["rss"] for p in sampler.peaks.values()), default=0)
                rows.append((label, hwm, rss, problems))
    finally:
        loopback.finish(session)
        session.stop()
    print(f"{'run':52} {'VmHWM':>10} {'max VmRSS':>10}")
    for label, hwm, rss, problems in rows:
        print(f"{label:52} {hwm / 1024:8.1f} MB {rss / 1024:8.1f} MB")
        for problem in problems:
            print(f"    (run problem: {problem})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
