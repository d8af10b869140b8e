#!/usr/bin/env python3
"""Snapshots of a Wine prefix, and what changed between two of them.

  prefix_snapshot.py take PREFIX REGISTRY_EXPORT OUT.json [FOLDER...]
      records every file and folder under drive_c (links are not followed; the top level of each
      folder a user folder links to outside the prefix is listed instead), the top level of each
      FOLDER (the program's own, its current directory) and every key and value of a full
      registry export (regedit /E, UTF-16)
  prefix_snapshot.py compare BEFORE.json AFTER.json NOISE_BEFORE.json NOISE_AFTER.json
      prints the changes from BEFORE to AFTER as table rows: those Wine made by itself (also seen
      between the two NOISE snapshots, taken around a Wine program that does nothing), those of the
      platform's request object (its cache, cookies and history, and its settings keys), and the
      rest, which the program made; exit code 1 when there is any of the rest
"""
import json
import os
import re
import sys

# Where the platform's HTTP request object keeps its cache, cookies and history, and its settings.
REQUEST_OBJECT_FILES = re.compile(
    r"/(INetCache|INetCookies|Cookies|History|Temporary Internet Files|IECompatCache|IETldCache)(/|$)", re.I)
REQUEST_OBJECT_KEYS = re.compile(r"\\(Internet Settings|Internet Explorer)(\\|\]|$)", re.I)


def list_top_level(folder, entries, label):
    for name in os.listdir(folder):
        if name.startswith("."):
            continue
        info = os.lstat(os.path.join(folder, name))
        entries[f"({label}) " + os.path.join(folder, name)] = f"{info.st_size} bytes, mtime {info.st_mtime_ns}"


def walk_files(prefix, folders):
    drive = os.path.join(prefix, "drive_c")
    entries = {}
    outside = set()
    for folder, dirs, files in os.walk(drive):
        for name in dirs + files:
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, drive)
            if os.path.islink(path):
                target = os.path.realpath(path)
                entries[relative] = "link to " + target
                if os.path.isdir(target) and not target.startswith(os.path.realpath(prefix)):
                    outside.add(target)
                continue
            info = os.stat(path)
            entries[relative] = "folder" if os.path.isdir(path) else f"{info.st_size} bytes, mtime {info.st_mtime_ns}"
    # A program saving into the user's Documents or Desktop writes there; dot files are other programs'.
    for target in sorted(outside):
        list_top_level(target, entries, "outside")
    for folder in folders:
        list_top_level(folder, entries, "program folder")
    return entries


def read_registry(export):
    with open(export, "rb") as f:
        text = f.read().decode("utf-16")
    lines = []
    for line in text.splitlines():
        if lines and lines[-1].endswith("\\"):
            lines[-1] = lines[-1][:-1] + line.strip()
        else:
            lines.append(line)
    entries = {}
    key = None
    for line in lines:
        if line.startswith("[") and line.endswith("]"):
            key = line
            entries[key] = "key"
        elif key and "=" in line:
            name, _, value = line.partition("=")
            entries[key + " " + name] = value
    return entries


def take(prefix, export, out, folders=()):
    snapshot = {"files": walk_files(prefix, folders), "registry": read_registry(export)}
    with open(out, "w") as f:
        json.dump(snapshot, f)


def changes(before, after):
    found = []
    for name in sorted(set(before) | set(after)):
        if name not in before:
            found.append((name, "added: " + after[name]))
        elif name not in after:
            found.append((name, "removed"))
        elif before[name] != after[name]:
            found.append((name, "changed"))
    return found


# Wine names some keys after a GUID it makes afresh (the display's video key): the same change by
# Wine carries another name each time.
GUID = re.compile(r"\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\}", re.I)


def kind_of(name):
    return GUID.sub("{GUID}", name)


def short(text, limit=160):
    return text if len(text) <= limit else text[:limit] + "..."


def compare(before_path, after_path, noise_before_path, noise_after_path):
    def load(path):
        with open(path) as f:
            return json.load(f)

    before, after = load(before_path), load(after_path)
    noise_before, noise_after = load(noise_before_path), load(noise_after_path)
    program_changes = 0
    print("| area | change | whose |")
    print("|---|---|---|")
    for area, platform in (("files", REQUEST_OBJECT_FILES), ("registry", REQUEST_OBJECT_KEYS)):
        noise = {kind_of(name) for name, _ in changes(noise_before[area], noise_after[area])}
        counts = {"Wine": 0, "request object": 0}
        for name, change in changes(before[area], after[area]):
            if kind_of(name) in noise:
                whose = "Wine"
            elif platform.search(name.replace("\\", "/") if area == "files" else name):
                whose = "request object"
            else:
                whose = "PROGRAM"
                program_changes += 1
            if whose != "Wine":
                print(f"| {area} | {short(name)}: {short(change, 60)} | {whose} |")
            counts[whose] = counts.get(whose, 0) + 1
        print(f"| {area} | {counts['Wine']} changes Wine also makes by itself, {counts['request object']} of the "
              f"request object, {counts.get('PROGRAM', 0)} of the program | summary |")
    return 1 if program_changes else 0


def main(argv):
    if len(argv) >= 5 and argv[1] == "take":
        take(argv[2], argv[3], argv[4], argv[5:])
        return 0
    if len(argv) == 6 and argv[1] == "compare":
        return compare(*argv[2:])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
