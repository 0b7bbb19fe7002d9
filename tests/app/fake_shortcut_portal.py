#!/usr/bin/python3
"""A stand-in for the desktop's GlobalShortcuts portal on a private session bus.

Takes CreateSession and BindShortcuts as the portal does (answering on the request object the
caller named), writes the shortcuts it was given to the file named on the command line, and
presses a shortcut when that file's companion FILE.press names one.
"""
import json
import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"
INTERFACE = "org.freedesktop.portal.GlobalShortcuts"


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, PATH)
        self.bus = bus
        self.record = record
        self.session = None

    def answer(self, sender, token, results):
        path = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        request = Request(self.bus, path)
        GLib.timeout_add(50, lambda: request.Response(dbus.UInt32(0), results) and False)
        return dbus.ObjectPath(path)

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss",
                         out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(1)

    @dbus.service.method(INTERFACE, in_signature="a{sv}", out_signature="o",
                         sender_keyword="sender")
    def CreateSession(self, options, sender):
        self.session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"),
                                             options["session_handle_token"])
        return self.answer(sender, options["handle_token"],
                           {"session_handle": dbus.String(self.session)})

    @dbus.service.method(INTERFACE, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        bound = {str(i): {str(k): str(v) for k, v in o.items()} for i, o in shortcuts}
        with open(self.record, "w") as f:
            json.dump(bound, f)
        GLib.timeout_add(100, self.watch)
        return self.answer(sender, options["handle_token"], {})

    def watch(self):
        press = self.record + ".press"
        if os.path.exists(press):
            with open(press) as f:
                shortcut = f.read().strip()
            os.remove(press)
            self.Activated(dbus.ObjectPath(self.session), shortcut, dbus.UInt64(0), {})
        return True

    @dbus.service.signal(INTERFACE, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, options):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    Portal(bus, sys.argv[1])
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    main()
