# The bench's Wine: an Xvfb display, a fresh prefix with a Japanese locale, and the programs' builds.
"""Starts and stops the X server and the Wine prefix that all cases of one run share."""

import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WINE32 = "/usr/lib/wine/wine"
WINE64 = "/usr/lib/wine/wine64"
DISPLAYS = range(90, 141)
# Large enough that a box with a long path in its text still lies wholly on the screen,
# where the driver reads its icon.
SCREEN = "3200x2000x24"

REG_SETTINGS = """REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000
"""


I386_ELF_MAGIC = "7f454c4601010100000000000000000002000300"
BINFMT = Path("/proc/sys/fs/binfmt_misc")


def i386_emulator():
    """The interpreter binfmt_misc hands 32-bit x86 programs to (such as qemu-i386), if any."""
    for entry in BINFMT.glob("*"):
        try:
            text = entry.read_text()
        except OSError:
            continue
        if text.startswith("enabled") and f"magic {I386_ELF_MAGIC}" in text:
            return re.search(r"^interpreter (.*)$", text, re.M).group(1)
    return None


def can_run_32bit():
    """Whether the kernel itself runs 32-bit code; where its ia32 emulation is off, wine32
    cannot start, or starts only under a CPU emulator and then far too slowly for the bench."""
    if i386_emulator():
        return False
    try:
        return subprocess.run([WINE32, "--version"], capture_output=True).returncode == 0
    except OSError:
        return False


def build_64bit_programs():
    """Builds the same sources for x86-64 into build/windows64 and returns its bin folder."""
    missing = [package for path, package in ((WINE64, "wine64"),
                                             ("/usr/bin/x86_64-w64-mingw32-g++-posix",
                                              "g++-mingw-w64-x86-64-posix"))
               if not Path(path).exists()]
    if missing:
        raise RuntimeError("the 64-bit bench needs the Debian packages " + " ".join(missing))
    build = ROOT / "build" / "windows64"
    if not (build / "build.ninja").exists():
        toolchain = ROOT / "tests" / "e2e" / "mingw-x86_64.cmake"
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja",
                        f"-DCMAKE_TOOLCHAIN_FILE={toolchain}", "-DCMAKE_BUILD_TYPE=MinSizeRel",
                        # set from the start: some lists read it before CTest defines it
                        "-DBUILD_TESTING=ON"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(build), "-j2"], check=True, stdout=subprocess.DEVNULL)
    return build / "bin"


def free_display():
    for number in DISPLAYS:
        if not (Path(f"/tmp/.X{number}-lock").exists() or
                Path(f"/tmp/.X11-unix/X{number}").exists()):
            return number
    raise RuntimeError("no free X display between :90 and :140")


class WineSession:
    """One Xvfb and one Wine prefix for a whole run; call start() first and stop() at the end."""

    def __init__(self, use_64bit):
        self.use_64bit = use_64bit
        self.loader = WINE64 if use_64bit else WINE32
        self.temp = Path(tempfile.mkdtemp(prefix="e2e-wine-"))
        self.prefix = self.temp / "prefix"
        self.xvfb = None
        self.env = None

    @property
    def drive_c(self):
        return self.prefix / "drive_c"

    def start(self):
        display = free_display()
        self.xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", SCREEN,
                                      "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._wait_for_display(display)
        gnupg_home = self.temp / "gnupg-default"
        gnupg_home.mkdir(mode=0o700)
        self.env = dict(os.environ, DISPLAY=f":{display}", WINEPREFIX=str(self.prefix),
                        WINEARCH="win64" if self.use_64bit else "win32",
                        WINELOADER=self.loader, WINEDEBUG="-all",
                        LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8",
                        # A real GnuPG program started from Wine must not touch root's own home.
                        GNUPGHOME=str(gnupg_home))
        # No Mono or Gecko installer dialogs: nothing here needs them.
        self.wine(["wineboot", "--init"], timeout=600,
                  extra_env={"WINEDLLOVERRIDES": "mscoree,mshtml="})
        self.wineserver(["-p"])
        self.import_registry(REG_SETTINGS)

    def _wait_for_display(self, display):
        socket = Path(f"/tmp/.X11-unix/X{display}")
        for _ in range(100):
            if socket.exists():
                return
            if self.xvfb.poll() is not None:
                raise RuntimeError(f"Xvfb :{display} did not start")
            time.sleep(0.1)
        raise RuntimeError(f"Xvfb :{display} did not open its socket")

    def wine(self, args, timeout=120, extra_env=None, check=True):
        """Runs a Windows program to its end. Its output goes through files, not pipes: Wine's
        own services started by it live on with the persistent wineserver and would hold a
        pipe open for ever."""
        env = dict(self.env, **(extra_env or {}))
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run([self.loader] + args, env=env, stdout=out, stderr=err,
                                  timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(args, code, out.read(), err.read())
        if check and result.returncode != 0:
            raise RuntimeError(f"wine {' '.join(args)} failed: {result.stderr.decode(errors='replace')}")
        return result

    def wineserver(self, args):
        subprocess.run(["/usr/lib/wine/wineserver"] + args, env=self.env, check=False)

    def import_registry(self, reg_text):
        """Imports a REGEDIT4 text; its bytes are CP932, the prefix's ANSI code page."""
        reg_file = self.drive_c / "bench-import.reg"
        reg_file.write_bytes(reg_text.replace("\n", "\r\n").encode("cp932"))
        self.wine(["regedit", "/s", "C:\\bench-import.reg"])
        reg_file.unlink()

    def restart_wineserver(self):
        """After a hung case: end every Wine process of the prefix at once, then go on."""
        self.wineserver(["-k"])
        self.wineserver(["-p"])

    def stop(self):
        if self.env:
            self.wineserver(["-k"])
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)
        shutil.rmtree(self.temp, ignore_errors=True)
