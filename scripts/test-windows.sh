#!/usr/bin/env bash
# Cross-builds the Windows program and tests it under wine, in one wine prefix on a private
# Xvfb: the unit tests built for Windows, kalvor.exe end to end, the installer, and the settings
# file against the core's own reader and writer. Needs no display and no input.
#   scripts/test-windows.sh [BUILD_DIR]
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
. "$ROOT/scripts/windows-lib.sh"
BUILD=${1:-$ROOT/build-windows-test}
started=$SECONDS
passed=0
failed=0

pass() { passed=$((passed + 1)); echo "    ok   $*"; }
fail() { failed=$((failed + 1)); echo "    FAIL $*"; }
# expect NAME ACTUAL EXPECTED
expect() {
    if [ "$2" = "$3" ]; then pass "$1"; else fail "$1: got '$2', expected '$3'"; fi
}

step "Checking Debian packages (Windows)"
ensure_packages "${WINDOWS_BUILD_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}" || exit 1
windows_build "$BUILD" || exit 1
windows_package "$BUILD" || exit 1
built=$SECONDS

WORK=$(mktemp -d)
mkdir "$WORK/tmp"
export TMPDIR=$WORK/tmp # wine keeps its server's folder there: gone with the rest at the end
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME=${HOME:-$WORK}
export WINEARCH=win64
# wine spells Unix file names in the caller's character set: in the POSIX locale (a fresh system
# with no LANG) it cannot name a folder such as 設定🎨. C.UTF-8 is on every Debian system.
export LC_ALL=C.UTF-8
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$WORK/display" \
    2>"$WORK/xvfb.log" </dev/null &
server=$!
cleanup() {
    [ -n "${READONLY:-}" ] && chattr -i "$READONLY" 2>/dev/null
    wineserver -k 2>/dev/null
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
for _ in $(seq 200); do [ -s "$WORK/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n 1 "$WORK/display")"
unset WAYLAND_DISPLAY

step "Starting one wine prefix on $DISPLAY"
t0=$SECONDS
wineboot -i </dev/null >"$WORK/wineboot.log" 2>&1
wineserver -p # stays up for the whole run: every later start is warm
echo "    prefix ready in $((SECONDS - t0)) s"

PROBE=$BUILD/tests/win32/kalvor_probe.exe
probe() { wine "$PROBE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
field() { sed -n "s/^$1 //p" | head -n 1; } # value after a line's first word
control() { grep "^control $1 " | head -n 1; }
clipboard_text() { xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null; }

step "Unit tests built for Windows"
for test in "$BUILD"/tests/win32/tst_*.exe; do
    if out=$(wine "$test" </dev/null 2>&1 | tr -d '\r'); then
        pass "$(basename "$test"): $(echo "$out" | grep -m 1 'test cases:' | tr -s ' ')"
    else
        fail "$(basename "$test")"
        echo "$out" | sed 's/^/      /'
    fi
done

# The settings written to a full disk: a small tmpfs in a mount namespace, seen only by a
# wineserver started inside it (a fresh one, over the server folder of the prefix).
full_disk=$("$ROOT/tests/on-small-disk.sh" bash -c '
    server=${TMPDIR:-/tmp}/$(cat "$WINEPREFIX/wineserver" 2>/dev/null)
    [ -f "$WINEPREFIX/wineserver" ] || server=/tmp/.wine-$(id -u)
    mkdir -p "$server" && mount -t tmpfs -o mode=700 tmpfs "$server" || exit 77
    KALVOR_SMALL_DISK="Z:${KALVOR_SMALL_DISK//\//\\}" wine "$1" "--test-case=*full disk*" </dev/null 2>&1
    status=$?
    wineserver -k
    exit $status' _ "$BUILD/tests/win32/tst_win32_profile.exe" 2>&1 | tr -d '\r')
case $? in
0) expect "a full disk keeps the old settings file whole" \
    "$(echo "$full_disk" | grep 'test cases:' | grep -o '[0-9]* passed | [0-9]* failed')" \
    "1 passed | 0 failed" ;;
77) echo "    skip a full disk: $(echo "$full_disk" | tail -n 1)" ;;
*) fail "a full disk keeps the old settings file whole" && echo "$full_disk" | sed 's/^/      /' ;;
esac

step "kalvor.exe end to end"
APP=$WORK/portable
mkdir -p "$APP"
cp "$BUILD/kalvor.exe" "$APP/"
start_kalvor() {
    wine "$APP/kalvor.exe" </dev/null >>"$WORK/kalvor.log" 2>&1 &
    probe wait-window 30 >/dev/null
}
xsetroot -solid '#1E69D2'
xdotool mousemove 700 600
t0=$(date +%s%N)
start_kalvor
echo "    window up $(( ($(date +%s%N) - t0) / 1000000 )) ms after wine was asked"
sleep 0.3
state=$(probe controls)
expect "title" "$(echo "$state" | field title)" "Kalvor"
expect "the window stays above the others" "$(echo "$state" | field topmost)" "1"
expect "client area in pixels" "$(echo "$state" | field client)" "274 140"
expect "no maximise box, no sizing border" "$(echo "$state" | field maximizebox)" \
    "0 minimizebox 1 sizebox 0"
layout=$(echo "$state" | sed -n 's/^control \([A-Za-z]*\) \([-0-9]* [-0-9]* [0-9]* [0-9]*\) .*/\1 \2/p' |
    tr '\n' ';')
expect "controls, their places and tab order" "$layout" \
    "KalvorPicture 24 8 33 33;Static 88 8 33 17;Edit 88 24 33 18;Static 128 8 33 17;Edit 128 24 33 18;Static 168 8 33 17;Edit 168 24 33 18;Edit 88 48 113 18;KalvorFrame 16 80 241 33;KalvorStrip 16 80 241 16;ScrollBar 16 96 241 17;Button 20 4 41 41;Static 0 120 280 20;ComboBox 8 48 73 20;Button 208 48 57 17;Static 224 8 32 32;Static 0 112 17 9;KalvorLoupe 8 144 120 120;Static 136 144 130 17;Static 136 164 130 17;"
expect "texts" "$(echo "$state" | sed -n 's/.* text=\(.\+\)$/\1/p' | tr '\n' '|')" \
    "R|30|G|105|B|210|#1E69D2|採取する色にポイントして[スペース]を押して下さい|HTML色|大文字|"
expect "the format list, from the table of formats" \
    "$(echo "$state" | control ComboBox | grep -o 'items=[^ ]*')" "items=HTML色/16進数/カンマ区切り"
expect "first run: upper case on, first format" \
    "$(echo "$state" | control ComboBox | grep -o 'index=[-0-9]*') $(echo "$state" | grep -o 'check=[0-9] text=大文字')" \
    "index=0 check=1 text=大文字"
xsetroot -solid '#0A0B0C'
sleep 0.3
expect "the colour under the pointer, exact" "$(probe controls | control 'Edit 88 48' | sed 's/.*text=//')" \
    "#0A0B0C"
xsetroot -solid '#1E69D2'

# Another wine window takes the focus: wine tells keys only to its own windows.
probe focus-window 40 >"$WORK/focus.log" &
focus_pid=$!
for _ in $(seq 100); do
    target=$(xdotool search --name '^KalvorFocusTarget$' 2>/dev/null | head -n 1)
    [ -n "$target" ] && break
    sleep 0.1
done
xdotool windowfocus --sync "$target" 2>/dev/null || xdotool windowfocus "$target"
sleep 0.5
xdotool mousemove 700 600
sleep 0.2
xdotool key space
sleep 0.4
state=$(probe controls)
expect "Space in another window holds" "$(echo "$state" | control 'Button 20 4' | grep -o 'check=[0-9]')" "check=1"
expect "the capture's code on the clipboard, seen from X" "$(clipboard_text)" "#1E69D2"
xclip -o -selection clipboard -t TARGETS >"$WORK/targets" 2>/dev/null
if grep -q '^image/bmp$' "$WORK/targets" &&
    xclip -o -selection clipboard -t image/bmp >"$WORK/clip.bmp" 2>/dev/null; then
    expect "the capture's bitmap, seen from X" \
        "$(convert "$WORK/clip.bmp" -format '%w %h %[hex:p{16,16}]' info: 2>/dev/null)" "33 33 1E69D2"
else
    fail "no bitmap among the clipboard's targets: $(tr '\n' ' ' <"$WORK/targets")"
fi
xdotool key space
sleep 0.4
expect "Space again samples" "$(probe controls | control 'Button 20 4' | grep -o 'check=[0-9]')" "check=0"

# Thirty quick taps, a tick apart at most: every one toggles, so 15 more captures (16 in all)
# and the scroll bar reaches 2.
xsetroot -solid '#FF8000'
for _ in $(seq 30); do
    xdotool key space
    sleep 0.25
done
sleep 0.4
state=$(probe controls)
expect "30 quick taps: back to sampling" "$(echo "$state" | control 'Button 20 4' | grep -o 'check=[0-9]')" "check=0"
expect "30 quick taps: 16 swatches in all" "$(echo "$state" | control ScrollBar | grep -o 'enabled=[01].*max=[0-9]*' | sed 's/ tabstop=[01]//')" \
    "enabled=1 pos=0 max=2"
probe close-focus >/dev/null
wait "$focus_pid"
expect "the Space presses still reached the focused window" \
    "$(field space-presses-received <"$WORK/focus.log")" "32"

# A click on the first swatch shows and copies its colour again.
origin=$(echo "$state" | field origin)
ox=${origin% *}
oy=${origin#* }
xdotool mousemove $((ox + 16 + 8)) $((oy + 80 + 8)) click 1
sleep 0.4
expect "a swatch click copies the swatch's colour" "$(clipboard_text)" "#1E69D2"

# Options and position, then the close box: the settings file's bytes.
probe select-format 2 >/dev/null
xdotool mousemove $((ox + 208 + 6)) $((oy + 48 + 8)) click 1
sleep 0.3
xdotool mousemove 700 600
sleep 0.3
state=$(probe controls)
expect "upper case off by a click, comma format chosen" \
    "$(echo "$state" | control 'Button 208' | grep -o 'check=[0-9]') $(echo "$state" | control 'Edit 88 48' | sed 's/.*text=//')" \
    "check=0 255,128,0"
probe move 150 120 >/dev/null
probe close >/dev/null
expect "the settings file after the close box" "$(od -An -c "$APP/Kalvor.ini" | tr -s ' ' | tr -d '\n')" \
    "$(printf '[Position]\r\nLeft=2250\r\nTop=1800\r\n[Output]\r\nUpperCase=0\r\nType=2\r\n[Loupe]\r\nVisible=0\r\nZoom=8\r\nSample=1\r\n[Colour]\r\nSpace=0\r\n[History]\r\nKeep=0\r\n' | od -An -c | tr -s ' ' | tr -d '\n')"

start_kalvor
sleep 0.3
state=$(probe controls)
expect "a restart restores position and options" \
    "$(echo "$state" | field frame | cut -d' ' -f1-2) $(echo "$state" | control ComboBox | grep -o 'index=[-0-9]*') $(echo "$state" | control 'Button 208' | grep -o 'check=[0-9]')" \
    "150 120 index=2 check=0"
probe select-format 1 >/dev/null
probe end-session >/dev/null
expect "the session's end saves like the close box" "$(sed -n 's/^Type=\(.*\)\r$/\1/p' "$APP/Kalvor.ini")" "1"

# Portable copies in folders named in other scripts keep their settings beside them.
for name in "Café" "設定🎨"; do
    mkdir -p "$WORK/$name"
    cp "$BUILD/kalvor.exe" "$WORK/$name/"
    printf '[Position]\r\nLeft=1500\r\nTop=750\r\n' >"$WORK/$name/Kalvor.ini"
    wine "$WORK/$name/kalvor.exe" </dev/null >>"$WORK/kalvor.log" 2>&1 &
    probe wait-window 30 >/dev/null
    at=$(probe controls | field frame | cut -d' ' -f1-2)
    probe move 200 60 >/dev/null
    probe close >/dev/null
    expect "a portable copy in $name reads and saves the file beside it" \
        "$at $(tr -d '\r' <"$WORK/$name/Kalvor.ini" | grep -c '^Left=3000$')" "100 50 1"
done

# A settings file it may not write: a close says so in a message box once the window has gone
# (its notice goes with the window), an ended session does not wait on one.
mkdir -p "$WORK/unsaved"
cp "$BUILD/kalvor.exe" "$WORK/unsaved/"
printf '[Output]\r\nType=1\r\n' >"$WORK/unsaved/Kalvor.ini"
chmod a-w "$WORK/unsaved/Kalvor.ini"
unsaved="Kalvor: settings not saved to $(winepath -w "$WORK/unsaved/Kalvor.ini" 2>/dev/null): it is read-only"
wine "$WORK/unsaved/kalvor.exe" </dev/null >"$WORK/unsaved.log" 2>&1 &
probe wait-window 30 >/dev/null
probe close >/dev/null
expect "a close that cannot save: a message box after the window has gone, and standard error" \
    "$(probe message-box 10) | $(sleep 0.5; tr -d '\r' <"$WORK/unsaved.log")" \
    "message $unsaved | ${unsaved/Kalvor:/kalvor:}"
wine "$WORK/unsaved/kalvor.exe" </dev/null >"$WORK/unsaved.log" 2>&1 &
probe wait-window 30 >/dev/null
probe end-session >/dev/null
expect "the session's end: no message box, standard error only" \
    "$(probe message-box 2) | $(tr -d '\r' <"$WORK/unsaved.log")" "message none | ${unsaved/Kalvor:/kalvor:}"

# A file the Linux program wrote (UTF-8, no byte-order mark, a Japanese comment), LF or CRLF,
# on a Japanese system (code page 932): read as it is, and saved with only the values changed.
if japanese_locale "$WORK/locale"; then
    mkdir -p "$WORK/japanese"
    cp "$BUILD/kalvor.exe" "$WORK/japanese/"
    linux_file='; Linux で書いた設定\n[Position]\nLeft=1500\nTop=750\n[Output]\nUpperCase=0\nType=2\n[Loupe]\nVisible=0\nZoom=8\nSample=1\n'
    for ends in '\n' '\r\n'; do
        # shellcheck disable=SC2059
        printf "${linux_file//\\n/$ends}" >"$WORK/japanese/Kalvor.ini"
        LOCPATH="$WORK/locale" LC_ALL=ja_JP.UTF-8 wine "$WORK/japanese/kalvor.exe" </dev/null \
            >>"$WORK/kalvor.log" 2>&1 &
        probe wait-window 30 >/dev/null
        at=$(probe controls | field frame | cut -d' ' -f1-2)
        probe move 200 60 >/dev/null
        probe close >/dev/null
        # shellcheck disable=SC2059
        expect "code page 932, a UTF-8 file with $( [ "$ends" = '\n' ] && echo LF || echo CRLF): read, and saved byte for byte" \
            "$at $(od -An -tx1 "$WORK/japanese/Kalvor.ini" | tr -d ' \n')" \
            "100 50 $(printf "${linux_file//\\n/$ends}[Colour]${ends}Space=0${ends}[History]${ends}Keep=0${ends}" | sed 's/Left=1500/Left=3000/; s/Top=750/Top=900/' | od -An -tx1 | tr -d ' \n')"
    done
else
    echo "    skip code page 932: no ja_JP.UTF-8 locale can be made here"
fi

# A program folder nobody may write in (as under Program Files): the settings go to
# %APPDATA%\Kalvor, here of a user whose name is not ASCII. Root writes anyway where the mode
# forbids it, so for root the folder is made immutable.
READONLY="$WORK/readonly"
mkdir -p "$READONLY"
cp "$BUILD/kalvor.exe" "$READONLY/"
if [ "$(id -u)" -eq 0 ]; then chattr +i "$READONLY"; else chmod a-w "$READONLY"; fi
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
user_dir="$WINEPREFIX/drive_c/users/Zoë 山田"
mkdir -p "$user_dir/AppData/Roaming"
wine reg add "$shell_folders" /v AppData /t REG_EXPAND_SZ /d 'C:\users\Zoë 山田\AppData\Roaming' /f \
    </dev/null >/dev/null 2>&1
wine "$READONLY/kalvor.exe" </dev/null >>"$WORK/kalvor.log" 2>&1 &
probe wait-window 30 >/dev/null
probe move 200 60 >/dev/null
probe close >/dev/null
expect "a read-only program folder keeps the settings in %APPDATA%\\Kalvor of user Zoë 山田" \
    "$(tr -d '\r' <"$user_dir/AppData/Roaming/Kalvor/Kalvor.ini" 2>/dev/null | grep -c '^Left=3000$') $(ls "$READONLY")" \
    "1 kalvor.exe"
wine reg add "$shell_folders" /v AppData /t REG_EXPAND_SZ /d '%USERPROFILE%\AppData\Roaming' /f \
    </dev/null >/dev/null 2>&1
if [ "$(id -u)" -eq 0 ]; then chattr -i "$READONLY"; else chmod u+w "$READONLY"; fi

# 144 DPI: the window scales, the pixel read stays exact.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f </dev/null >/dev/null 2>&1
start_kalvor
sleep 0.3
state=$(probe controls)
expect "at 144 DPI the client area scales by 1.5" "$(echo "$state" | field client)" "411 210"
expect "at 144 DPI the colour is still exact" "$(echo "$state" | control 'Edit 132 72' | sed 's/.*text=//')" "ff8000"
xdotool windowfocus --sync "$(xdotool search --name '^Kalvor$' | head -n 1)" 2>/dev/null
xdotool key shift+F10 # the preview's menu from the keyboard; its first entry shows the loupe
sleep 0.4
xdotool key Down Return
sleep 0.4
expect "at 144 DPI the loupe panel scales too" \
    "$(probe controls | sed -n -e 's/^client //p' -e 's/^control KalvorLoupe \([0-9 ]*\) \(visible=.\).*/\1 \2/p' | tr '\n' ' ')" \
    "411 402 12 216 180 180 visible=1 "
expect "at 144 DPI a pixel is 10 twips: the stored place, and the place saved" \
    "$(echo "$state" | field frame | cut -d' ' -f1-2) $(probe close >/dev/null; tr -d '\r' <"$APP/Kalvor.ini" | grep -E '^(Left|Top)=' | tr '\n' ' ')" \
    "225 180 Left=2250 Top=1800 "
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f </dev/null >/dev/null 2>&1
sed -i 's/^Visible=1\r$/Visible=0\r/' "$APP/Kalvor.ini"

step "kalvor.exe --print and --capture"
# kalvor_cli ARGS...: "exit status|standard output|standard error's lines"
kalvor_cli() {
    wine "$APP/kalvor.exe" "$@" </dev/null >"$WORK/cli.out" 2>"$WORK/cli.err"
    echo "$?|$(tr -d '\r' <"$WORK/cli.out")|$(tr -d '\r' <"$WORK/cli.err" | tr '\n' '~')"
}
held() { probe windows | sed -n "s/^$1 held=//p"; }
xsetroot -solid '#1E69D2'
xdotool mousemove 700 600
stored=$(cksum <"$APP/Kalvor.ini")
printed=
for options in "" "--format html" "--format=html --upper" "--format hex --upper" "--lower --format rgb" \
    "--format hsl" "--format=hsv" "--format oklch --lower"; do
    # shellcheck disable=SC2086
    printed+="$(kalvor_cli --print $options);"
done
expect "--print: the stored hex, lower case; html; HTML upper; hex upper; rgb; hsl; hsv; oklch" \
    "$printed" "0|1e69d2|;0|#1e69d2|;0|#1E69D2|;0|1E69D2|;0|30,105,210|;0|hsl(215 75% 47%)|;\
0|hsv(215 86% 82%)|;0|oklch(0.537 0.177 258.3)|;"
expect "--print leaves the settings file as it was" "$(cksum <"$APP/Kalvor.ini")" "$stored"
mkdir -p "$WORK/noformat" && cp "$APP/kalvor.exe" "$WORK/noformat/" &&
    printf '[Output]\r\nUpperCase=0\r\nType=-1\r\n' >"$WORK/noformat/Kalvor.ini"
expect "--print with no format stored: HTML" \
    "$(wine "$WORK/noformat/kalvor.exe" --print </dev/null 2>/dev/null | tr -d '\r')" "#1e69d2"
expect "misuse: exit 2, the reason, then the usage" \
    "$(kalvor_cli --capture --upper | cut -d'~' -f1-2)" \
    "2||kalvor: --capture takes no --print options~Usage: kalvor [--help] [--version]"
# The words --format takes are the table's: whatever follows "rgb" may grow.
refused() { kalvor_cli --print "$@" | cut -d'~' -f1 | sed 's/takes html, hex, rgb, [^\x27]*not/takes html, hex, rgb, ... not/'; }
expect "bad --format values: exit 2 and the reason, no crash" \
    "$(refused --format);$(refused --format hexx);$(refused --format=)" \
    "2||kalvor: --format takes html, hex, rgb, ... not '';2||kalvor: --format takes html, hex, rgb, ... not 'hexx';2||kalvor: --format takes html, hex, rgb, ... not ''"
expect "--version" "$(kalvor_cli --version)" "0|kalvor $(sed -n 's/^project(Kalvor VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")|"
# Redirected to NUL from a console's command line: the text goes there, not to that console.
exe=$(winepath -w "$APP/kalvor.exe" 2>/dev/null)
# A terminal of its own (script) gives cmd a console, which the program could attach to.
in_console() {
    script -qec "wine cmd /c '$1'" /dev/null </dev/null 2>&1 | tr -d '\r' |
        sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr '\n' '~'
}
expect "in a console: --version shows; --version >NUL, --print >NUL, misuse 2>NUL show nothing" \
    "$(in_console "$exe --version" | cut -c1-7);$(in_console "$exe --version > NUL");$(in_console "$exe --print > NUL");$(in_console "$exe --capture --upper 2>NUL")" \
    "kalvor ;;;"
# The code not written (a full disk, standard output closed): exit 1 and why. Called with its
# standard output redirected, it answers on 3.
unwritten() {
    wine "$APP/kalvor.exe" --print </dev/null 2>"$WORK/cli.err"
    echo "$?|$(tr -d '\r' <"$WORK/cli.err" | cut -d: -f1-2)" >&3
}
expect "--print to a full disk, or with standard output closed: exit 1, and why" \
    "$(unwritten 3>&1 >/dev/full);$(unwritten 3>&1 >&-)" \
    "1|kalvor: cannot write the code;1|kalvor: cannot write the code"

# Two copies: the first started takes --capture; the second takes over when it quits.
start_kalvor
first=$(probe windows | cut -d' ' -f1)
wine "$APP/kalvor.exe" </dev/null >>"$WORK/kalvor.log" 2>&1 &
for _ in $(seq 100); do [ "$(probe windows | wc -l)" -eq 2 ] && break; sleep 0.1; done
second=$(probe windows | cut -d' ' -f1 | grep -v "^$first$")
sleep 0.3
expect "--capture: exit 0, the first copy holds and copies, the second samples on" \
    "$(kalvor_cli --capture) $(sleep 0.4; held "$first") $(held "$second") $(clipboard_text)" \
    "0|| 1 0 1e69d2"
expect "a second --capture releases the hold" "$(kalvor_cli --capture) $(sleep 0.4; held "$first")" "0|| 0"
# Four requests back to back, within one tick: each one toggles, none is lost. One a tick,
# and two of those ticks are held ones (200 ms): give them well over half a second.
expect "four quick requests: all taken, four toggles (two captures)" \
    "$(probe capture 4) $(sleep 1.5; held "$first")" "taken 1 1 1 1 0"
# A clipboard another program holds: a quarter second is waited out; three seconds are told.
[ "$(held "$first")" = 1 ] && kalvor_cli --capture >/dev/null # back to sampling
xsetroot -solid '#0A0B0C'
sleep 0.2
probe hold-clipboard 250 >/dev/null &
holder=$!
sleep 0.1
expect "a clipboard busy for 250 ms still gets the code" \
    "$(kalvor_cli --capture) $(sleep 0.8; clipboard_text)" "0|| 0a0b0c"
wait "$holder"
kalvor_cli --capture >/dev/null
probe hold-clipboard 3000 >/dev/null &
holder=$!
sleep 0.1
expect "a clipboard busy for longer: the window says so" \
    "$(kalvor_cli --capture) $(sleep 1; probe notice)" \
    "0|| notice Kalvor: the clipboard is busy (another program holds it): nothing copied"
wait "$holder"
kalvor_cli --capture >/dev/null
xsetroot -solid '#1E69D2'
garbage=$(probe channel-garbage)
expect "what is no request, or a request from no sender, is refused at once and captures nothing" \
    "$(echo "$garbage" | field answers) $(sleep 0.4; held "$first") $(held "$second")" \
    "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"
echo "    garbage to both channels answered in $(echo "$garbage" | field ms) ms"
probe close "$first" >/dev/null
sleep 0.6
expect "the first copy gone, the second takes --capture" \
    "$(kalvor_cli --capture) $(sleep 0.4; held "$second")" "0|| 1"
probe close "$second" >/dev/null
expect "no running copy: exit 1, one line on standard error" \
    "$(kalvor_cli --capture)" "1||kalvor: no running copy of Kalvor in this session~"

step "kalvor.exe --print --space: through the monitor's colour profile"
# near A B: whether two #RRGGBB codes are within 1 per channel.
near() {
    local i d
    for i in 1 3 5; do
        d=$((16#${1:i:2} - 16#${2:i:2}))
        [ "${d#-}" -le 1 ] || { echo "no: $1 against $2"; return; }
    done
    echo yes
}
xsetroot -solid '#8040C8'
xdotool mousemove 700 600
colour_folder="$WINEPREFIX/drive_c/windows/system32/spool/drivers/color"
mntr='HKLM\Software\Microsoft\Windows NT\CurrentVersion\ICM\mntr'
expect "no profile of its own (the system's sRGB): device values either way" \
    "$(kalvor_cli --print --format html --upper --space device);$(kalvor_cli --print --format html --upper --space srgb)" \
    "0|#8040C8|;0|#8040C8|"
cp /usr/share/color/icc/colord/AdobeRGB1998.icc "$colour_folder/"
wine reg add "$mntr" /v AdobeRGB1998.icc /t REG_SZ /d '' /f </dev/null >/dev/null 2>&1
reference=$(printf '128 64 200\n' |
    transicc -i /usr/share/color/icc/colord/AdobeRGB1998.icc -o '*sRGB' -t1 -n 2>/dev/null |
    awk '{ for (i = 1; i <= 3; i++) { v = int($i + 0.5); v = v < 0 ? 0 : v > 255 ? 255 : v;
                                      printf "%02X", v } }')
srgb=$(kalvor_cli --print --format html --upper --space srgb)
expect "Adobe RGB (1998) registered for the monitor: --space srgb within 1 of transicc's #$reference" \
    "${srgb%%|#*}|$(near "$(echo "$srgb" | cut -d'|' -f2)" "#$reference")" "0|yes"
expect "Adobe RGB (1998) registered: --space device, and the window's stored device values" \
    "$(kalvor_cli --print --format html --upper --space device);$(kalvor_cli --print --format html --upper)" \
    "0|#8040C8|;0|#8040C8|"
wine reg delete "$mntr" /v AdobeRGB1998.icc /f </dev/null >/dev/null 2>&1
expect "the profile unregistered: --space srgb gives the device value again" \
    "$(kalvor_cli --print --format html --upper --space srgb)" "0|#8040C8|"

step "The history: --history, kept in Kalvor.gpl, the swatch's tooltip; --contrast"
KEPT=$WORK/kept
mkdir -p "$KEPT" && cp "$BUILD/kalvor.exe" "$KEPT/"
# kept_cli ARGS...: as kalvor_cli, for the copy in $KEPT, its output's lines joined by '~'
kept_cli() {
    wine "$KEPT/kalvor.exe" "$@" </dev/null >"$WORK/cli.out" 2>"$WORK/cli.err"
    echo "$?|$(tr -d '\r' <"$WORK/cli.out" | tr '\n' '~')|$(tr -d '\r' <"$WORK/cli.err" | tr '\n' '~')"
}
palette_colours() { grep -E '^ *[0-9]+ +[0-9]+ +[0-9]+' | awk '{printf "%s %s %s;", $1, $2, $3}'; }
# capture COLOUR: the colour under the pointer held and captured by --capture, then let go
capture() {
    xsetroot -solid "$1"
    sleep 0.3
    kept_cli --capture >/dev/null
    sleep 0.4
    [ "${2:-}" = hold ] || { kept_cli --capture >/dev/null; sleep 0.4; }
}
expect "--history with no window and nothing kept: exit 1 and why" \
    "$(kept_cli --history --format gpl | sed 's/, and there is no .*Kalvor.gpl~$/, and there is no Kalvor.gpl/')" \
    "1||kalvor: no Kalvor runs in this session, and there is no Kalvor.gpl"
wine "$KEPT/kalvor.exe" </dev/null >>"$WORK/kalvor.log" 2>&1 &
probe wait-window 30 >/dev/null
xdotool mousemove 700 600
expect "--history of a window with no colours: exit 1 and why" "$(kept_cli --history)" \
    "1||kalvor: the running Kalvor has no colours in its history~"
capture '#1E69D2'
capture '#FFFFFF'
capture '#0A0B0C'
expect "three captures: --history --format gpl, a GIMP palette of the three in order" \
    "$(kept_cli --history --format gpl | cut -d'|' -f1,2 | tr '~' '\n' | sed -n '1,2p' | tr '\n' ' ')$(
        wine "$KEPT/kalvor.exe" --history --format gpl </dev/null 2>/dev/null | palette_colours)" \
    "0|GIMP Palette Name: Kalvor 30 105 210;255 255 255;10 11 12;"
expect "--history: the window's format, one code a line" "$(kept_cli --history)" \
    "0|#1E69D2~#FFFFFF~#0A0B0C~|"
wine "$KEPT/kalvor.exe" --history --format ase </dev/null >"$WORK/history.ase" 2>/dev/null
# 12 bytes of head, then a block of 42 a colour: its type and length, the name's 8 UTF-16
# units with the zero, "RGB ", three floats and the colour's type.
expect "--history --format ase to a file: the binary whole, three colour blocks" \
    "$(head -c 12 "$WORK/history.ase" | od -An -tx1 | tr -d ' \n') $(wc -c <"$WORK/history.ase")" \
    "415345460001000000000003 138"
# Exports by the strip's menu, its second entry, one of each type: each as --history writes that
# format (the plain text: its default).
origin=$(probe controls | field origin)
ox=${origin% *}
oy=${origin#* }
# strip_menu X KEYS...: the strip's menu at X in the strip, then the keys
strip_menu() {
    xdotool mousemove $((ox + 16 + $1)) $((oy + 80 + 8)) click 3
    shift
    sleep 0.4
    xdotool key "$@"
    sleep 0.4
}
mkdir -p "$WORK/exports"
exports=
type=0
for word in gpl css json ase ""; do
    strip_menu 150 Down Down Return
    probe save-as "$(winepath -w "$WORK/exports")\\export$type.${word:-txt}" "$type" >/dev/null
    sleep 0.6
    wine "$KEPT/kalvor.exe" --history ${word:+--format $word} </dev/null >"$WORK/history.out" 2>/dev/null
    file=$(ls "$WORK/exports" | grep "^export$type" | head -n 1)
    if [ -n "$file" ] && cmp -s "$WORK/exports/$file" "$WORK/history.out"; then exports+="$file "; else exports+="($file differs) "; fi
    type=$((type + 1))
done
xdotool mousemove 700 600
expect "the export dialog writes each type as --history does" "$exports" \
    "export0.gpl export1.css export2.json export3.ase export4.txt "
expect "keeping off: nothing written" "$(ls "$KEPT")" "kalvor.exe"

# Keeping on by the strip's menu, its first entry: the file at once, then kept at the close.
strip_menu 150 Down Return
expect "keeping on by the strip's menu: Kalvor.gpl holds the three" \
    "$(palette_colours <"$KEPT/Kalvor.gpl" 2>/dev/null)" "30 105 210;255 255 255;10 11 12;"
probe close >/dev/null
expect "[History] Keep=1 after the close" "$(tr -d '\r' <"$KEPT/Kalvor.ini" | grep -A1 '^\[History\]' | tr '\n' ' ')" \
    "[History] Keep=1 "
expect "no window: --history reads the kept file" "$(kept_cli --history --format hex)" \
    "0|1E69D2~FFFFFF~0A0B0C~|"
wine "$KEPT/kalvor.exe" </dev/null >>"$WORK/kalvor.log" 2>&1 &
probe wait-window 30 >/dev/null
xdotool mousemove 700 600
swatches=
for i in 0 1 2; do
    xdotool mousemove $((ox + 18 + 17 * i + 8)) $((oy + 80 + 8)) click 1
    sleep 0.4
    swatches+="$(clipboard_text) "
done
xdotool mousemove 700 600
expect "a restart shows the three swatches: each click copies its colour" "$swatches" \
    "#1E69D2 #FFFFFF #0A0B0C "
capture '#767676' hold
expect "a fourth capture adds its line to Kalvor.gpl" \
    "$(palette_colours <"$KEPT/Kalvor.gpl") $(tail -n 1 "$KEPT/Kalvor.gpl" | tr '\t' ' ')" \
    "30 105 210;255 255 255;10 11 12;118 118 118; 118 118 118 #767676"
# Held #767676 over the white swatch: its tooltip tells the contrast.
xdotool mousemove $((ox + 18 + 17 + 8)) $((oy + 80 + 8))
sleep 0.3
xdotool mousemove $((ox + 18 + 17 + 6)) $((oy + 80 + 7))
sleep 1.5
expect "the white swatch's tooltip, #767676 held: the contrast" "$(probe notice | tr '\n' '|')" \
    "notice #FFFFFF|#767676 の文字と: 4.54:1  AA 合格  AAA 不合格|APCA Lc 71.6|"
strip_menu 10 Down Down Down Return # over the first swatch: its third, "この色を削除"
expect "removing the first swatch asks nothing; the file follows" \
    "$(palette_colours <"$KEPT/Kalvor.gpl")" "255 255 255;10 11 12;118 118 118;"
strip_menu 150 Down Down Down Return # past the swatches: its third, "履歴を消去"
expect "clearing asks first; no keeps them" \
    "$(probe question no) $(sleep 0.4; palette_colours <"$KEPT/Kalvor.gpl")" \
    "question 確認|履歴をすべて消去しますか？|はい(&Y)|いいえ(&N) 255 255 255;10 11 12;118 118 118;"
strip_menu 150 Down Down Down Return
expect "yes clears the strip and the file" \
    "$(probe question yes >/dev/null; sleep 0.4; kept_cli --history; palette_colours <"$KEPT/Kalvor.gpl")" \
    "1||kalvor: the running Kalvor has no colours in its history~"
xdotool mousemove 700 600
probe close >/dev/null
expect "--history --format ase refuses the console" \
    "$(script -qec "wine '$KEPT/kalvor.exe' --history --format ase" /dev/null </dev/null 2>&1 | grep -ao 'kalvor: [^[:cntrl:]]*')" \
    "kalvor: --format ase is binary: send it to a file or a pipe, not the console"
expect "--contrast #767676 #FFFFFF: 4.54:1, AA" "$(kept_cli --contrast '#767676' '#FFFFFF')" \
    "0|#767676 on #FFFFFF~WCAG 2 contrast ratio 4.54:1: AA pass, AAA fail (normal text)~APCA Lc 71.6~|"

step "The loupe and the averaged sample, on a pattern that encodes each pixel's place"
expect "--help tells --average" "$(kalvor_cli --help | grep -c -e '--average 1|3|5\]' -e '--average N ')" "2"
wine "$PROBE" pattern 300 >"$WORK/pattern.log" 2>/dev/null &
pattern=$!
for _ in $(seq 100); do grep -q shown "$WORK/pattern.log" && break; sleep 0.1; done
xdotool mousemove 600 400
sed -i 's/^Sample=[0-9]*\r$/Sample=5\r/' "$APP/Kalvor.ini"
printed=
for side in 1 3 5 ""; do
    printed+="$(kalvor_cli --print --format hex --lower ${side:+--average $side} | cut -d'|' -f2) "
done
expect "--print --average 1, 3, 5 and the stored 5: the pixel, then the rounded means around it" \
    "$printed" "$(for side in 1 3 5 5; do echo -n "$(probe pattern-mean 600 400 $side) "; done)"

# [Loupe] Visible=1: the panel from the start; the blocks read off the window's pixels.
sed -i -e 's/^Visible=0\r$/Visible=1\r/' -e 's/^Sample=[0-9]*\r$/Sample=1\r/' "$APP/Kalvor.ini"
start_kalvor
sleep 0.3
state=$(probe controls)
expect "[Loupe] Visible=1: the panel below the others, the client area 128 pixels taller" \
    "$(echo "$state" | field client) $(echo "$state" | control KalvorLoupe | cut -d' ' -f3-7)" \
    "274 268 8 144 120 120 visible=1"
blocks=
for at in "600 400" "0 0" "1023 767"; do
    # shellcheck disable=SC2086
    xdotool mousemove $at
    sleep 0.4
    # shellcheck disable=SC2086
    blocks+="$(probe loupe $at 8);"
done
expect "the loupe's blocks are the screen's pixels around the pointer; past the corners, hatched" \
    "$blocks" "match 225/225 hatched 0/0;match 64/64 hatched 161/161;match 64/64 hatched 161/161;"

# The wheel over the loupe, five notches out; the preview's menu: Down to its tenth entry,
# "3×3 平均".
origin=$(echo "$state" | field origin)
ox=${origin% *}
oy=${origin#* }
# The right button on the middle of the preview, and time for its menu to open.
preview_menu() {
    xdotool mousemove $((ox + 24 + 16)) $((oy + 8 + 16)) click 3
    sleep 0.4
}
xdotool mousemove $((ox + 8 + 60)) $((oy + 144 + 60))
for _ in 1 2 3 4 5; do
    xdotool click 5
    sleep 0.1
done
preview_menu
xdotool key Down Down Down Down Down Down Down Down Down Down Return
xdotool mousemove 600 400
sleep 0.5
state=$(probe controls)
expect "zoomed out to 3 by the wheel, 3×3 from the menu (no hold): the blocks, the code and the texts" \
    "$(probe loupe 600 400 3) $(echo "$state" | control 'Edit 88 48' | sed 's/.*text=#*//' | tr 'A-F' 'a-f') $(echo "$state" | control 'Button 20 4' | grep -o 'check=[0-9]') $(echo "$state" | sed -n 's/.*Static 136 1[46]4 .*text=//p' | tr '\n' '|')" \
    "match 1521/1521 hatched 0/0 $(probe pattern-mean 600 400 3) check=0 600, 400|3 倍  3×3 平均|"

# Hidden by the menu's first entry, shown again by Shift+F10's: the frame shrinks and grows at
# the bottom only.
read -r fx fy fw fh <<<"$(echo "$state" | field frame)"
preview_menu
xdotool key Down Return
sleep 0.4
hidden=$(probe controls)
xdotool windowfocus --sync "$(xdotool search --name '^Kalvor$' | head -n 1)" 2>/dev/null
xdotool key shift+F10
sleep 0.4
xdotool key Down Return
sleep 0.4
shown=$(probe controls)
expect "hidden: 274x140, 128 less, same corner, no panel; shown again as before" \
    "$(echo "$hidden" | field client) $(echo "$hidden" | field frame) $(echo "$hidden" | control KalvorLoupe | grep -o 'visible=.') | $(echo "$shown" | field client) $(echo "$shown" | field frame)" \
    "274 140 $fx $fy $fw $((fh - 128)) visible=0 | 274 268 $fx $fy $fw $fh"
probe close >/dev/null
expect "at the close, [Loupe] after the four keys as ever, then [History]" \
    "$(tr -d '\r' <"$APP/Kalvor.ini" | tr '\n' ' ')" \
    "[Position] Left=$((fx * 15)) Top=$((fy * 15)) [Output] UpperCase=0 Type=1 [Loupe] Visible=1 Zoom=3 Sample=3 [Colour] Space=0 [History] Keep=0 "
start_kalvor
xdotool mousemove 600 400
sleep 0.5
state=$(probe controls)
expect "after a restart: the panel, its zoom and sample, the window where it was" \
    "$(echo "$state" | field client) $(echo "$state" | field frame) $(probe loupe 600 400 3) $(echo "$state" | sed -n 's/.*Static 136 164 .*text=//p')" \
    "274 268 $fx $fy $fw $fh match 1521/1521 hatched 0/0 3 倍  3×3 平均"
probe close >/dev/null

# At 150% and 125%: every block the same whole number of the monitor's pixels; and a place off
# every monitor restored wholly on the screen, by the frame's size at that DPI.
for dpi_zoom_blocks in "144 5 529" "120 3 1521"; do
    read -r dpi zoom blocks <<<"$dpi_zoom_blocks"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
    printf '[Position]\r\nLeft=99000\r\nTop=99000\r\n[Loupe]\r\nVisible=1\r\nZoom=%s\r\nSample=1\r\n' \
        "$zoom" >"$APP/Kalvor.ini"
    start_kalvor
    xdotool mousemove 300 200
    sleep 0.5
    read -r fx fy fw fh <<<"$(probe controls | field frame)"
    expect "at $dpi DPI: the loupe's blocks all one size; restored wholly on the screen" \
        "$(probe loupe 300 200 "$zoom") $fx,$fy $((fx + fw)),$((fy + fh))" \
        "match $blocks/$blocks hatched 0/0 $((1024 - fw)),$((768 - fh)) 1024,768"
    probe close >/dev/null
done
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f </dev/null >/dev/null 2>&1
probe close-pattern >/dev/null
wait "$pattern"

step "The installer"
wine "$WINDOWS_INSTALLER" /S </dev/null >/dev/null 2>&1
installer_status=$?
installed="$WINEPREFIX/drive_c/Program Files/Kalvor"
menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Kalvor/Kalvor.lnk' 2>/dev/null | head -n 1)
expect "installs kalvor.exe, licence, uninstaller and a Start-menu entry" \
    "$installer_status $(ls "$installed" 2>/dev/null | tr '\n' ' ')$([ -n "$menu" ] && echo menu)" \
    "0 LICENSE.txt README.txt kalvor.exe uninstall.exe menu"
# Run as wine runs everything, as an administrator: the program's folder could be written.
start_installed() {
    wine "$installed/kalvor.exe" </dev/null >>"$WORK/kalvor.log" 2>&1 &
    probe wait-window 30 >/dev/null
}
start_installed
probe move 210 70 >/dev/null
probe close >/dev/null
expect "the installed copy keeps its settings in %APPDATA%\\Kalvor, none beside it" \
    "$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/Kalvor/Kalvor.ini' -exec grep -l '^Left=3150' {} + | wc -l) $(ls "$installed" | grep -ci '\.ini$')" \
    "1 0"
start_installed
wine "$WINDOWS_INSTALLER" /S </dev/null >/dev/null 2>&1
installer_status=$?
expect "a reinstall closes the running copy, then replaces the program" \
    "$installer_status $(probe windows | wc -l) $(cmp -s "$BUILD/kalvor.exe" "$installed/kalvor.exe" && echo same)" \
    "0 0 same"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalvor'
probe hold-file "$(winepath -w "$installed/kalvor.exe")" 120000 >"$WORK/hold.log" &
holder=$!
for _ in $(seq 300); do grep -q held "$WORK/hold.log" && break; sleep 0.1; done
echo "    the probe: $(tr -d '\r' <"$WORK/hold.log")"
# _?= runs the uninstaller in place, so that its exit status is its own; it takes no quotes, so
# the folder by its short name, without spaces.
wine "$installed/uninstall.exe" /S "_?=$(winepath -s "$(winepath -w "$installed")")" </dev/null >/dev/null 2>&1
uninstaller_status=$?
expect "a program still held (another user's copy): the uninstaller refuses, exit 2, nothing removed" \
    "$uninstaller_status $(ls "$installed" | tr '\n' ' ')$(wine reg query "$uninstall_key" /v DisplayName </dev/null 2>/dev/null | grep -c DisplayName)" \
    "2 LICENSE.txt README.txt kalvor.exe uninstall.exe 1"
wine taskkill /f /im kalvor_probe.exe </dev/null >/dev/null 2>&1 # lets go of the program
wait "$holder"
start_installed
wine "$installed/uninstall.exe" /S </dev/null >/dev/null 2>&1
# The uninstaller runs on from a copy of itself in the temporary folder: wait for all of it.
for _ in $(seq 50); do [ -e "$installed" ] || [ -e "$menu" ] || break; sleep 0.2; done
expect "the uninstaller closes the running copy and removes it all" \
    "$(probe windows | wc -l) $(ls -A "$installed" 2>/dev/null)$([ -e "$menu" ] && echo menu)" "0 "
expect "the zip holds the program, README and licence" \
    "$(unzip -Z1 "$WINDOWS_ZIP" | tr '\n' ' ')" "Kalvor/kalvor.exe Kalvor/README.txt Kalvor/LICENSE.txt "

step "Settings files: the core's reader and writer against the profile functions"
g++ -std=c++20 -O1 -I"$ROOT/src" "$ROOT/tests/win32/ini_differential.cpp" \
    "$ROOT/src/core/settings/IniFileProfile.cpp" "$ROOT/src/core/settings/IniText.cpp" \
    -o "$WORK/ini_differential"
"$WORK/ini_differential" generate "$WORK/corpus" 20261207 400
"$WORK/ini_differential" run "$WORK/corpus" "$WORK/linux" >/dev/null
wine "$BUILD/tests/win32/ini_differential.exe" run "$(winepath -w "$WORK/corpus")" \
    "$(winepath -w "$WORK/platform")" </dev/null 2>/dev/null | tr -d '\r'
if "$WORK/ini_differential" compare "$WORK/corpus" "$WORK/linux" "$WORK/platform" >"$WORK/diff.log"; then
    pass "$(tail -n 1 "$WORK/diff.log")"
else
    fail "$(tail -n 1 "$WORK/diff.log")"
fi
grep -v '^layout' "$WORK/diff.log" | sed '$d' | sed 's/^/      /'

step "Windows part: $((SECONDS - started)) s ($((built - started)) s building, $((SECONDS - built)) s under wine)"
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
