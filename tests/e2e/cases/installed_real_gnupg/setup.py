# Before quelbrin runs: the real gpg-agent is started for the case's home and reads the trust
# list as it is then (the bare template, no trusted key), so that afterwards only a reload can
# make it list the new entries.
import atexit
import os
import re
import signal
import subprocess


def agent(home, *commands, autostart=True):
    args = ["gpg-connect-agent", "--homedir", str(home)] + ([] if autostart else ["--no-autostart"])
    return subprocess.run(args + list(commands) + ["/bye"], capture_output=True, text=True, timeout=60)


def stop_agent(pid):
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass


def setup(layout):
    home = layout.unix / "home"
    home.chmod(0o700)  # gpg-agent warns about a home others may read
    pid = re.search(r"^D (\d+)$", agent(home, "GETINFO pid").stdout, re.M)
    # The check stops the agent; this catches the runs whose check never comes.
    if pid:
        atexit.register(stop_agent, int(pid.group(1)))
    (layout.unix / "listed-before.txt").write_text(agent(home, "LISTTRUSTED").stdout)
