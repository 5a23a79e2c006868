// A million captures into the history strip: the cost of one append early and late, and the
// resident memory each swatch takes. Runs on Qt's offscreen platform; no display needed.
#include "app/FenwoMain.h"
#include "app/PictureBox.h"
#include "bench/ProcessStats.h"
#include "sampling/NullScreenPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int total = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int window = std::min(100000, total / 2);
    NullScreenPlatform screen;
    FenwoMain w(screen);
    w.show();
    w.Timer1->stop();
    QCoreApplication::processEvents();

    const double residentBefore = ResidentBytes();
    QElapsedTimer clock;
    qint64 firstNs = 0;
    qint64 lastNs = 0;
    for (int i = 0; i < total; ++i) {
        w.Picture1->setBackColor(i & 0xFFFFFF);
        clock.start();
        w.AppendSwatch();
        const qint64 ns = clock.nsecsElapsed();
        if (i < window)
            firstNs += ns;
        else if (i >= total - window)
            lastNs += ns;
        if (i % 1000 == 0)
            QCoreApplication::processEvents(); // repaints count too
    }
    const double perSwatch = (ResidentBytes() - residentBefore) / total;
    std::printf("appended %d swatches\n", w.HistoryCount);
    std::printf("append, first %d: %.3f us each\n", window, firstNs / 1000.0 / window);
    std::printf("append, last %d:  %.3f us each (target: not growing with the count)\n", window,
                lastNs / 1000.0 / window);
    std::printf("resident memory: %.1f bytes per swatch (target at most 64)\n", perSwatch);
    return 0;
}
