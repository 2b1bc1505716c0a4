#!/usr/bin/env python3
"""Prints the name of every accessible object the running Qt programs show on the
accessibility bus, one a line: a label's name is its text, so a script can read what a
window says without a screenshot. Needs the session bus that the program uses, and the
program started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. Talks to the buses with
dbus-send, which comes with the D-Bus daemon.

    atspi_names.py
"""
import re
import subprocess
import sys

# A window of the program has some hundred objects; far more means a loop in the tree.
MAX_OBJECTS = 5000

# dbus-send --print-reply writes strings and object paths unquoted inside double quotes.
STRING = re.compile(r'^\s*(?:variant\s+)?string "(.*)"$', re.M)
CHILD = re.compile(r'string "([^"]*)"\s*\n\s*object path "([^"]*)"')


def call(bus, dest, path, method, *args):
    return subprocess.run(["dbus-send", bus, "--print-reply", "--dest=" + dest, path, method, *args],
                          check=True, capture_output=True, text=True, timeout=10).stdout


def children(bus, dest, path):
    return CHILD.findall(call(bus, dest, path, "org.a11y.atspi.Accessible.GetChildren"))


def main():
    reply = call("--session", "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress")
    bus = "--bus=" + STRING.search(reply).group(1)
    pending = children(bus, "org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
    pending.reverse()
    seen = set()
    while pending:
        node = pending.pop()
        if node in seen:
            continue
        seen.add(node)
        if len(seen) > MAX_OBJECTS:
            sys.exit("atspi_names: more than %d objects" % MAX_OBJECTS)
        dest, path = node
        try:
            name = call(bus, dest, path, "org.freedesktop.DBus.Properties.Get",
                        "string:org.a11y.atspi.Accessible", "string:Name")
            below = children(bus, dest, path)
        except subprocess.CalledProcessError:
            continue  # an object that went away while the tree was read
        text = STRING.search(name)
        if text and text.group(1):
            print(text.group(1))
        # Depth first, in the children's order.
        pending.extend(reversed(below))


if __name__ == "__main__":
    main()
