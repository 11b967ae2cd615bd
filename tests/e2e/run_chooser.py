#!/usr/bin/env python3
# Runs the folder chooser's in-process test (chooser_test.exe) in a fresh Wine prefix of the bench.
"""Usage: run_chooser.py [--bin FOLDER]   Exits non-zero when a row of the test fails.

The prefix, display and choice of build (32-bit, or 64-bit where the kernel runs no 32-bit
code) are the bench's own (wine_env.py, run_e2e.py)."""

import argparse
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import run_e2e  # noqa: E402
import wine_env  # noqa: E402

TEST_TIMEOUT = 1200  # seconds, a safety net only: the test's own driver gives up sooner


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", type=Path, help="take chooser_test.exe from this folder instead "
                        "of the build (it must suit the prefix: 64-bit where 32-bit cannot run)")
    options = parser.parse_args()
    use_64bit, bin_dir = run_e2e.choose_programs(options.bin)
    session = wine_env.WineSession(use_64bit)
    try:
        session.start()
        shutil.copyfile(bin_dir / "chooser_test.exe", session.drive_c / "chooser_test.exe")
        result = session.wine(["C:\\chooser_test.exe"], timeout=TEST_TIMEOUT, check=False)
        sys.stdout.buffer.write(result.stdout)
        sys.stdout.flush()
        return 0 if result.returncode == 0 else 1
    finally:
        session.stop()


if __name__ == "__main__":
    sys.exit(main())
