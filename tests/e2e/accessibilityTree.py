#!/usr/bin/python3
"""Reads an application's accessibility tree over AT-SPI and checks that every focusable
control has a name and that no two have the same name and role, which a screen reader user
could not tell apart.

Usage: accessibilityTree.py APPLICATION [SECONDS]
Prints "focusable controls: N", then one line per fault ("unnamed: ROLE at PATH",
"duplicate: 'NAME' (ROLE) x N"). Exit status 0 when there is no fault, 1 when there are
faults, 3 when the application or its controls did not appear within SECONDS (default 60).
"""

import collections
import sys
import time

import pyatspi


def focusable_controls(node, path, controls):
    """Adds the focusable, showing controls at and below `node`. The parts of a control (the
    items of a list, the field of an editable combo box) are spoken with it and left out."""
    states = node.getState()
    if states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING):
        controls.append((node.name or "", node.getRoleName(), path))
        return controls
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            focusable_controls(child, f"{path}/{index}", controls)
    return controls


def find_controls(name, seconds):
    """The focusable controls of the application, once it shows some."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.name == name:
                controls = focusable_controls(application, application.name, [])
                if controls:
                    return controls
        time.sleep(0.5)
    return None


def main():
    name = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60
    controls = find_controls(name, seconds)
    if controls is None:
        print(f"no application '{name}' with focusable controls on the accessibility bus")
        return 3
    print(f"focusable controls: {len(controls)}")
    faults = 0
    for control_name, role, path in controls:
        if not control_name.strip():
            print(f"unnamed: {role} at {path}")
            faults += 1
    counts = collections.Counter((n, r) for n, r, _ in controls if n.strip())
    for (control_name, role), count in sorted(counts.items()):
        if count > 1:
            print(f"duplicate: '{control_name}' ({role}) x {count}")
            faults += 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
