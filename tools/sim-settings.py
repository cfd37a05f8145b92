#!/usr/bin/env python3
"""Makes the monitor's settings file name a device in its section [PORTS].

Usage: sim-settings.py SETTINGS_FILE DEVICE_PATH

Prints the port name ("COMn") that leads to the device. When no entry of [PORTS] leads there, one
is added as the highest free "COMn" (n up to 20); every other byte of the file stays as it was. A
settings file that does not exist yet (a first run) is created with that port selected and the
value search set to show the temperature of the simulated instrument.
"""

import os
import re
import sys
import tempfile

LAST_PORT = 20
# Section TERMINAL of a first run: the port, then the search string, the format and a*x + b.
FIRST_RUN = [("Port No        ", None), ("eSearcString", "TEMP="),
             ("eFormatIdentifier", "TEMP=%lf"), ("eAX", "1"), ("eB", "0")]

LINE = re.compile(r"[^\n]*\n|[^\n]+$")
SECTION = re.compile(r"\s*\[([^\]]*)\]")
PORT_ENTRY = re.compile(r"\s*COM([0-9]+)\s*=(.*?)\r?\n?$", re.IGNORECASE)


def stored_value(text):
    """A value as the monitor reads it: blanks at its edges dropped, then one pair of quotes."""
    text = text.strip()
    return text[1:-1] if len(text) >= 2 and text[0] == text[-1] == '"' else text


def written_value(text):
    return f'"{text}"' if text != text.strip() or text[:1] == '"' or text[-1:] == '"' else text


def same_path(a, b):
    return os.path.normpath(a) == os.path.normpath(b)


def port_entries(lines):
    """(number, path) of every entry of [PORTS], and the index after the last one of its first
    appearance (None without such a section)."""
    entries, insert_at, section, appearances = [], None, None, 0
    for index, line in enumerate(lines):
        header = SECTION.match(line)
        if header:
            section = header.group(1).strip().lower()
            if section == "ports":
                appearances += 1
                if appearances == 1:
                    insert_at = index + 1
            continue
        entry = PORT_ENTRY.match(line) if section == "ports" else None
        if entry:
            entries.append((int(entry.group(1)), stored_value(entry.group(2))))
            if appearances == 1:
                insert_at = index + 1
    return entries, insert_at


def add_port(text, device):
    """The file's text with an entry for the device, and the port name that leads to it."""
    lines = LINE.findall(text)
    entries, insert_at = port_entries(lines)
    numbers = [number for number, _ in entries]
    for number, path in entries:
        # A number given twice leaves it to the reader which one counts: not trusted here.
        if 1 <= number <= LAST_PORT and numbers.count(number) == 1 and same_path(path, device):
            return text, f"COM{number}"
    free = [n for n in range(LAST_PORT, 0, -1) if n not in numbers]
    if not free:
        raise ValueError(f"every port from COM1 to COM{LAST_PORT} is taken in [PORTS]")
    name = f"COM{free[0]}"
    eol = "\r\n" if lines and lines[0].endswith("\r\n") else "\n"
    entry = f"{name}={written_value(device)}{eol}"
    at = len(lines) if insert_at is None else insert_at
    # A last line without its line end gets one before anything follows it.
    if at > 0 and not lines[at - 1].endswith("\n"):
        lines[at - 1] += eol
    if insert_at is None:
        blank = [eol] if lines and lines[-1].strip() else []
        lines += blank + [f"[PORTS]{eol}", entry]
    else:
        lines.insert(insert_at, entry)
    return "".join(lines), name


def first_run(device):
    name = "COM20"
    terminal = "".join(f"{key}={value or name}\n" for key, value in FIRST_RUN)
    return f"[TERMINAL]\n{terminal}\n[PORTS]\n{name}={written_value(device)}\n", name


def decode(content):
    # Files from the older Windows builds may be UTF-16 with a byte-order mark; they stay so.
    if content.startswith(b"\xff\xfe"):
        return content[2:].decode("utf-16-le"), lambda text: b"\xff\xfe" + text.encode("utf-16-le")
    return content.decode("utf-8", "surrogateescape"), lambda text: text.encode(
        "utf-8", "surrogateescape")


def replace_file(path, content):
    """Writes the file whole or not at all, keeping its permissions."""
    folder = os.path.dirname(os.path.abspath(path))
    fd, temporary = tempfile.mkstemp(dir=folder, prefix=".sim-settings-")
    try:
        with os.fdopen(fd, "wb") as file:
            file.write(content)
        if os.path.exists(path):
            os.chmod(temporary, os.stat(path).st_mode & 0o7777)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__.strip().splitlines()[2])
    path, device = argv[1], argv[2]
    if "\n" in device or "\r" in device:
        sys.exit("sim-settings.py: a device path cannot hold a line break")
    try:
        with open(path, "rb") as file:
            content = file.read()
    except FileNotFoundError:
        text, name = first_run(device)
        replace_file(path, text.encode("utf-8", "surrogateescape"))
        print(name)
        return
    text, encode = decode(content)
    try:
        edited, name = add_port(text, device)
    except ValueError as error:
        sys.exit(f"sim-settings.py: {path}: {error}")
    if edited != text:
        replace_file(path, encode(edited))
    print(name)


if __name__ == "__main__":
    main(sys.argv)
