# Shared by scripts/build-windows.sh and scripts/test-windows.sh; sourced after scripts/lib.sh.

WINDOWS_BUILD_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                        nsis zip doctest-dev)
WINDOWS_TEST_PACKAGES=(wine wine64 xvfb xdotool xclip x11-xserver-utils x11-utils imagemagick
                       fonts-ipafont-gothic g++ unzip liblcms2-utils colord-data
                       locales)

# windows_build DIR: kalvor.exe, its tests and the probe, cross-built in DIR.
windows_build() {
    local dir=$1
    step "Configuring the Windows build in $dir"
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALVOR_WERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null || return 1
    step "Cross-building for Windows x64"
    nice cmake --build "$dir" --parallel 2 || return 1
    cp "$dir/src/win32/kalvor.exe" "$dir/kalvor.exe" || return 1
    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p "$dir/kalvor.exe" | sed -n 's/.*DLL Name: //p' |
        tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
    echo "    kalvor.exe: $(stat -c %s "$dir/kalvor.exe") bytes, imports: $dlls"
}

# windows_package DIR: the portable zip and the installer, beside kalvor.exe.
windows_package() {
    local dir=$1 version stage
    version=$(sed -n 's/^project(Kalvor VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
    stage="$dir/stage/Kalvor"
    rm -rf "$dir/stage" && mkdir -p "$stage"
    cp "$dir/kalvor.exe" "$stage/"
    cp "$ROOT/src/win32/kalvor.ico" "$stage/"
    sed 's/$/\r/' "$ROOT/README.md" >"$stage/README.txt"
    sed 's/$/\r/' "$ROOT/LICENSE" >"$stage/LICENSE.txt"
    WINDOWS_ZIP="$dir/kalvor-$version-windows-x64.zip"
    WINDOWS_INSTALLER="$dir/kalvor-$version-windows-x64-setup.exe"
    step "Packing $(basename "$WINDOWS_ZIP")"
    rm -f "$WINDOWS_ZIP"
    (cd "$dir/stage" && zip -q -X "$WINDOWS_ZIP" Kalvor/kalvor.exe Kalvor/README.txt \
        Kalvor/LICENSE.txt) || return 1
    step "Making the installer $(basename "$WINDOWS_INSTALLER")"
    makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$WINDOWS_INSTALLER" \
        "$ROOT/packaging/windows/kalvor.nsi"
}

# japanese_locale DIR: true when ja_JP.UTF-8 (code page 932 under wine) can be used, made in DIR
# for LOCPATH when the system has none.
japanese_locale() {
    mkdir -p "$1"
    locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8' && return 0
    [ -d "$1/ja_JP.UTF-8" ] || localedef -i ja_JP -f UTF-8 "$1/ja_JP.UTF-8" >/dev/null 2>&1
    [ -d "$1/ja_JP.UTF-8" ]
}
