#!/usr/bin/env python3
"""Reaches Lumora's windows through its accessibility interface (AT-SPI over
D-Bus), for the end-to-end runs where no input can be sent to it from outside:
a Wayland compositor takes input from its own devices alone, and a headless
one has none.

Usage: lumora_a11y.py shown          exits 0 once the main window is showing
       lumora_a11y.py labels         prints the text of every label, one a line
       lumora_a11y.py press NAME     presses the button called NAME
       lumora_a11y.py tree           prints the whole tree (for failure reports)

The session bus is the one in DBUS_SESSION_BUS_ADDRESS; Lumora must have been
started with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the same bus. Exit status:
0 done, 1 not (yet) there, 2 usage.
"""

import sys

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
ROOT = "/org/a11y/atspi/accessible/root"
STATE_SHOWING = 25
TIMEOUT = 5  # seconds for one call


def accessibility_bus():
    session = dbus.SessionBus()
    launcher = session.get_object("org.a11y.Bus", "/org/a11y/bus", introspect=False)
    return dbus.bus.BusConnection(launcher.GetAddress(dbus_interface="org.a11y.Bus", timeout=TIMEOUT))


class Node:
    def __init__(self, bus, name, path):
        self.bus, self.name, self.path = bus, str(name), str(path)
        self.obj = bus.get_object(self.name, self.path, introspect=False)

    def call(self, method, *args, interface=ACCESSIBLE):
        return self.obj.get_dbus_method(method, interface)(*args, timeout=TIMEOUT)

    def label(self):
        return str(self.call("Get", ACCESSIBLE, "Name", interface="org.freedesktop.DBus.Properties"))

    def role(self):
        return str(self.call("GetRoleName"))

    def showing(self):
        states = self.call("GetState")
        return bool(states[STATE_SHOWING // 32] & (1 << (STATE_SHOWING % 32)))

    def children(self):
        return [Node(self.bus, name, path) for name, path in self.call("GetChildren")]

    def walk(self, depth=0):
        yield self, depth
        for child in self.children():
            yield from child.walk(depth + 1)


def lumora(bus):
    registry = Node(bus, "org.a11y.atspi.Registry", ROOT)
    for application in registry.children():
        if application.label() == "Lumora":
            return application
    return None


def main(argv):
    if len(argv) < 2 or argv[1] not in ("shown", "labels", "press", "tree") or (argv[1] == "press") != (len(argv) == 3):
        print(__doc__, file=sys.stderr)
        return 2
    command = argv[1]
    try:
        application = lumora(accessibility_bus())
        if application is None:
            return 1
        if command == "shown":
            frames = [node for node in application.children() if node.role() == "frame"]
            return 0 if any(frame.label() == "Lumora" and frame.showing() for frame in frames) else 1
        if command == "labels":
            for node, _ in application.walk():
                if node.role() == "label":
                    print(node.label())
            return 0
        if command == "tree":
            for node, depth in application.walk():
                print(f'{"  " * depth}{node.role()} "{node.label()}"')
            return 0
        for node, _ in application.walk():
            if node.role() == "push button" and node.label() == argv[2]:
                try:
                    node.call("DoAction", 0, interface="org.a11y.atspi.Action")
                except dbus.DBusException as error:
                    # Exit ends the program before it answers.
                    if error.get_dbus_name() not in ("org.freedesktop.DBus.Error.NoReply",
                                                     "org.freedesktop.DBus.Error.ServiceUnknown"):
                        raise
                return 0
        return 1
    except dbus.DBusException as error:
        print(f"lumora_a11y: {error.get_dbus_name()}: {error.get_dbus_message()}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
