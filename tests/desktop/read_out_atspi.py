#!/usr/bin/python3
"""Reads a running program through AT-SPI, as a screen reader does.

texts PID: a line per label that offers a text: its object path, 1 or 0
(showing), its name and its text, tab-separated.
events PID SECONDS: "listening", then a line per event of the program for
SECONDS: the event's type, the source's object path, 1 or 0 (showing).
"""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def showing(accessible):
    return "1" if accessible.get_state_set().contains(Atspi.StateType.SHOWING) else "0"


def texts(node):
    for child in filter(None, (node.get_child_at_index(i) for i in range(node.get_child_count()))):
        text = child.get_text_iface()
        if child.get_role() == Atspi.Role.LABEL and text is not None:
            content = text.get_text(0, text.get_character_count())
            print("\t".join([child.path, showing(child), child.get_name(), content]).replace("\r", "\\r"))
        texts(child)


def events(pid, seconds):
    def seen(event):
        if event.source is not None and event.source.get_process_id() == pid:
            print("\t".join([event.type, event.source.path, showing(event.source)]))

    listener = Atspi.EventListener.new(seen)
    listener.register("object:")
    print("listening", flush=True)
    GLib.timeout_add(int(seconds * 1000), Atspi.event_quit)
    Atspi.event_main()


def main():
    what, pid = sys.argv[1], int(sys.argv[2])
    for _ in range(50):  # the program registers once its bridge is up
        desktop = Atspi.get_desktop(0)
        apps = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
        app = next((a for a in apps if a is not None and a.get_process_id() == pid), None)
        if app is not None:
            break
        GLib.usleep(200000)
    else:
        sys.exit("no accessible application with process id %d" % pid)
    if what == "texts":
        texts(app)
    else:
        events(pid, float(sys.argv[3]))


if __name__ == "__main__":
    main()
