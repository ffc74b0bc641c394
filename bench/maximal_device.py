#!/usr/bin/env python3
"""Writes the inputs of bench/run into a folder: the states of a maximal device and of the same
device with every setting changed, and the documents of the growth measurements."""
import json
import sys
from pathlib import Path

TITLE, PATH, PAGE, PASSWORD = 254, 259, 259, 259   # the device's field capacities, less the terminator
APPLICATIONS, HOTKEYS, PAGES = 20, 100, 13
BUILT_IN_KEYS = list(range(179, 189))              # F1 to F10


def text(letter, index, length):
    head = f"{letter}{index:03d}-"
    return (head * (length // len(head) + 1))[:length]


def state(letter, flip):
    settings = {"1": 1, "2": 1, "3": 1, "4": 0, "5": 1, "20": 1, "21": 1, "22": 1, "26": 1,
                "32": 1, "33": 1, "34": 1}
    views = {"1": 1, "20": 1, "21": 1, "22": 1, "26": 1}
    if flip:
        settings = {k: 1 - v for k, v in settings.items()}
        views = {k: 1 - v for k, v in views.items()}
    combos = [(k, 0) for k in BUILT_IN_KEYS]
    combos += [(key, mods) for mods in (2, 4, 6, 8) for key in range(65, 91)][:HOTKEYS - len(combos)]
    return {
        "settings": settings,
        "viewSettings": views,
        "password": text(letter, 0, PASSWORD),
        "applications": [{"title": text(letter, i, TITLE), "executable": text(letter, i, PATH),
                          "arguments": text(letter, i + 100, PATH),
                          "iconFile": text(letter, i + 200, PATH),
                          "runAtStartup": (i + flip) % 2, "startupDelay": i + 5 * flip}
                         for i in range(APPLICATIONS)],
        "hotkeys": [{"keyCode": key, "modifiers": mods, "action": 0, "data": 1,
                     "application": text(letter, i, PATH), "arguments": text(letter, i + 300, PATH)}
                    for i, (key, mods) in enumerate(combos)],
        "errorPages": [text(letter, i, PAGE) for i in range(PAGES)],
    }


def growth_document(base, extra, inside):
    """The base document with `extra` elements: inside our component, or in a component of its own."""
    marker = '<PARAM NAME="Admin" TYPE="NODE">'
    if inside:
        return base.replace(marker, extra + marker, 1)
    close = base.rindex("</PARAM>")
    foreign = '<PARAM NAME="Other" TYPE="COMPONENT" id="99000">' + extra + "</PARAM>"
    return base[:close] + foreign + base[close:]


def main():
    out = Path(sys.argv[1])
    if len(sys.argv) == 2:
        (out / "maximal.json").write_text(json.dumps(state("a", 0)))
        (out / "changed.json").write_text(json.dumps(state("b", 1)))
        return
    base = Path(sys.argv[2]).read_text()
    for n in (3000, 30000):
        # Small elements, so that the larger document stays below the manager's file-size limit.
        extra = "".join(f'<PARAM id="{i}"/>' for i in range(n))
        (out / f"foreign-{n}.xml").write_text(growth_document(base, extra, False))
    for n in (1000, 10000):
        extra = "".join(f'<PARAM NAME="Odd {i}" TYPE="ODD" id="{70000 + i}"/>' for i in range(n))
        (out / f"warnings-{n}.xml").write_text(growth_document(base, extra, True))


if __name__ == "__main__":
    main()
