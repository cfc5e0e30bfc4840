#!/usr/bin/python3
# A drag source of another X program for the GUI tests: a small GTK window at (x, y) that offers
# the given files as a text/uri-list drag, and quits when the drag ends.
#   drag-files.py X Y FILE...
import sys
import urllib.parse

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

x, y = int(sys.argv[1]), int(sys.argv[2])
# GTK starts no drag for URIs that are not percent-encoded.
uris = ["file://" + urllib.parse.quote(path) for path in sys.argv[3:]]

window = Gtk.Window(title="glorvak-drag-source")
window.set_default_size(120, 80)
window.move(x, y)
box = Gtk.EventBox()
box.add(Gtk.Label(label="drag me"))
window.add(box)

box.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
box.drag_source_add_uri_targets()
box.connect("drag-data-get", lambda widget, context, data, info, time: data.set_uris(uris))
box.connect("drag-end", lambda *args: Gtk.main_quit())
window.connect("destroy", Gtk.main_quit)
window.show_all()
Gtk.main()
