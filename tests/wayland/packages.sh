# Debian packages of the Wayland backend, its end-to-end tests and its benchmark.
# Sourced after scripts/lib.sh; ensure_packages installs whichever are missing.

# Building the backend, the probe and the test painter.
WAYLAND_BUILD_PACKAGES=(libpipewire-0.3-dev libsystemd-dev pkg-config libwayland-dev
                        libwayland-bin wayland-protocols plasma-wayland-protocols)

# A headless GNOME compositor session with PipeWire and the desktop portal, and what the test
# helpers drive it with (D-Bus from Python, the consent dialog through accessibility); Qt's
# Wayland platform and the clipboard tools for kalvor's own window there.
WAYLAND_TEST_PACKAGES=(mutter xdg-desktop-portal xdg-desktop-portal-gnome pipewire pipewire-bin
                       wireplumber dbus dbus-daemon gsettings-desktop-schemas
                       at-spi2-core python3-gi gir1.2-glib-2.0 python3-pyatspi gir1.2-atspi-2.0
                       libglib2.0-bin dbus-bin procps passwd util-linux
                       qt6-wayland wl-clipboard)

# A headless KDE Plasma session (KWin) with the portal's KDE backend, on top of the above; the
# backend's QtQuick dialogs need modules its package does not depend on.
WAYLAND_KDE_TEST_PACKAGES=(kwin-wayland xdg-desktop-portal-kde qtwayland5 plasma-workspace
                           qml-module-org-kde-pipewire qml-module-qtquick2
                           qml-module-qtquick-controls2 qml-module-qtquick-layouts
                           qml-module-qtquick-window2 qml-module-org-kde-kirigami2)

ensure_wayland_packages() {
    ensure_packages "${WAYLAND_BUILD_PACKAGES[@]}" "${WAYLAND_TEST_PACKAGES[@]}" \
        "${WAYLAND_KDE_TEST_PACKAGES[@]}"
}
