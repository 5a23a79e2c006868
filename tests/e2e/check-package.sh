#!/usr/bin/env bash
# Installs the build into a scratch folder, validates the desktop files, builds the Debian
# package and checks it holds exactly what was installed, then runs the installed program:
# check-package.sh BUILD_DIR   (needs an X display for the last part: run it under with-xvfb.sh)
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tmp"
export TMPDIR=$work/tmp # cpack's dpkg-deb leaves an empty folder behind
passed=0
failed=0
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@" >"$work/out" 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $what"
        sed 's/^/    /' "$work/out"
    fi
}

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
usr=$work/root/usr
(cd "$work/root" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/installed"

check "desktop entry validates" desktop-file-validate "$usr/share/applications/org.kalvor.Kalvor.desktop"
check "metainfo validates" appstreamcli validate --no-net "$usr/share/metainfo/org.kalvor.Kalvor.metainfo.xml"
for size in 16x16 32x32 48x48 256x256; do
    check "icon $size is a $size PNG" bash -c \
        "file '$usr/share/icons/hicolor/$size/apps/org.kalvor.Kalvor.png' | grep -q 'PNG image data, ${size/x/ x }'"
done
check "scalable icon is SVG" grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/org.kalvor.Kalvor.svg"
check "manual page renders" bash -c "man -l '$usr/share/man/man1/kalvor.1' 2>/dev/null | grep -q 'pick the colour' || groff -man -Tutf8 '$usr/share/man/man1/kalvor.1' | grep -q 'pick the colour'"

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null 2>&1)
deb=$(ls "$work"/package/*.deb 2>/dev/null | head -n 1)
check "cpack built a .deb" test -n "$deb"
if [ -n "$deb" ]; then
    dpkg-deb -x "$deb" "$work/unpacked"
    (cd "$work/unpacked" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/packaged"
    check "the package holds every installed file, and only those" diff "$work/installed" "$work/packaged"
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libqt6widgets6 libqt6gui6 libqt6core6 libx11-6 libxi6 libxrandr2 libxcb1 fonts-ipafont-gothic; do
        check "package depends on $library" grep -q "$library" <<<"$depends"
    done
    recommends=$(dpkg-deb -f "$deb" Recommends)
    for part in qt6-wayland xdg-desktop-portal pipewire; do
        check "package recommends $part" grep -qw "$part" <<<"$recommends"
    done
    check "the description is not for X11 only" bash -c "dpkg-deb -f '$deb' Description | grep -q Wayland"
fi

kalvor=$usr/bin/kalvor
check "--version answers and exits 0" bash -c "'$kalvor' --version | grep -qx 'kalvor [0-9.]*'"
check "--help answers and exits 0" bash -c "'$kalvor' --help | grep -q '^Usage: kalvor'"
check "an unknown option exits 2 with usage" bash -c "'$kalvor' --frobnicate 2>&1 >/dev/null | grep -q Usage; test \${PIPESTATUS[0]} -eq 2"

# The Wayland backend is a module the installed program finds in its own library folder: here it
# gets as far as the missing portal, not "cannot be loaded".
if [ -e "$build/src/kalvor-wayland.so" ]; then
    check "the Wayland backend's module is installed in the program's library folder" \
        test -n "$(find "$usr/lib" -path '*/kalvor/kalvor-wayland.so')"
    check "the installed copy loads the Wayland backend when it is chosen" bash -c \
        "KALVOR_BACKEND=wayland DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent '$kalvor' --print 2>&1 | grep -q 'screen-sharing portal'"
fi

# An installed copy keeps its settings in the user's configuration.
export XDG_CONFIG_HOME=$work/config
"$kalvor" -style Fusion >/dev/null 2>&1 &
pid=$!
sleep 2
kill -TERM "$pid"
wait "$pid"
check "the installed copy ran and closed cleanly" test $? -eq 0
check "the installed copy saved its settings" grep -q '^Type=0' "$work/config/kalvor/Kalvor.ini"
check "nothing was written beside the installed program" test ! -e "$usr/bin/Kalvor.ini"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
