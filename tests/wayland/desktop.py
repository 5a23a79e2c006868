#!/usr/bin/python3
# Drives the test session's desktop from outside, as a user would:
#   desktop.py input              stdin lines "move X Y [MONITOR]" / "click" / "key CODE": pointer
#                                 and keyboard through mutter's remote-desktop API (absolute, in
#                                 that monitor's pixels; monitors by index, 0 by default; CODE an
#                                 evdev key code, pressed and released)
#   desktop.py consent [--cancel] [--timeout S]
#                                 answers the portal's screen-share dialog through
#                                 accessibility; exit 1 when no dialog showed up
#   desktop.py grant TOKEN [N]    stores a screen-cast permission for TOKEN (N monitors), as
#                                 the dialog's "Remember" would, so that a restore asks nothing
#   desktop.py scale S            sets the monitor's scale
import sys
import time

from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(dest, path, iface, method, args=None):
    return bus.call_sync(dest, path, iface, method, args, None, Gio.DBusCallFlags.NONE, 5000, None)


def pointer_input():
    rd, sc = 'org.gnome.Mutter.RemoteDesktop', 'org.gnome.Mutter.ScreenCast'
    session = call(rd, '/org/gnome/Mutter/RemoteDesktop', rd, 'CreateSession').unpack()[0]
    sid = call(rd, session, 'org.freedesktop.DBus.Properties', 'Get',
               GLib.Variant('(ss)', (rd + '.Session', 'SessionId'))).unpack()[0]
    cast = call(sc, '/org/gnome/Mutter/ScreenCast', sc, 'CreateSession',
                GLib.Variant('(a{sv})', ({'remote-desktop-session-id': GLib.Variant('s', sid)},))
                ).unpack()[0]
    # Absolute motion is relative to a stream: one per monitor, never read.
    dc = 'org.gnome.Mutter.DisplayConfig'
    monitors = call(dc, '/org/gnome/Mutter/DisplayConfig', dc, 'GetCurrentState').unpack()[1]
    streams = [call(sc, cast, sc + '.Session', 'RecordMonitor',
                    GLib.Variant('(sa{sv})', (m[0][0], {'cursor-mode': GLib.Variant('u', 0)}))
                    ).unpack()[0] for m in monitors]
    call(rd, session, rd + '.Session', 'Start')
    time.sleep(0.3)
    print('READY', flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        try:
            if words[0] == 'move':
                stream = streams[int(words[3]) if len(words) > 3 else 0]
                call(rd, session, rd + '.Session', 'NotifyPointerMotionAbsolute',
                     GLib.Variant('(sdd)', (stream, float(words[1]), float(words[2]))))
                print('MOVED %d %s %s' % (time.clock_gettime_ns(time.CLOCK_MONOTONIC),
                                          words[1], words[2]), flush=True)
            elif words[0] == 'click':
                for down in (True, False):
                    call(rd, session, rd + '.Session', 'NotifyPointerButton',
                         GLib.Variant('(ib)', (272, down)))
            elif words[0] == 'key':
                for down in (True, False):
                    call(rd, session, rd + '.Session', 'NotifyKeyboardKeycode',
                         GLib.Variant('(ub)', (int(words[1]), down)))
                print('KEYED', words[1], flush=True)
        except GLib.Error as error:
            print('ERROR', line.strip(), error.message, flush=True)
    call(rd, session, rd + '.Session', 'Stop')


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def consent(cancel, timeout):
    import pyatspi
    start = time.monotonic()
    dialog = None
    while dialog is None and time.monotonic() - start < timeout:
        try:
            desktop = pyatspi.Registry.getDesktop(0)
            for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
                if app is None or app.name != 'xdg-desktop-portal-gnome':
                    continue
                for window in (app.getChildAtIndex(j) for j in range(app.childCount)):
                    if window is not None and window.getRoleName() == 'frame' \
                            and window.name == 'Screen Share':
                        dialog = window
        except Exception:
            dialog = None
        if dialog is None:
            time.sleep(0.1)
    if dialog is None:
        print('consent: no dialog')
        return 1

    def button(label):
        return next(a for a in walk(dialog) if a.getRoleName() == 'push button' and label in a.name)

    if cancel:
        button('Cancel').queryAction().doAction(0)
        print('consent: cancelled')
        return 0
    row = next(a for a in walk(dialog) if a.getRoleName() == 'list item')
    row.parent.querySelection().selectChild(row.getIndexInParent())
    share = button('Share')
    while not share.getState().contains(pyatspi.STATE_SENSITIVE):
        if time.monotonic() - start > timeout:
            print('consent: Share stayed insensitive')
            return 2
        time.sleep(0.05)
    share.queryAction().doAction(0)
    print('consent: shared %r after %.2f s' % (row.name, time.monotonic() - start))
    return 0


def grant(token, count):
    # What the GNOME portal stores for remembered monitors of a host (non-sandboxed) app.
    now = int(time.time() * 1e6)
    monitors = [(i, 1, GLib.Variant('s', 'MetaVendor:MetaVirtualMonitor:0x%02x' % i)) for i in range(count)]
    data = GLib.Variant('(suv)', ('GNOME', 1, GLib.Variant('(xxa(uuv))', (now, now, monitors))))
    store = 'org.freedesktop.impl.portal.PermissionStore'
    call(store, '/org/freedesktop/impl/portal/PermissionStore', store, 'Set',
         GLib.Variant('(sbsa{sas}v)', ('screencast', True, token, {'': ['yes']}, data)))


def scale(value):
    dc = 'org.gnome.Mutter.DisplayConfig'
    path = '/org/gnome/Mutter/DisplayConfig'
    serial, monitors, _, _ = call(dc, path, dc, 'GetCurrentState').unpack()
    (connector, _, _, _), modes, _ = monitors[0]
    mode = next(m for m in modes if m[6].get('is-current'))
    chosen = min(mode[5], key=lambda s: abs(s - value))
    config = [(0, 0, chosen, 0, True, [(connector, mode[0], {})])]
    call(dc, path, dc, 'ApplyMonitorsConfig',
         GLib.Variant('(uua(iiduba(ssa{sv}))a{sv})', (serial, 1, config, {})))
    print('scale', chosen)


if __name__ == '__main__':
    args = sys.argv[1:]
    what = args[0] if args else ''
    if what == 'input':
        pointer_input()
    elif what == 'consent':
        wait = float(args[args.index('--timeout') + 1]) if '--timeout' in args else 15
        sys.exit(consent('--cancel' in args, wait))
    elif what == 'grant':
        grant(args[1], int(args[2]) if len(args) > 2 else 1)
    elif what == 'scale':
        scale(float(args[1]))
    else:
        print(__doc__ or 'desktop.py input|consent|grant TOKEN|scale S')
        sys.exit(2)
