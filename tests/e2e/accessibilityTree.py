#!/usr/bin/python3
"""Starts a program and reads its accessibility tree over AT-SPI: every focusable control must
have a name, and no two the same name and role, which a screen reader user could not tell
apart. Run it on a private session bus (dbus-run-session), on which at-spi2-core starts the
accessibility bus on request; DISPLAY names the X server.

Usage: accessibilityTree.py PROGRAM [SECONDS]
Prints "focusable controls: N", then one line per fault ("unnamed: ROLE at PATH",
"duplicate: 'NAME' (ROLE) x N"). Exit status 0 when there is no fault, 1 when there are
faults, 3 when the program showed no focusable control within SECONDS (default 25).
"""

import collections
import os
import subprocess
import sys
import time

import pyatspi

HERE = os.path.dirname(os.path.abspath(__file__))


def start(program):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    env.pop("QT_QPA_PLATFORM", None)
    if "ASAN_OPTIONS" in env:
        # As tests/e2e/desktopSession.cpp: the desktop libraries' faults, not the program's.
        env["ASAN_OPTIONS"] += ":strict_string_checks=0"
        env["LSAN_OPTIONS"] = "suppressions=" + os.path.join(HERE, "desktopLeaks.supp")
    return subprocess.Popen([program], env=env)


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


def find_controls(name, program, seconds):
    """The focusable controls of the application called `name`, once it shows some."""
    end = time.monotonic() + seconds
    while time.monotonic() < end and program.poll() is None:
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.name == name:
                controls = focusable_controls(application, name, [])
                if controls:
                    return controls
        time.sleep(0.5)
    return None


def report(controls):
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


def main():
    program = start(sys.argv[1])
    try:
        seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 25
        controls = find_controls(os.path.basename(sys.argv[1]), program, seconds)
        if controls is None:
            print(f"no focusable control of {sys.argv[1]} on the accessibility bus "
                  f"(program status {program.poll()})")
            return 3
        return report(controls)
    finally:
        program.kill()
        program.wait()


if __name__ == "__main__":
    sys.exit(main())
