#!/usr/bin/env python3
"""Checks that the folders of src/ include each other in one direction only:
frame -> dialogs -> applications, browse -> manager -> controlfile -> resources -> platform.
The topic-filter library (tqfltr2) is a module of its own on top of the platform layer; the
application layer reaches it through its header. dialogs/toolkit, the toolkit glue that the
dialogs and the desktop window share, stands on the platform layer alone. Only the dialogs and
their toolkit glue include the toolkit (Qt). The hosts that reach the component as any host does
(tools/hostclient, tools/tqcustomize) include of src/ only the platform layer, the toolkit glue
and the headers cmake/Install.cmake installs. The code of one operating system lives in a folder
named after it (platform/posix, platform/win32, and likewise in a layer above): only files of that
folder, and the shared headers of the platform layer that choose one by the system they are
compiled for, include its headers, so everything else compiles on every system. Prints every
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
    "dialogs/toolkit": {"platform"},
    "dialogs": {"dialogs/toolkit", "applications", "browse", "manager", "controlfile", "resources",
                "platform"},
    "frame": {"dialogs", "dialogs/toolkit", "applications", "browse", "manager", "controlfile",
              "resources", "platform"},
    "tqfltr2": {"platform"},
}
TOOLKIT_USERS = {"dialogs", "dialogs/toolkit"}
HOSTS = ("hostclient", "tqcustomize")

root = pathlib.Path(__file__).resolve().parent.parent
src = root / "src"
include = re.compile(r'^\s*#\s*include\s+"((?:dialogs/toolkit)|[^/"]+)/([^"]*)"', re.M)
toolkit = re.compile(r'^\s*#\s*include\s+<Q', re.M)
system_include = re.compile(r'^\s*#\s*include\s+"[^"]*/(posix|win32)/', re.M)
SYSTEMS = {"posix", "win32"}


def layer(relative):
    parts = relative.parts
    return "dialogs/toolkit" if parts[:2] == ("dialogs", "toolkit") else parts[0]


def sources(folder):
    return (p for p in sorted(folder.rglob("*")) if p.suffix in (".h", ".cc", ".c"))


faults = []
for path in sources(src):
    if path.parent == src:
        continue
    folder = layer(path.relative_to(src))
    allowed = BELOW.get(folder)
    if allowed is None:
        faults.append(f"{path.relative_to(src)}: the folder {folder} has no place in the layers")
        continue
    text = path.read_text(encoding="utf-8", errors="replace")
    for target, _ in include.findall(text):
        if target != folder and target not in allowed:
            faults.append(f"{path.relative_to(src)}: includes {target}/")
    if folder not in TOOLKIT_USERS and toolkit.search(text):
        faults.append(f"{path.relative_to(src)}: includes the toolkit")
    own = SYSTEMS.intersection(path.relative_to(src).parts[1:-1])
    if folder == "platform" and path.parent == src / folder:
        own = SYSTEMS
    for system in system_include.findall(text):
        if system not in own:
            faults.append(f"{path.relative_to(src)}: includes a {system}/ header")

installed = set(re.search(r"set\(_tq_public_headers([^)]*)\)",
                          (root / "cmake/Install.cmake").read_text()).group(1).split())
for host in HOSTS:
    for path in sources(root / "tools" / host):
        for target, rest in include.findall(path.read_text(encoding="utf-8", errors="replace")):
            header = f"{target}/{rest}"
            if (src / target).is_dir() and target not in ("platform", "dialogs/toolkit") \
                    and header not in installed:
                faults.append(f"tools/{host}/{path.name}: includes {header}, which no host gets")
print("\n".join(faults) if faults else "layers: every include goes down")
sys.exit(1 if faults else 0)
