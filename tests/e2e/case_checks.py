# Compares what a case's run showed and left behind with what its case.json expects.
"""Each check returns a list of problems; a problem says what was expected and what came."""

import importlib.util
import json
import re
from datetime import datetime
from pathlib import Path
from types import SimpleNamespace

import texts

HEX_FIELDS = ("caption", "text", "path", "selected")
STAMP = rb"(\d{4}/\d{1,2}/\d{1,2}(?: \d{1,2}:\d{2}:\d{2})?)"


def show(data):
    """Bytes as readable text for a diagnostic: CP932 decoded, line ends visible."""
    if isinstance(data, bytes):
        data = data.decode("cp932", errors="backslashreplace")
    return '"' + data.replace("\r", "\\r").replace("\n", "\\n") + '"'


def decode_events(stdout):
    events = []
    for line in stdout.decode("ascii", errors="replace").splitlines():
        line = line.strip()
        if not line.startswith("{"):
            continue
        event = json.loads(line)
        for field in HEX_FIELDS:
            if isinstance(event.get(field), str):
                event[field] = bytes.fromhex(event[field])
        events.append(event)
    return events


def date_text(timestamp):
    """A date as quelbrin shows it with Wine's Japanese regional settings (yyyy/M/d H:mm:ss)."""
    moment = datetime.fromtimestamp(timestamp)
    text = f"{moment.year:04d}/{moment.month}/{moment.day}"
    if (moment.hour, moment.minute, moment.second) != (0, 0, 0):
        text += f" {moment.hour}:{moment.minute:02d}:{moment.second:02d}"
    return text


def expand_argument(layout, argument):
    match = re.fullmatch(r"\{MTIME:(.+)\}", argument)
    if match:
        return date_text(layout.unix_path(match.group(1)).stat().st_mtime)
    return layout.substitute(argument)


def expected_box(program, entry, layout):
    """Turns a case's box entry (a name, [name, args...] or a dict) into what must be seen."""
    if not isinstance(entry, dict):
        entry = {"text": entry}
    if entry.get("folder"):
        return {"event": "folder", "caption": entry.get("caption", texts.TITLES[program]),
                "text": entry.get("instruction", texts.CHOOSE_GPGSM_FOLDER),
                **{key: entry[key] for key in ("ok_enabled", "enableok") if key in entry}}
    if "raw" in entry:  # a box of a program outside texts.py, such as the bench's own
        name, box, text = entry["raw"], texts.Box(entry["flags"], entry["raw"]), entry["raw"]
    else:
        name, *arguments = entry["text"] if isinstance(entry["text"], list) else [entry["text"]]
        box = texts.PROGRAM_BOXES[program][name]
        text = box.text % tuple(expand_argument(layout, a) for a in arguments) if arguments else box.text
    return {"event": "box", "name": name, "caption": entry.get("caption", texts.TITLES.get(program, program)),
            "text": text, "icon": entry.get("icon", texts.icon_of(box.flags)),
            "buttons": entry.get("buttons", texts.buttons_of(box.flags))}


def compare_box(label, want, got):
    problems = []
    if got["event"] != want["event"]:
        return [f"{label}: expected a {want['event']}, got a {got['event']} with text {show(got['text'])}"]
    for field in ("caption", "text"):
        if got[field] != want[field].encode("cp932"):
            problems.append(f"{label} {field}: expected {show(want[field])}, got {show(got[field])}")
    if want["event"] == "box":
        if got["icon"] != want["icon"]:
            problems.append(f"{label} icon: expected {want['icon']}, got {got['icon']}")
        if sorted(got["buttons"]) != sorted(want["buttons"]):
            problems.append(f"{label} buttons: expected {want['buttons']}, got {got['buttons']}")
    else:
        for key, what in (("ok_enabled", "OK enabled"), ("enableok", "BFFM_ENABLEOK sent")):
            if key in want and got.get(key) != want[key]:
                problems.append(f"{label} {what}: expected {want[key]}, got {got.get(key)}")
    return problems


def check_instance(program, expect, events, instance, layout):
    label = "" if instance == 1 else "second start: "
    mine = [e for e in events if e.get("instance") == instance]
    problems = [f"{label}driver: {e['reason']}" for e in mine if e["event"] == "fail"]
    if any(e["event"] == "start" and not e["ok"] for e in mine):
        problems.append(f"{label}the program could not be started")
    seen = [e for e in mine if e["event"] in ("box", "folder")]
    wanted = [expected_box(program, entry, layout) for entry in expect.get("boxes", [])]
    for index, (want, got) in enumerate(zip(wanted, seen), 1):
        where = f"{label}box {index} ({want.get('name', 'folder dialog')})"
        problems += compare_box(where, want, got)
    for want in wanted[len(seen):]:
        problems.append(f"{label}expected box {want.get('name', 'folder dialog')} did not appear")
    for got in seen[len(wanted):]:
        problems.append(f"{label}unexpected {got['event']}: {show(got['text'])}")
    exits = [e["code"] for e in mine if e["event"] == "exit"]
    if "exit" in expect and exits != [expect["exit"]]:
        problems.append(f"{label}exit code: expected {expect['exit']}, got "
                        f"{exits[0] if exits else 'none (the program did not end by itself)'}")
    return problems


def first_difference(want, got):
    want_lines, got_lines = want.split(b"\r\n"), got.split(b"\r\n")
    for number, (a, b) in enumerate(zip(want_lines, got_lines), 1):
        if a != b and not re.fullmatch(re.escape(a).replace(re.escape(b"{STAMP}"), STAMP), b):
            return f"line {number}: expected {show(a)}, got {show(b)}"
    return f"expected {len(want_lines)} CR LF lines, got {len(got_lines)}"


def stamps_in_window(stamps, window):
    problems = []
    for stamp in stamps:
        text = stamp.decode("ascii")
        form = "%Y/%m/%d %H:%M:%S" if " " in text else "%Y/%m/%d"
        moment = datetime.strptime(text, form).timestamp()
        if not window[0] - 2 <= moment <= window[1] + 2:
            problems.append(f"update stamp {text} is not the time of the run")
    return problems


def check_file(relative, expected_path, layout, window):
    path = layout.unix_path(relative)
    if not path.is_file():
        return [f"file {relative}: expected it, it is missing"]
    got = path.read_bytes()
    want = expected_path.read_bytes().replace(b"{WORK}", layout.windows.encode("cp932"))
    pattern = STAMP.join(re.escape(part) for part in want.split(b"{STAMP}"))
    match = re.fullmatch(pattern, got, re.S)
    if not match:
        return [f"file {relative} ({len(got)} bytes) differs from {expected_path.name}: "
                + first_difference(want, got)]
    return stamps_in_window(match.groups(), window)


def check_files(expect, layout, before, window):
    problems = []
    for relative, source in expect.get("files", {}).items():
        problems += check_file(relative, layout.case.folder / source, layout, window)
    for relative in expect.get("absent", []):
        if layout.unix_path(relative).exists() or layout.unix_path(relative).is_symlink():
            problems.append(f"{relative}: expected no such file or folder, it exists")
    for relative, old in before.items():
        path = layout.unix_path(relative)
        if not path.is_file():
            problems.append(f"{relative}: expected it unchanged, it is gone")
        elif path.read_bytes() != old:
            problems.append(f"{relative}: expected it unchanged, it changed: "
                            + first_difference(old, path.read_bytes()))
    return problems


def read_argslog(path):
    if not path.exists():
        return []
    calls = []
    for block in path.read_bytes().decode("cp932", errors="backslashreplace").split("\r\n\r\n"):
        if block.strip():
            calls.append(dict(line.split(": ", 1) for line in block.split("\r\n")))
    return calls


def check_argslog(expect, layout):
    problems = []
    for program, wanted in expect.get("argslog", {}).items():
        calls = read_argslog(layout.unix_path(program + ".log"))
        if len(calls) != len(wanted):
            problems.append(f"{program}: expected {len(wanted)} start(s), got {len(calls)}: {calls}")
            continue
        for number, (want, got) in enumerate(zip(wanted, calls), 1):
            for field, value in want.items():
                value = layout.substitute(value)
                if got.get(field) != value:
                    problems.append(f"{program} start {number} {field}: expected {show(value)}, "
                                    f"got {show(got.get(field, '(none)'))}")
    return problems


def query_registry(session, key, name):
    args = ["reg", "query", key] + (["/ve"] if name == "" else ["/v", name])
    result = session.wine(args, check=False)
    if result.returncode != 0:
        return None
    for line in result.stdout.decode("cp932", errors="backslashreplace").splitlines():
        fields = line.strip().split("    ")
        if line.startswith("    ") and len(fields) >= 2:
            return {"type": fields[1], "data": fields[2] if len(fields) > 2 else ""}
    return None


def check_registry(expect, session, layout):
    problems = []
    for want in expect.get("registry", []):
        where = f"registry {want['key']}\\{want.get('name', '(default)')}"
        got = query_registry(session, want["key"], want.get("name", ""))
        if want.get("absent"):
            if got is not None:
                problems.append(f"{where}: expected no such value, got {got}")
        elif got is None:
            problems.append(f"{where}: expected it, it is missing")
        elif (got["type"], got["data"]) != (want.get("type", "REG_SZ"), layout.substitute(want["data"])):
            problems.append(f"{where}: expected {want.get('type', 'REG_SZ')} "
                            f"{show(layout.substitute(want['data']))}, got {got['type']} {show(got['data'])}")
    return problems


def run_hook(case, layout, session, events):
    hook = case.folder / case.definition["check"]
    module_spec = importlib.util.spec_from_file_location(f"check_{case.name}", hook)
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)
    context = SimpleNamespace(work=layout.unix, windows_work=layout.windows, events=events,
                              session=session, case_folder=case.folder)
    try:
        return list(module.check(context) or [])
    except Exception as error:  # a hook's failed assertion or crash is the case's failure
        return [f"{hook.name}: {type(error).__name__}: {error}"]


def check_case(case, layout, session, events, before, window):
    expect = case.expect
    problems = check_instance(case.program, expect, events, 1, layout)
    if "second" in expect:
        problems += check_instance(case.program, expect["second"], events, 2, layout)
    problems += check_files(expect, layout, before, window)
    problems += check_argslog(expect, layout)
    problems += check_registry(expect, session, layout)
    if case.definition.get("check") and not problems:
        problems += run_hook(case, layout, session, events)
    return problems
