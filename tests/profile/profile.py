"""Writes the generated profile's files into a Wine prefix, and checks a /report CSV against them.

    profile.py make   <drive_c> <lists folder> NAME=C:\\path ...
    profile.py check  <drive_c> <lists folder> <report.csv> NAME=C:\\path ...
    profile.py remove <drive_c> <lists folder> NAME=C:\\path ...

Each list line is "<size> <path>", the path starting with a %Variable% given as NAME=folder.
junk.list holds what the shipped rules and factory settings are to find, stray-junk.list junk that
no shipped rule names (counted as present, never required), user.list the user's own files, none
of which may be listed, and links.list (where there is one) folder links "<link> -> <target>" that
the scan must never follow. Files already in the temporary folders when the profile is made count
as junk present there. "remove" takes the lists' files and links away again, so that the next
user's profile is made in the same prefix.
"""
import csv
import os
import sys


def read_list(folder, name, variables):
    rows = []
    with open(os.path.join(folder, name), encoding="utf-8") as lines:
        for line in lines:
            size, path = line.rstrip("\n").split(" ", 1)
            variable, rest = path[1:].split("%", 1)
            rows.append((variables[variable.lower()] + rest, int(size)))
    return rows


def read_links(folder, variables):
    links = []
    path = os.path.join(folder, "links.list")
    if not os.path.exists(path):
        return links
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            pair = []
            for part in line.rstrip("\n").split(" -> "):
                variable, rest = part[1:].split("%", 1)
                pair.append(variables[variable.lower()] + rest)
            links.append(tuple(pair))
    return links


def unix_path(drive_c, windows_path):
    """The host path of a C: path, each step matched to an existing one without regard to case."""
    assert windows_path[:3].upper() == "C:\\", windows_path
    current = drive_c
    for step in windows_path[3:].split("\\"):
        match = step
        if os.path.isdir(current):
            for name in os.listdir(current):
                if name.lower() == step.lower():
                    match = name
                    break
        current = os.path.join(current, match)
    return current


def files_below(drive_c, windows_folder):
    found = []
    top = unix_path(drive_c, windows_folder)
    for folder, _, names in os.walk(top):
        for name in names:
            full = os.path.join(folder, name)
            relative = os.path.relpath(full, top).replace("/", "\\")
            found.append((windows_folder + "\\" + relative, os.path.getsize(full)))
    return found


def main():
    command, drive_c, lists = sys.argv[1:4]
    rest = sys.argv[4:]
    report = rest.pop(0) if command == "check" else None
    variables = {}
    for pair in rest:
        name, folder = pair.split("=", 1)
        variables[name.lower()] = folder
    junk = read_list(lists, "junk.list", variables)
    stray = read_list(lists, "stray-junk.list", variables)
    user = read_list(lists, "user.list", variables)
    links = read_links(lists, variables)
    present = os.path.join(drive_c, "..", "profile-temp-files.list")

    if command == "remove":
        for path, _ in junk + stray + user:
            target = unix_path(drive_c, path)
            if os.path.lexists(target):
                os.remove(target)
        for link, _ in links:
            target = unix_path(drive_c, link)
            if os.path.islink(target):
                os.remove(target)
        return 0

    if command == "make":
        before = files_below(drive_c, variables["temp"]) + files_below(drive_c, variables["windir"] + "\\Temp")
        with open(present, "w", encoding="utf-8") as out:
            for path, size in before:
                out.write("%d %s\n" % (size, path))
        for path, size in junk + stray + user:
            target = unix_path(drive_c, path)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as file:
                file.truncate(size)  # sparse: the scan reads sizes, never contents
        # Wine shows a Unix symbolic link to a folder as a folder reparse point.
        for link, target in links:
            at = unix_path(drive_c, link)
            os.makedirs(os.path.dirname(at), exist_ok=True)
            os.symlink(os.path.relpath(unix_path(drive_c, target), os.path.dirname(at)), at)
        return 0

    with open(present, encoding="utf-8") as lines:
        for line in lines:
            size, path = line.rstrip("\n").split(" ", 1)
            junk.append((path, int(size)))
    with open(report, encoding="utf-8-sig", newline="") as file:
        listed = {row["Path"].lower(): row["Reason"] for row in csv.DictReader(file)}
    junk_sizes = {path.lower(): size for path, size in junk}
    stray_sizes = {path.lower(): size for path, size in stray}
    total = sum(junk_sizes.values()) + sum(stray_sizes.values())
    found = sum(size for path, size in junk_sizes.items() if path in listed)
    found += sum(size for path, size in stray_sizes.items() if path in listed)
    missed = [path for path in junk_sizes if path not in listed]
    taken = sorted(path for path, _ in user if path.lower() in listed)
    unknown = sorted(path for path in listed if path not in junk_sizes and path not in stray_sizes)
    print("junk bytes found: %d of %d (%.1f %%), %d of %d junk files" %
          (found, total, 100.0 * found / total, len(junk_sizes) - len(missed), len(junk_sizes)))
    print("user files listed: %d of %d" % (len(taken), len(user)))
    for path in missed:
        print("  junk not found: " + path)
    for path in taken:
        print("  USER FILE LISTED: %s (%s)" % (path, listed[path.lower()]))
    for path in unknown:
        print("  LISTED, NOT IN THE PROFILE'S LISTS: %s (%s)" % (path, listed[path]))
    ok = found * 100 >= total * 95 and not taken and not unknown
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
