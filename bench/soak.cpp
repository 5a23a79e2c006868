// Long use on a live X server: a Space press every 250 ms over changing colours, with scrolling
// and swatch clicks in between. Prints resident memory and open descriptors every minute, and
// every capture that went missing. Usage: soak [seconds] (default 600). Needs an X display
// (bench/run-soak.sh brings an Xvfb); the exit status is 1 when a capture was lost.
#include "bench/BenchWindow.h"
#include "bench/ProcessStats.h"
#include "platform/x11/X11Screen.h"
#include "qt/HistoryStrip.h"
#include "qt/QtDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

double ResidentMiB() {
    return ResidentBytes() / (1024.0 * 1024.0);
}

// Runs an X client to its end while Kalvor's event loop keeps turning.
bool Run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    const bool ended =
        QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 5000);
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    return ended && process.exitCode() == 0;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
    auto screen = X11Screen::Open(qEnvironmentVariable("DISPLAY").toStdString());
    if (!screen) {
        std::fprintf(stderr, "soak: no X display\n");
        return 2;
    }
    const QTemporaryDir folder;
    QtDesktop desktop(*screen,
                      [path = QFile::encodeName(folder.path()).toStdString()] { return path; });
    BenchWindow bench(desktop);
    FenwoMainWindow &w = bench.window;
    const auto swatchCount = [&w] { return static_cast<int>(w.Core().Swatches().Count()); };
    w.move(20, 20);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return 2;
    w.Core().Combo1_Click(0);
    QRandomGenerator random(20261207);

    const double residentStart = ResidentMiB();
    const int descriptorsStart = OpenDescriptors();
    std::printf("start: %.1f MiB resident, %d descriptors\n", residentStart, descriptorsStart);
    std::fflush(stdout);

    QElapsedTimer clock;
    clock.start();
    qint64 nextReport = 60000;
    double residentSteady = 0; // after the first minute, once caches have warmed up
    int swatchesSteady = 0;
    int presses = 0;
    int lost = 0;
    while (clock.elapsed() < seconds * 1000LL) {
        const qint64 pressAt = clock.elapsed();
        const bool capturing = !w.Core().Held();
        const quint32 colour = random.generate() & 0xFFFFFF;
        const QString name = QStringLiteral("#%1").arg(colour, 6, 16, QLatin1Char('0'));
        QStringList press{"key", "space"};
        if (capturing) {
            Run("xsetroot", {"-solid", name});
            press = QStringList{"mousemove", QString::number(320 + random.bounded(310)),
                                QString::number(200 + random.bounded(270))} +
                    press;
        }
        const qint64 swatches = w.Core().Swatches().Count();
        Run("xdotool", press);
        ++presses;
        const bool flipped = QTest::qWaitFor([&] { return w.Core().Held() == capturing; }, 240);
        if (capturing) {
            // The swatch and the clipboard must both carry the colour under the pointer.
            const ColourValue want = static_cast<ColourValue>(
                ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF));
            const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
            const bool ok = flipped && w.Core().Swatches().Count() == swatches + 1 &&
                            w.Core().Swatches().Swatch(swatches) == want && clip &&
                            clip->text().toStdString() == RenderTexts(want, 0, 1).code;
            if (!ok) {
                ++lost;
                std::printf("lost capture at press %d (%s)\n", presses, qPrintable(name));
            }
            // While held: scroll a step and recall a swatch.
            const QPoint arrow = w.HScroll1->mapToGlobal(QPoint(w.HScroll1->width() - 5, 8));
            const QPoint swatch =
                w.Picture4->mapToGlobal(QPoint(2 + 17 * random.bounded(14) + 8, 8));
            Run("xdotool", {"mousemove", QString::number(arrow.x()), QString::number(arrow.y()),
                            "click", "1", "mousemove", QString::number(swatch.x()),
                            QString::number(swatch.y()), "click", "1"});
        } else if (!flipped) {
            ++lost;
            std::printf("press %d did not end the hold\n", presses);
        }
        QTest::qWait(static_cast<int>(std::max<qint64>(0, pressAt + 250 - clock.elapsed())));
        if (clock.elapsed() >= nextReport) {
            std::printf("minute %lld: %.1f MiB resident, %d descriptors, %d swatches, %d lost\n",
                        nextReport / 60000, ResidentMiB(), OpenDescriptors(), swatchCount(), lost);
            std::fflush(stdout);
            if (nextReport == 60000) {
                residentSteady = ResidentMiB();
                swatchesSteady = swatchCount();
            }
            nextReport += 60000;
        }
    }
    const double growth = (ResidentMiB() - residentStart) * 1024 * 1024;
    std::printf("end after %d s: %d presses, %d swatches captured, %d lost\n", seconds, presses,
                swatchCount(), lost);
    std::printf("resident growth %.0f bytes = %.0f bytes per swatch (target at most 64); "
                "descriptors %d -> %d (target no growth)\n",
                growth, swatchCount() ? growth / swatchCount() : 0.0, descriptorsStart,
                OpenDescriptors());
    if (swatchesSteady > 0 && swatchCount() > swatchesSteady) {
        const double steady = (ResidentMiB() - residentSteady) * 1024 * 1024;
        std::printf("after the first minute: growth %.0f bytes over %d swatches = %.0f bytes per "
                    "swatch\n",
                    steady, swatchCount() - swatchesSteady,
                    steady / (swatchCount() - swatchesSteady));
    }
    return lost == 0 ? 0 : 1;
}
