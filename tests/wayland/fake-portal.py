#!/usr/bin/python3
# A stand-in desktop portal on a private bus, for what the headless GNOME session cannot show:
# a desktop without cursor metadata (as wlroots' portal is), the one-shot colour picker, global
# shortcuts, and a screen cast that the desktop stops. Logs each call it gets on stdout.
#   fake-portal.py wlroots|revoke|hollow-shortcuts
#     wlroots           cursor modes hidden+embedded only; PickColor answers #3366cc, then a
#                       cancel; GlobalShortcuts binds "capture" and presses it once
#     revoke            screen cast granted (restore token "granted-1"), then its session closed
#     hollow-shortcuts  GlobalShortcuts is exported but binds nothing
import sys

from gi.repository import Gio, GLib

MODE = sys.argv[1]
PATH = '/org/freedesktop/portal/desktop'
XML = '''<node>
 <interface name="org.freedesktop.portal.ScreenCast">
  <method name="CreateSession"><arg type="a{sv}" direction="in"/><arg type="o" direction="out"/></method>
  <method name="SelectSources"><arg type="o" direction="in"/><arg type="a{sv}" direction="in"/><arg type="o" direction="out"/></method>
  <method name="Start"><arg type="o" direction="in"/><arg type="s" direction="in"/><arg type="a{sv}" direction="in"/><arg type="o" direction="out"/></method>
  <method name="OpenPipeWireRemote"><arg type="o" direction="in"/><arg type="a{sv}" direction="in"/><arg type="h" direction="out"/></method>
  <property name="AvailableSourceTypes" type="u" access="read"/>
  <property name="AvailableCursorModes" type="u" access="read"/>
  <property name="version" type="u" access="read"/>
 </interface>
 <interface name="org.freedesktop.portal.Screenshot">
  <method name="PickColor"><arg type="s" direction="in"/><arg type="a{sv}" direction="in"/><arg type="o" direction="out"/></method>
  <property name="version" type="u" access="read"/>
 </interface>
 <interface name="org.freedesktop.portal.GlobalShortcuts">
  <method name="CreateSession"><arg type="a{sv}" direction="in"/><arg type="o" direction="out"/></method>
  <method name="BindShortcuts"><arg type="o" direction="in"/><arg type="a(sa{sv})" direction="in"/><arg type="s" direction="in"/><arg type="a{sv}" direction="in"/><arg type="o" direction="out"/></method>
  <signal name="Activated"><arg type="o"/><arg type="s"/><arg type="t"/><arg type="a{sv}"/></signal>
  <property name="version" type="u" access="read"/>
 </interface>
</node>'''

picks = 0
held = []  # OpenPipeWireRemote calls left unanswered


def log(*words):
    print(*words, flush=True)


def request_path(sender, options):
    return '%s/request/%s/%s' % (PATH, sender[1:].replace('.', '_'), options['handle_token'])


def session_path(sender, options):
    return '%s/session/%s/%s' % (PATH, sender[1:].replace('.', '_'), options['session_handle_token'])


def respond(conn, path, code, results, delay_ms=50):
    def emit():
        conn.emit_signal(None, path, 'org.freedesktop.portal.Request', 'Response',
                         GLib.Variant('(ua{sv})', (code, results)))
        return False
    GLib.timeout_add(delay_ms, emit)


def on_call(conn, sender, path, iface, method, params, invocation):
    global picks
    args = params.unpack()
    short = iface.rsplit('.', 1)[1]
    options = args[-1] if args and isinstance(args[-1], dict) else {}
    log('CALL %s.%s %s' % (short, method, ' '.join('%s=%s' % (k, options[k]) for k in sorted(options)
                                                   if k not in ('handle_token', 'session_handle_token'))))
    if method == 'OpenPipeWireRemote':
        held.append(invocation)  # answered never: the session closes first
        return
    req = request_path(sender, options)
    invocation.return_value(GLib.Variant('(o)', (req,)))
    if method == 'CreateSession':
        session = session_path(sender, options)
        respond(conn, req, 0, {'session_handle': GLib.Variant('s', session)})
    elif method == 'SelectSources':
        respond(conn, req, 0, {})
    elif method == 'Start':
        stream = (42, {'position': GLib.Variant('(ii)', (0, 0)), 'size': GLib.Variant('(ii)', (1280, 720))})
        respond(conn, req, 0, {'streams': GLib.Variant('a(ua{sv})', [stream]),
                               'restore_token': GLib.Variant('s', 'granted-1')})

        def close():
            conn.emit_signal(None, args[0], 'org.freedesktop.portal.Session', 'Closed',
                             GLib.Variant('(a{sv})', ({},)))
            log('CLOSED', args[0])
            return False
        GLib.timeout_add(400, close)
    elif method == 'PickColor':
        picks += 1
        if picks == 1:
            respond(conn, req, 0, {'color': GLib.Variant('(ddd)', (0.2, 0.4, 0.8))}, 200)
        else:
            respond(conn, req, 1, {}, 200)
    elif method == 'BindShortcuts':
        bound = [] if MODE == 'hollow-shortcuts' else [
            (s[0], {'description': GLib.Variant('s', s[1].get('description', '')),
                    'trigger_description': GLib.Variant('s', 'Ctrl+Alt+K')}) for s in args[1]]
        respond(conn, req, 0, {'shortcuts': GLib.Variant('a(sa{sv})', bound)})
        if bound:
            def press():
                conn.emit_signal(None, PATH, 'org.freedesktop.portal.GlobalShortcuts', 'Activated',
                                 GLib.Variant('(osta{sv})', (args[0], 'capture', 1, {})))
                log('PRESSED capture')
                return False
            GLib.timeout_add(300, press)


def on_get(conn, sender, path, iface, prop):
    if iface.endswith('ScreenCast'):
        return GLib.Variant('u', {'version': 4, 'AvailableSourceTypes': 3,
                                  'AvailableCursorModes': 3 if MODE == 'wlroots' else 7}[prop])
    return GLib.Variant('u', 1)


def on_bus(conn, name):
    node = Gio.DBusNodeInfo.new_for_xml(XML)
    for iface in node.interfaces:
        conn.register_object(PATH, iface, on_call, on_get, None)


def on_name(conn, name):
    log('READY')


Gio.bus_own_name(Gio.BusType.SESSION, 'org.freedesktop.portal.Desktop', Gio.BusNameOwnerFlags.NONE,
                 on_bus, on_name, lambda *a: sys.exit(1))
GLib.MainLoop().run()
