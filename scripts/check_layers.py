#!/usr/bin/env python3
"""Checks that the folders of src/ include each other in one direction only:
frame -> dialogs -> applications, browse -> manager -> controlfile -> resources -> platform.
The topic-filter library (tqfltr2) is a module of its own on top of the platform layer; the
application layer reaches it through its header. The code of one operating system lives in a
folder named after it (platform/posix, platform/win32, and likewise in a layer above): only files
of that folder, and the shared headers of the platform layer that choose one by the system they
are compiled for, include its headers, so everything else compiles on every system. Prints every
include against these rules and exits with 1 when there is one."""
import pathlib
import re
import sys

BELOW = {
    "platform": set(),
    "resources": {"platform"},
    "controlfile": {"resources", "platform"},
    "manager": {"controlfile", "resources", "platform"},
    "browse": {"manager", "controlfile", "resources", "platform"},
    "applications": {"manager", "controlfile", "resources", "platform", "tqfltr2"},
    "dialogs": {"applications", "browse", "manager", "controlfile", "resources", "platform"},
    "frame": {"dialogs", "applications", "browse", "manager", "controlfile", "resources",
              "platform"},
    "tqfltr2": {"platform"},
}

src = pathlib.Path(__file__).resolve().parent.parent / "src"
include = re.compile(r'^\s*#\s*include\s+"([^/"]+)/', re.M)
system_include = re.compile(r'^\s*#\s*include\s+"[^"]*/(posix|win32)/', re.M)
SYSTEMS = {"posix", "win32"}
faults = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cc", ".c") or path.parent == src:
        continue
    folder = path.relative_to(src).parts[0]
    allowed = BELOW.get(folder)
    if allowed is None:
        faults.append(f"{path.relative_to(src)}: the folder {folder} has no place in the layers")
        continue
    text = path.read_text(encoding="utf-8", errors="replace")
    for target in include.findall(text):
        if target != folder and target not in allowed:
            faults.append(f"{path.relative_to(src)}: includes {target}/")
    own = SYSTEMS.intersection(path.relative_to(src).parts[1:-1])
    if folder == "platform" and path.parent == src / folder:
        own = SYSTEMS
    for system in system_include.findall(text):
        if system not in own:
            faults.append(f"{path.relative_to(src)}: includes a {system}/ header")
print("\n".join(faults) if faults else "layers: every include goes down")
sys.exit(1 if faults else 0)
