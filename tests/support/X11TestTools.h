#pragma once

// Small drivers for end-to-end tests against a live X server: external X clients run as
// processes while this process keeps its event loop turning (the clipboard lives in it).

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QSet>
#include <QTest>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace x11test {

inline bool Run(const QString &program, const QStringList &arguments) {
    return QProcess::execute(program, arguments) == 0;
}

// Runs a command to its end while serving our own events; its standard output, or a null
// array when it failed or hung.
inline QByteArray Output(const QString &program, const QStringList &arguments,
                         int timeoutMs = 5000) {
    QProcess process;
    process.start(program, arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    QByteArray out = process.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

// How a run of the program under test ended (-1: killed or crashed) and what it printed.
struct Ran {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs `program` to its end (10 s at most) while serving our own events, so that a clipboard
// it fills in another process is served; `set`: NAME=VALUE pairs added to its environment.
inline Ran RunToEnd(const QString &program, const QStringList &arguments,
                    const QStringList &set = {}) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &pair : set)
        environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000))
        process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

// A portable copy of the program under test at `program`: its settings file lands beside it.
inline bool CopyProgram(const QString &program) {
    return QFile::copy(qEnvironmentVariable("KALVOR_BINARY"), program) &&
           QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
}

// The program's window once it shows, as xdotool names it; empty when none came.
inline QString KalvorWindow() {
    return QString::fromLatin1(Output("xdotool",
                                      {"search", "--sync", "--onlyvisible", "--name", "^Kalvor$"},
                                      10000))
        .split('\n')
        .first();
}

// A server of its own, 320x240; its display name, or an empty one when it did not come up.
// -noreset: a server that resets as the program's connection probe leaves refuses the window's
// own connection for a moment.
inline QString StartXvfb(QProcess &server) {
    server.start("Xvfb",
                 {"-displayfd", "1", "-screen", "0", "320x240x24", "-nolisten", "tcp", "-noreset"});
    if (!server.waitForStarted() || !QTest::qWaitFor([&] { return server.canReadLine(); }, 10000))
        return {};
    return ":" + QString::fromLatin1(server.readLine()).trimmed();
}

inline QByteArray Clipboard(const QString &target) {
    return Output("xclip", {"-selection", "clipboard", "-o", "-t", target});
}

// Another client's window that holds the keyboard focus while it lives.
class FocusedClient {
  public:
    bool Start() {
        process_.start("xclock", {"-geometry", "120x120+400+300", "-title", "other-client"});
        if (!process_.waitForStarted())
            return false;
        const QString id =
            QString::fromLatin1(
                Output("xdotool", {"search", "--sync", "--name", "other-client"}, 10000))
                .split('\n')
                .first();
        return !id.isEmpty() && Run("xdotool", {"windowfocus", "--sync", id});
    }
    ~FocusedClient() {
        process_.kill();
        process_.waitForFinished();
    }

  private:
    QProcess process_;
};

// The id of a shown top-level window whose _NET_WM_NAME is `title`, once there is one (10 s at
// most); empty when none came. By the UTF-8 name, which needs no locale: xdotool matches the
// legacy WM_NAME in the locale's encoding, and Qt under the C locale writes a Japanese title
// there as bytes of no encoding.
inline QString WindowTitled(const QString &title) {
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(
        xcb_connect(nullptr, nullptr), xcb_disconnect);
    if (xcb_connection_has_error(c.get()))
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c.get())).data->root;
    const auto atom = [&](const char *name) {
        const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
            xcb_intern_atom_reply(c.get(), xcb_intern_atom(c.get(), 0, std::strlen(name), name),
                                  nullptr),
            free);
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    };
    const xcb_atom_t netName = atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    const QByteArray wanted = title.toUtf8();
    QString found;
    const bool shown = QTest::qWaitFor(
        [&] {
            const std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
                xcb_query_tree_reply(c.get(), xcb_query_tree(c.get(), root), nullptr), free);
            if (!tree)
                return false;
            const xcb_window_t *children = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
                const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)>
                    attributes(
                        xcb_get_window_attributes_reply(
                            c.get(), xcb_get_window_attributes(c.get(), children[i]), nullptr),
                        free);
                const std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> name(
                    xcb_get_property_reply(
                        c.get(), xcb_get_property(c.get(), 0, children[i], netName, utf8, 0, 1024),
                        nullptr),
                    free);
                if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE || !name)
                    continue;
                const QByteArray text(static_cast<const char *>(xcb_get_property_value(name.get())),
                                      xcb_get_property_value_length(name.get()));
                if (text == wanted) {
                    found = QString::number(children[i]);
                    return true;
                }
            }
            return false;
        },
        10000);
    return shown ? found : QString();
}

// The window's place and size on the screen, as xdotool sees it; empty when it cannot tell.
inline QRect GeometryOf(const QString &id) {
    QRect at;
    for (const QByteArray &line :
         Output("xdotool", {"getwindowgeometry", "--shell", id}).split('\n')) {
        const int value = line.mid(line.indexOf('=') + 1).toInt();
        if (line.startsWith("X="))
            at.moveLeft(value);
        else if (line.startsWith("Y="))
            at.moveTop(value);
        else if (line.startsWith("WIDTH="))
            at.setWidth(value);
        else if (line.startsWith("HEIGHT="))
            at.setHeight(value);
    }
    return at;
}

// The screen's root, read and painted in its own pixel format on a connection of our own (Qt's
// own may not exist: some tests have no GUI). Only true-colour visuals, the server's byte order.
class Root {
  public:
    Root() : connection_(xcb_connect(nullptr, nullptr), xcb_disconnect) {
        if (xcb_connection_has_error(connection_.get()))
            return;
        const xcb_setup_t *setup = xcb_get_setup(connection_.get());
        screen_ = xcb_setup_roots_iterator(setup).data;
        for (auto depth = xcb_screen_allowed_depths_iterator(screen_); depth.rem;
             xcb_depth_next(&depth))
            for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
                 xcb_visualtype_next(&visual))
                if (visual.data->visual_id == screen_->root_visual)
                    visual_ = *visual.data;
        for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem;
             xcb_format_next(&format))
            if (format.data->depth == screen_->root_depth)
                bitsPerPixel_ = format.data->bits_per_pixel;
        lsbFirst_ = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    }

    bool Usable() const { return bitsPerPixel_ == 16 || bitsPerPixel_ == 32; }
    QSize Size() const {
        return screen_ ? QSize(screen_->width_in_pixels, screen_->height_in_pixels) : QSize();
    }

    // The root's background: the picture, tiled from the top-left corner, down to the visual's
    // bits.
    bool Paint(const QImage &picture) {
        if (!Usable())
            return false;
        xcb_connection_t *c = connection_.get();
        const auto pixmap = xcb_generate_id(c);
        const auto gc = xcb_generate_id(c);
        const auto width = static_cast<std::uint16_t>(picture.width());
        xcb_create_pixmap(c, screen_->root_depth, pixmap, screen_->root, width,
                          static_cast<std::uint16_t>(picture.height()));
        xcb_create_gc(c, gc, pixmap, 0, nullptr);
        const int bytes = bitsPerPixel_ / 8;
        constexpr int Strip = 32; // rows a request, well below the request size limit
        for (int top = 0; top < picture.height(); top += Strip) {
            const int rows = std::min(Strip, picture.height() - top);
            std::vector<std::uint8_t> data;
            for (int y = top; y < top + rows; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t pixel = Encode(picture.pixel(x, y));
                    for (int i = 0; i < bytes; ++i)
                        data.push_back(static_cast<std::uint8_t>(
                            pixel >> (8 * (lsbFirst_ ? i : bytes - 1 - i))));
                }
            xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, width,
                          static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(top), 0,
                          screen_->root_depth, static_cast<std::uint32_t>(data.size()),
                          data.data());
        }
        xcb_change_window_attributes(c, screen_->root, XCB_CW_BACK_PIXMAP, &pixmap);
        xcb_clear_area(c, 0, screen_->root, 0, 0, 0, 0);
        xcb_free_gc(c, gc);
        xcb_free_pixmap(c, pixmap);                                          // the root keeps it
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // a round trip
        return !xcb_connection_has_error(c);
    }

    // What the screen shows, windows included, each pixel as the visual holds it widened to
    // 8 bits a channel; a null image when it could not be read.
    QImage Shot() const {
        if (!Usable())
            return {};
        const QSize size = Size();
        xcb_connection_t *c = connection_.get();
        const std::unique_ptr<xcb_get_image_reply_t, decltype(&free)> reply(
            xcb_get_image_reply(c,
                                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root, 0, 0,
                                              static_cast<std::uint16_t>(size.width()),
                                              static_cast<std::uint16_t>(size.height()), ~0u),
                                nullptr),
            free);
        if (!reply)
            return {};
        const std::uint8_t *data = xcb_get_image_data(reply.get());
        const int bytes = bitsPerPixel_ / 8;
        const int stride = (size.width() * bytes + 3) / 4 * 4;
        QImage shot(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                std::uint32_t pixel = 0;
                for (int i = 0; i < bytes; ++i)
                    pixel |= std::uint32_t(data[y * stride + x * bytes + i])
                             << (8 * (lsbFirst_ ? i : bytes - 1 - i));
                shot.setPixel(x, y, Decode(pixel));
            }
        return shot;
    }

  private:
    std::uint32_t Encode(QRgb rgb) const {
        const auto field = [](int value, std::uint32_t mask) {
            const int bits = std::popcount(mask);
            return (std::uint32_t(value) << 8 >> (16 - bits)) << std::countr_zero(mask);
        };
        return field(qRed(rgb), visual_.red_mask) | field(qGreen(rgb), visual_.green_mask) |
               field(qBlue(rgb), visual_.blue_mask);
    }
    QRgb Decode(std::uint32_t pixel) const {
        const auto channel = [pixel](std::uint32_t mask) {
            const int bits = std::popcount(mask);
            const std::uint32_t value = (pixel & mask) >> std::countr_zero(mask);
            return static_cast<int>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
        };
        return qRgb(channel(visual_.red_mask), channel(visual_.green_mask),
                    channel(visual_.blue_mask));
    }

    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection_;
    xcb_screen_t *screen_ = nullptr;
    xcb_visualtype_t visual_{};
    int bitsPerPixel_ = 0;
    bool lsbFirst_ = true;
};

// A pattern where every pixel of a 256x256 tile has a colour of its own, even in 5 and 6 bits a
// channel: x's low bits in red, y's in blue, their high bits in green.
inline QImage CoordinatePattern(QSize size) {
    QImage pattern(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            pattern.setPixel(
                x, y, qRgb((x & 31) << 3, ((x >> 5 & 7) | (y >> 5 & 7) << 3) << 2, (y & 31) << 3));
    return pattern;
}

// The loupe, Picture5, in the window's client area at 96 DPI.
inline constexpr QPoint LoupeAt{8, 144};
inline constexpr int LoupeSize = 120;

// What differs between the loupe of the window whose client area is at `window` and the screen
// around `pointer`, both in one shot; empty when nothing does. Each screen pixel is a block of
// zoom x zoom, as many (odd) as fit, centred in the loupe; a block is read at its centre, clear
// of the grid and of the outline. Past the screen's edge a block is hatched: black lines on the
// window's face, seen at `face`.
inline QString LoupeMismatch(const QImage &shot, QPoint window, QPoint pointer, int zoom,
                             QPoint face) {
    const int count = LoupeSize / zoom % 2 == 0 ? LoupeSize / zoom - 1 : LoupeSize / zoom;
    const int reach = count / 2;
    const QPoint origin =
        window + LoupeAt + QPoint(1, 1) * ((LoupeSize - count * zoom) / 2 + reach * zoom);
    const QRgb faceColour = shot.pixel(window + face);
    QSet<QRgb> around; // the pattern must tell every neighbour apart
    int onScreen = 0;
    bool sawInk = false;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const QPoint block = origin + QPoint(dx, dy) * zoom;
            const QPoint screen = pointer + QPoint(dx, dy);
            const QString where = QStringLiteral("block %1,%2 at %3,%4: ")
                                      .arg(dx)
                                      .arg(dy)
                                      .arg(block.x())
                                      .arg(block.y());
            if (shot.rect().contains(screen)) {
                const QRgb want = shot.pixel(screen);
                const QRgb got = shot.pixel(block + QPoint(zoom / 2, zoom / 2));
                if (got != want)
                    return where + QString::number(got & 0xFFFFFF, 16) + " for " +
                           QString::number(want & 0xFFFFFF, 16);
                around.insert(want);
                ++onScreen;
                continue;
            }
            // Inside the block, past its first row and column (the grid, or an outline).
            bool sawFace = false;
            for (int y = 1; y < zoom; ++y)
                for (int x = 1; x < zoom; ++x) {
                    const QRgb got = shot.pixel(block + QPoint(x, y));
                    if (got != faceColour && (got & 0xFFFFFF) != 0)
                        return where + QString::number(got & 0xFFFFFF, 16) + " in a hatch";
                    sawFace = sawFace || got == faceColour;
                    sawInk = sawInk || got != faceColour;
                }
            if (!sawFace && zoom > 2)
                return where + "solid black";
        }
    if (around.size() != onScreen)
        return "the pattern repeats around the pointer";
    if (onScreen < count * count && !sawInk)
        return "no hatch past the edge";
    return {};
}

} // namespace x11test
