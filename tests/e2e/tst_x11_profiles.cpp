// The display's colour profiles on a live X server (run under with-xvfb.sh), through the real
// binary: `--print --space` against LittleCMS's own calculator, a running window following a
// change of the property, and two monitors each converted with its own profile.
#include "support/Files.h"
#include "support/X11TestTools.h"

#include <QColor>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>

using x11test::Clipboard;
using x11test::CopyProgram;
using x11test::KalvorWindow;
using x11test::Ran;
using x11test::Run;
using x11test::RunToEnd;

namespace {

const QString Icc = "/usr/share/color/icc/colord/";

// The root's property set to the bytes, or deleted for a null array; on a connection of its
// own, gone before the program looks.
bool SetRootProperty(const QByteArray &name, const QByteArray &bytes) {
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(
        xcb_connect(nullptr, nullptr), xcb_disconnect);
    if (xcb_connection_has_error(c.get()))
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c.get())).data->root;
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(
        xcb_intern_atom_reply(
            c.get(),
            xcb_intern_atom(c.get(), 0, static_cast<std::uint16_t>(name.size()), name.data()),
            nullptr),
        free);
    if (!atom)
        return false;
    const xcb_void_cookie_t done =
        bytes.isNull()
            ? xcb_delete_property_checked(c.get(), root, atom->atom)
            : xcb_change_property_checked(c.get(), XCB_PROP_MODE_REPLACE, root, atom->atom,
                                          XCB_ATOM_CARDINAL, 8,
                                          static_cast<std::uint32_t>(bytes.size()), bytes.data());
    xcb_generic_error_t *error = xcb_request_check(c.get(), done);
    free(error);
    return error == nullptr;
}

bool SetProfile(const QByteArray &property, const QString &file) {
    return SetRootProperty(property, file.isEmpty() ? QByteArray() : files::Contents(file));
}

// What LittleCMS's calculator makes of a device colour through the profile, relative
// colorimetric, rounded; nullopt when it gave no answer.
std::optional<QRgb> Reference(const QString &profile, QRgb device) {
    QProcess calculator;
    calculator.start("transicc", {"-i", profile, "-o", "*sRGB", "-t1", "-n"});
    if (!calculator.waitForStarted())
        return std::nullopt;
    calculator.write(
        QString("%1 %2 %3\n").arg(qRed(device)).arg(qGreen(device)).arg(qBlue(device)).toLatin1());
    calculator.closeWriteChannel();
    if (!calculator.waitForFinished(10000))
        return std::nullopt;
    const QList<QByteArray> words = calculator.readAllStandardOutput().simplified().split(' ');
    if (words.size() < 3)
        return std::nullopt;
    int channels[3] = {};
    for (int i = 0; i < 3; ++i) {
        bool number = false;
        const double value = words[i].toDouble(&number);
        if (!number)
            return std::nullopt;
        channels[i] = std::clamp(static_cast<int>(std::lround(value)), 0, 255);
    }
    return qRgb(channels[0], channels[1], channels[2]);
}

// Within 1 per channel: a rounding apart.
bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1 &&
           std::abs(qBlue(a) - qBlue(b)) <= 1;
}

QRgb Code(const QByteArray &printed) {
    return QColor(QString::fromLatin1(printed.trimmed())).rgb() & 0xFFFFFF;
}

QByteArray Hex(QRgb colour) {
    return QColor(colour).name().toUpper().toLatin1();
}

} // namespace

class X11ProfilesTest : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir;     // a portable copy and its settings file
    QTemporaryDir runtime; // the user's runtime folder, where the channel lives
    QString program;

    Ran Print(const QStringList &options) {
        return RunToEnd(program, QStringList{"--print"} + options);
    }
    // The colour under the pointer as the frame buffer holds it (at depth 16, not what was
    // painted).
    std::optional<QRgb> Device() {
        const Ran ran = Print({"--space", "device"});
        return ran.code == 0 ? std::optional(Code(ran.out)) : std::nullopt;
    }

  private slots:
    void initTestCase() {
        program = dir.filePath("kalvor");
        QVERIFY(CopyProgram(program));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        QVERIFY2(QFile::exists(Icc + "AdobeRGB1998.icc"), "colord's profiles are missing");
    }

    void cleanup() {
        SetRootProperty("_ICC_PROFILE", {});
        SetRootProperty("_ICC_PROFILE_1", {});
        QProcess::execute("xrandr", {"--delmonitor", "left"});
        QProcess::execute("xrandr", {"--delmonitor", "right"});
        QFile::remove(dir.filePath("Kalvor.ini"));
    }

    void printsThroughTheProfile_data() {
        QTest::addColumn<QString>("profile"); // a file of colord's; empty: none; "broken"
        QTest::addColumn<QString>("paint");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("converted");
        const QStringList srgb{"--space", "srgb"};
        const QStringList device{"--space", "device"};
        QTest::newRow("Adobe RGB, srgb") << "AdobeRGB1998.icc"
                                         << "#8040C8" << srgb << QByteArray() << true;
        QTest::newRow("Adobe RGB, device") << "AdobeRGB1998.icc"
                                           << "#8040C8" << device << QByteArray() << false;
        QTest::newRow("Adobe RGB, the stored space")
            << "AdobeRGB1998.icc"
            << "#8040C8" << QStringList() << QByteArray("[Colour]\r\nSpace=1\r\n") << true;
        QTest::newRow("Adobe RGB, device over the stored space")
            << "AdobeRGB1998.icc"
            << "#8040C8" << device << QByteArray("[Colour]\r\nSpace=1\r\n") << false;
        QTest::newRow("swapped: pure red reads green") << "SwappedRedAndGreen.icc"
                                                       << "#FF0000" << srgb << QByteArray() << true;
        QTest::newRow("ProPhoto, 3x3 mean")
            << "ProPhotoRGB.icc"
            << "#2080E0" << QStringList{"--space", "srgb", "--average", "3"} << QByteArray()
            << true;
        QTest::newRow("no property, srgb") << ""
                                           << "#8040C8" << srgb << QByteArray() << false;
        QTest::newRow("no property, device") << ""
                                             << "#8040C8" << device << QByteArray() << false;
        QTest::newRow("broken property: the device value, said")
            << "broken"
            << "#8040C8" << srgb << QByteArray() << false;
    }

    void printsThroughTheProfile() {
        QFETCH(QString, profile);
        QFETCH(QString, paint);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, stored);
        QFETCH(bool, converted);
        QVERIFY(Run("xsetroot", {"-solid", paint}));
        QVERIFY(Run("xdotool", {"mousemove", "300", "200"}));
        if (!stored.isEmpty())
            QVERIFY(files::Put(dir.filePath("Kalvor.ini"), stored));
        const std::optional<QRgb> device = Device();
        QVERIFY(device);
        if (profile == "broken")
            QVERIFY(SetRootProperty("_ICC_PROFILE", "not a profile at all"));
        else
            QVERIFY(SetProfile("_ICC_PROFILE", profile.isEmpty() ? "" : Icc + profile));
        const Ran ran = Print(options);
        QCOMPARE(ran.code, 0);
        const QRgb printed = Code(ran.out);
        if (!converted) {
            QCOMPARE(Hex(printed), Hex(*device));
        } else {
            const std::optional<QRgb> reference = Reference(Icc + profile, *device);
            QVERIFY2(reference, "transicc gave no answer");
            QVERIFY2(Near(printed, *reference), Hex(printed) + " against " + Hex(*reference));
            QVERIFY(!Near(printed, *device)); // a profile that changes nothing proves nothing
        }
        QCOMPARE(ran.err.contains("cannot be used"), profile == "broken");
    }

    void theWindowFollowsAChangeOfTheProperty() {
        QVERIFY(Run("xsetroot", {"-solid", "#8040C8"}));
        QVERIFY(Run("xdotool", {"mousemove", "600", "450"}));
        const std::optional<QRgb> device = Device();
        QVERIFY(device);
        const std::optional<QRgb> adobe = Reference(Icc + "AdobeRGB1998.icc", *device);
        const std::optional<QRgb> swapped = Reference(Icc + "SwappedRedAndGreen.icc", *device);
        QVERIFY(adobe && swapped);
        QVERIFY(SetProfile("_ICC_PROFILE", Icc + "AdobeRGB1998.icc"));
        QVERIFY(files::Put(dir.filePath("Kalvor.ini"),
                           "[Position]\r\nLeft=0\r\nTop=0\r\n[Colour]\r\nSpace=1\r\n"));
        QProcess kalvor;
        kalvor.start(program, {});
        QVERIFY(kalvor.waitForStarted());
        QVERIFY(!KalvorWindow().isEmpty());
        // Each capture copies the code the window shows; the next one releases the hold.
        const auto copied = [this](QRgb expected) {
            if (!Run(program, {"--capture"}))
                return false;
            const bool seen = QTest::qWaitFor(
                [&] { return Near(Code(Clipboard("UTF8_STRING")), expected); }, 3000);
            return Run(program, {"--capture"}) && seen;
        };
        QVERIFY(copied(*adobe));
        QVERIFY(SetProfile("_ICC_PROFILE", Icc + "SwappedRedAndGreen.icc"));
        QTest::qWait(300);
        QVERIFY2(copied(*swapped), Clipboard("UTF8_STRING"));
        QVERIFY(SetProfile("_ICC_PROFILE", ""));
        QTest::qWait(300);
        QVERIFY2(copied(*device), Clipboard("UTF8_STRING"));
        ::kill(static_cast<pid_t>(kalvor.processId()), SIGTERM);
        QVERIFY(kalvor.waitForFinished(10000));
        QVERIFY(files::Contents(dir.filePath("Kalvor.ini")).contains("[Colour]\r\nSpace=1\r\n"));
    }

    void twoMonitorsEachWithItsOwnProfile() {
        QVERIFY(Run("xrandr", {"--setmonitor", "left", "320/100x480/100+0+0", "none"}));
        QVERIFY(Run("xrandr", {"--setmonitor", "right", "320/100x480/100+320+0", "none"}));
        QVERIFY(Run("xsetroot", {"-solid", "#C04020"}));
        QVERIFY(SetProfile("_ICC_PROFILE", Icc + "AdobeRGB1998.icc"));
        QVERIFY(SetProfile("_ICC_PROFILE_1", Icc + "SwappedRedAndGreen.icc"));
        const struct {
            const char *x;
            QString profile;
        } sides[] = {{"100", "AdobeRGB1998.icc"}, {"500", "SwappedRedAndGreen.icc"}};
        for (const auto &side : sides) {
            QVERIFY(Run("xdotool", {"mousemove", side.x, "240"}));
            const std::optional<QRgb> device = Device();
            QVERIFY(device);
            const std::optional<QRgb> reference = Reference(Icc + side.profile, *device);
            QVERIFY(reference);
            const QRgb printed = Code(Print({"--space", "srgb"}).out);
            QVERIFY2(Near(printed, *reference),
                     side.x + (": " + Hex(printed)) + " against " + Hex(*reference));
        }
    }
};

QTEST_MAIN(X11ProfilesTest)
#include "tst_x11_profiles.moc"
