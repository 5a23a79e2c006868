#!/usr/bin/python3
# Drives the KDE test session from outside, as a user would:
#   kde-desktop.py grant TOKEN output X,Y   stores a screen-cast permission for TOKEN, as the
#   kde-desktop.py grant TOKEN window UUID  dialog's "remember" would: the output at X,Y or a
#                                           window, so that a restore asks nothing
#   kde-desktop.py window CAPTION           prints the internal id of the window with that caption
#
# The portal keeps, per token, the backend's restore data (session "KDE", version 1): a Qt 5
# QDataStream of the map {"outputs": list of output ids ("XxY", the output's position),
# "windows": list of window ids (KWin's internal id, braces included)}.
import os
import struct
import sys
import time

from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(dest, path, iface, method, args=None):
    return bus.call_sync(dest, path, iface, method, args, None, Gio.DBusCallFlags.NONE, 5000, None)


def store(method, args):
    name = 'org.freedesktop.impl.portal.PermissionStore'
    return call(name, '/org/freedesktop/impl/portal/PermissionStore', name, method, args)


def qstring(text):
    raw = text.encode('utf-16-be')
    return struct.pack('>I', len(raw)) + raw


def restore_data(outputs, windows):
    # A QVariantMap is written last key first; a QVariant is its type id, a null flag, a value.
    string_list, variant_list, string = 11, 9, 10
    data = struct.pack('>I', 2)
    data += qstring('windows') + struct.pack('>IBI', string_list, 0, len(windows))
    data += b''.join(qstring(w) for w in windows)
    data += qstring('outputs') + struct.pack('>IBI', variant_list, 0, len(outputs))
    data += b''.join(struct.pack('>IB', string, 0) + qstring(o) for o in outputs)
    return data


def grant(token, kind, what):
    outputs, windows = ([what.replace(',', 'x')], []) if kind == 'output' else ([], [what])
    value = GLib.Variant('(suv)', ('KDE', 1, GLib.Variant('ay', restore_data(outputs, windows))))
    store('Set', GLib.Variant('(sbsa{sas}v)', ('screencast', True, token, {'': ['yes']}, value)))


def window_id(caption):
    # A KWin script prints what it finds; its print() goes to KWin's standard error.
    tag = 'kalvor-test-%d' % os.getpid()
    script = os.path.join(os.environ['XDG_RUNTIME_DIR'], tag + '.js')
    with open(script, 'w') as f:
        f.write('for (const w of workspace.clientList())\n'
                '    if (w.caption == %r) print(%r + " " + w.internalId);\n' % (caption, tag))
    scripting = 'org.kde.kwin.Scripting'
    number = call('org.kde.KWin', '/Scripting', scripting, 'loadScript',
                  GLib.Variant('(ss)', (script, tag))).unpack()[0]
    # KWin 5.27 puts the script at /N, later ones at /Scripting/ScriptN.
    for path in ('/%d' % number, '/Scripting/Script%d' % number):
        try:
            call('org.kde.KWin', path, 'org.kde.kwin.Script', 'run')
            break
        except GLib.Error:
            pass
    log = os.path.join(os.environ['KW_DIR'], 'kwin.log')
    found = None
    for _ in range(50):
        with open(log, errors='replace') as f:
            lines = [line.split()[-1] for line in f if tag + ' ' in line]
        if lines:
            found = lines[0]
            break
        time.sleep(0.05)
    call('org.kde.KWin', '/Scripting', scripting, 'unloadScript', GLib.Variant('(s)', (tag,)))
    os.remove(script)
    if found is None:
        sys.exit('no window with the caption %r' % caption)
    print(found)


command = sys.argv[1] if len(sys.argv) > 1 else ''
if command == 'grant' and len(sys.argv) == 5 and sys.argv[3] in ('output', 'window'):
    grant(sys.argv[2], sys.argv[3], sys.argv[4])
elif command == 'window' and len(sys.argv) == 3:
    window_id(sys.argv[2])
else:
    sys.exit('usage: kde-desktop.py grant TOKEN output X,Y | grant TOKEN window UUID | window CAPTION')
