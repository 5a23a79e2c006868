#!/usr/bin/python3
# Opens a screen cast through the desktop portal as the backend asks for one (monitors, all of
# them, the pointer as metadata, kept until revoked, restored from a token), runs a program on
# it and closes the session when the program ends:
#   portal-cast.py TOKEN_FILE PROGRAM [ARGS...]
# PROGRAM is run as PROGRAM FD NODE... ARGS...: the PipeWire remote's descriptor, the streams'
# nodes, then its own options. Exits 1 with a line when the portal refuses or does not answer.
import os
import subprocess
import sys

from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)
PORTAL, PATH = 'org.freedesktop.portal.Desktop', '/org/freedesktop/portal/desktop'
CAST = 'org.freedesktop.portal.ScreenCast'
sender = bus.get_unique_name()[1:].replace('.', '_')
serial = 0


def request(method, signature, args):
    """Calls METHOD (its options last in ARGS) and waits for its Response's results."""
    global serial
    serial += 1
    token = 'cast%d' % serial
    path = '%s/request/%s/%s' % (PATH, sender, token)
    loop = GLib.MainLoop()
    answer = {}

    def on_response(_conn, _sender, _path, _iface, _name, params):
        answer['code'], answer['results'] = params.unpack()
        loop.quit()

    sub = bus.signal_subscribe(PORTAL, 'org.freedesktop.portal.Request', 'Response', path, None,
                               Gio.DBusSignalFlags.NONE, on_response)
    args[-1]['handle_token'] = GLib.Variant('s', token)
    bus.call_sync(PORTAL, PATH, CAST, method, GLib.Variant(signature, tuple(args)), None,
                  Gio.DBusCallFlags.NONE, 20000, None)
    GLib.timeout_add_seconds(20, loop.quit)
    loop.run()
    bus.signal_unsubscribe(sub)
    if answer.get('code') != 0:
        sys.exit('portal-cast: %s answered %s' % (method, answer.get('code', 'nothing')))
    return answer['results']


token_file, program = sys.argv[1], sys.argv[2:]
with open(token_file) as f:
    restore = f.read().strip()
session = request('CreateSession', '(a{sv})',
                  [{'session_handle_token': GLib.Variant('s', 'castsession')}])['session_handle']
request('SelectSources', '(oa{sv})', [session, {
    'types': GLib.Variant('u', 1), 'multiple': GLib.Variant('b', True),
    'cursor_mode': GLib.Variant('u', 4), 'persist_mode': GLib.Variant('u', 2),
    'restore_token': GLib.Variant('s', restore)}])
started = request('Start', '(osa{sv})', [session, '', {}])
streams = started['streams']
# A token serves once: the next reader restores with the one given now.
if 'restore_token' in started:
    with open(token_file, 'w') as f:
        f.write(started['restore_token'] + '\n')
reply, fds = bus.call_with_unix_fd_list_sync(
    PORTAL, PATH, CAST, 'OpenPipeWireRemote', GLib.Variant('(oa{sv})', (session, {})), None,
    Gio.DBusCallFlags.NONE, 20000, None, None)
fd = fds.get(reply.unpack()[0])
nodes = [str(node) for node, _props in streams]
code = subprocess.call([program[0], str(fd)] + nodes + program[1:], pass_fds=[fd])
bus.call_sync(PORTAL, session, 'org.freedesktop.portal.Session', 'Close', None, None,
              Gio.DBusCallFlags.NONE, 5000, None)
os.close(fd)
sys.exit(code)
