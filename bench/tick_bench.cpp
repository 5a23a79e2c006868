// One sampling tick against the bare reads it is made of, and the CPU the window spends while
// sampling a still pointer. Needs an X display (bench/run-tick-bench.sh brings an Xvfb).
#include "bench/BenchWindow.h"
#include "platform/x11/X11Screen.h"
#include "qt/QtDesktop.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <sys/resource.h>
#include <vector>

namespace {

struct Figures {
    double mean;
    double p99;
};

Figures Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const double mean = std::accumulate(samples.begin(), samples.end(), 0.0) / samples.size();
    return {mean, samples[samples.size() * 99 / 100]};
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int cpuSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    auto screen = X11Screen::Open(qEnvironmentVariable("DISPLAY").toStdString());
    if (!screen) {
        std::fprintf(stderr, "tick_bench: no X display\n");
        return 1;
    }
    QtDesktop desktop(*screen, [] { return QFile::encodeName(QDir::tempPath()).toStdString(); });
    BenchWindow bench(desktop);
    FenwoMainWindow &w = bench.window;
    w.move(300, 200);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return 1;
    w.Timer1->stop();
    w.Core().Combo1_Click(0);

    // Interleaved, so that load from elsewhere falls on both alike.
    std::vector<double> floor;
    std::vector<double> tick;
    const std::uintptr_t root = screen->GetDesktopWindow();
    QElapsedTimer clock;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        const auto at = screen->GetCursorPos();
        volatile ColourValue pixel = screen->GetPixel(root, at.value_or(ScreenPoint{}));
        (void)pixel;
        floor.push_back(clock.nsecsElapsed() / 1000.0);
        clock.start();
        w.Core().Timer1_Timer();
        tick.push_back(clock.nsecsElapsed() / 1000.0);
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
    const Figures f = Summarise(floor);
    const Figures t = Summarise(tick);
    std::printf("floor (pointer query + 1x1 root read): mean %.1f us, p99 %.1f us\n", f.mean,
                f.p99);
    std::printf("sampling tick:                          mean %.1f us, p99 %.1f us\n", t.mean,
                t.p99);
    std::printf("tick / floor: mean %.2fx, p99 %.2fx (target at most 1.50x)\n", t.mean / f.mean,
                t.p99 / f.p99);

    w.Timer1->start();
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(cpuSeconds * 1000, &app, &QCoreApplication::quit);
    QApplication::exec();
    const double share = 100.0 * (CpuSeconds() - cpuBefore) / (wall.nsecsElapsed() / 1e9);
    std::printf("CPU while sampling a still pointer for %d s: %.2f%% of one core (target at "
                "most 0.50%%)\n",
                cpuSeconds, share);
    return 0;
}
