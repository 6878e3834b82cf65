#!/usr/bin/python3
"""Reads a running program through AT-SPI, as a screen reader does.

read_out_atspi.py texts PID
    one line per label of the program that offers a text: its object path,
    whether it is showing (1 or 0), its name and its text, tab-separated
read_out_atspi.py events PID SECONDS
    prints "listening", then one line per event of the program for SECONDS:
    the event type, the source's object path and whether it is showing
"""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def quoted(text):
    return (text or "").replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def application(pid, seconds=10.0):
    """The program's accessible application, once it has registered."""
    waited = 0.0
    while waited < seconds:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_process_id() == pid:
                return app
        GLib.usleep(200000)
        waited += 0.2
    return None


def showing(accessible):
    return int(accessible.get_state_set().contains(Atspi.StateType.SHOWING))


def texts(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is None:
            continue
        text = child.get_text_iface()
        if child.get_role() == Atspi.Role.LABEL and text is not None:
            content = text.get_text(0, text.get_character_count())
            print("\t".join([child.path, str(showing(child)), quoted(child.get_name()), quoted(content)]))
        texts(child)


def events(app, seconds):
    def seen(event):
        source = event.source
        if source is not None and source.get_process_id() == app.get_process_id():
            print("\t".join([event.type, source.path, str(showing(source))]))

    listener = Atspi.EventListener.new(seen)
    listener.register("object:")
    print("listening", flush=True)
    GLib.timeout_add(int(seconds * 1000), Atspi.event_quit)
    Atspi.event_main()
    listener.deregister("object:")


def main():
    what, pid = sys.argv[1], int(sys.argv[2])
    app = application(pid)
    if app is None:
        print("no accessible application with process id %d" % pid, file=sys.stderr)
        return 2
    if what == "texts":
        texts(app)
    else:
        events(app, float(sys.argv[3]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
