// One sampling tick against the bare reads it is made of, with the loupe hidden and shown, and in
// sRGB through a colour profile on the root against device values; the CPU the window spends
// while sampling a still pointer; and, given the program, the CPU the real
// window spends with the loupe shown against hidden. Usage:
//   tick_bench [rounds] [cpu-seconds] [KALVOR [seconds-each]]
// Needs an X display (bench/run-tick-bench.sh brings an Xvfb).
#include "bench/BenchWindow.h"
#include "bench/ProcessStats.h"
#include "core/loupe/LoupeMenu.h"
#include "core/loupe/LoupePicture.h"
#include "platform/lcms/LcmsProfileEngine.h"
#include "platform/x11/X11Screen.h"
#include "qt/QtDesktop.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

// The median leads: on a shared machine the mean follows whatever else ran at the time.
struct Figures {
    double median;
    double mean;
    double p99;
};

Figures Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const double mean = std::accumulate(samples.begin(), samples.end(), 0.0) / samples.size();
    return {samples[samples.size() / 2], mean, samples[samples.size() * 99 / 100]};
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

const char *Verdict(double ratio, double target) {
    return ratio <= target ? "ok" : "over";
}

// Forwards to the screen, keeping the largest square asked for since the last look.
class WatchedReader final : public ScreenReader {
  public:
    explicit WatchedReader(ScreenReader &screen) : screen_(screen) {}
    std::uintptr_t GetDesktopWindow() override { return screen_.GetDesktopWindow(); }
    std::optional<ScreenPoint> GetCursorPos() override { return screen_.GetCursorPos(); }
    ColourValue GetPixel(std::uintptr_t desktop, ScreenPoint at) override {
        return screen_.GetPixel(desktop, at);
    }
    PixelSquare ReadSquare(std::uintptr_t desktop, ScreenPoint centre, int reach) override {
        largestReach = std::max(largestReach, reach);
        PixelSquare square = screen_.ReadSquare(desktop, centre, reach);
        sawProfile = sawProfile || square.profile != nullptr;
        return square;
    }
    std::uint16_t GetAsyncKeyState(int key) override { return screen_.GetAsyncKeyState(key); }
    int largestReach = -1;
    bool sawProfile = false; // a read said its monitor has a colour profile

  private:
    ScreenReader &screen_;
};

// A patch of screen where every pixel differs from its neighbours, so that each square read
// around the pointer is a different picture.
std::unique_ptr<QLabel> ShowPattern(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, (x * y + 3 * x) % 256));
    auto label = std::make_unique<QLabel>();
    label->setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    label->setPixmap(QPixmap::fromImage(image));
    label->setFixedSize(side, side);
    label->move(0, 0);
    label->show();
    if (!QTest::qWaitForWindowExposed(label.get()))
        return nullptr;
    return label;
}

// The event loop left to itself: QTest::qWait wakes every few milliseconds, which would count.
void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool PutPointer(ScreenReader &screen, ScreenPoint at) {
    QCursor::setPos(at.x, at.y);
    return QTest::qWaitFor([&] { return screen.GetCursorPos() == at; }, 2000);
}

// Through the preview's menu and the wheel, as the user sets it.
void SetLoupe(FenwoMain &core, bool visible, int zoom) {
    for (const MenuEntry &entry : LoupeMenu(core.Loupe(), core.Space())) {
        const LoupeSettings after = AfterMenuCommand(core.Loupe(), entry.command);
        if (entry.command != 0 && after.visible == visible && after.visible != core.Loupe().visible)
            core.PreviewMenu_Click(entry.command);
    }
    core.Picture5_MouseWheel(zoom - core.Loupe().zoom);
}

// The root's "_ICC_PROFILE", as a colour-management daemon sets it.
bool SetRootProfile(const QString &file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const bool usable = !xcb_connection_has_error(c) && !bytes.isEmpty();
    if (usable) {
        const char name[] = "_ICC_PROFILE";
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
        if (atom)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE,
                                xcb_setup_roots_iterator(xcb_get_setup(c)).data->root, atom->atom,
                                XCB_ATOM_CARDINAL, 8, static_cast<std::uint32_t>(bytes.size()),
                                bytes.constData());
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // a round trip
        const bool set = atom != nullptr;
        free(atom);
        xcb_disconnect(c);
        return set;
    }
    xcb_disconnect(c);
    return false;
}

// "sRGB (プロファイル変換)" from the preview's menu, as the user chooses it.
void ChooseSrgb(FenwoMain &core) {
    for (const MenuEntry &entry : LoupeMenu(core.Loupe(), core.Space()))
        if (SpaceOfMenuCommand(entry.command) == ColourSpace::Srgb)
            core.PreviewMenu_Click(entry.command);
}

// A window of the program's own, on this desktop, its settings in memory.
struct Sampler {
    Sampler(QtDesktop &desktop, int x, int y, bool loupe, int zoom, ProfileEngine *engine = nullptr)
        : bench(desktop, engine) {
        FenwoMainWindow &w = bench.window;
        w.move(x, y);
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            std::fprintf(stderr, "tick_bench: a window did not show\n");
        w.Timer1->stop();
        w.Core().Combo1_Click(0);
        SetLoupe(w.Core(), loupe, zoom);
        QCoreApplication::processEvents();
    }
    FenwoMain &Core() { return bench.window.Core(); }
    BenchWindow bench;
};

struct Row {
    std::string name;
    std::vector<double> samples;
};

void PrintLine(const std::string &name, const Figures &f, const Figures *floor) {
    std::printf("  %-34s median %6.1f us, mean %6.1f us, p99 %7.1f us", name.c_str(), f.median,
                f.mean, f.p99);
    if (floor)
        std::printf("  (%.2fx, mean %.2fx the floor)", f.median / floor->median,
                    f.mean / floor->mean);
    std::printf("\n");
}

void PrintRows(const std::vector<Row> &rows, const Figures &floor) {
    for (const Row &row : rows)
        PrintLine(row.name, Summarise(row.samples), &floor);
}

// The verdict on the medians; the means are shown beside them.
void PrintRatio(const std::string &what, const Figures &f, const Figures &floor, double target) {
    const double ratio = f.median / floor.median;
    std::printf("%s: %s = %.2fx (mean %.2fx; target at most %.2fx)\n", Verdict(ratio, target),
                what.c_str(), ratio, f.mean / floor.mean, target);
}

// The real program for `seconds` with a settings file of its own (the loupe shown or not), the
// pointer resting where it is: the CPU it spends once started.
struct ProgramCpu {
    double cpu = -1; // utime + stime
    double run = -1; // the scheduler's count over its threads
};

ProgramCpu RunProgram(const QString &kalvor, bool loupe, int seconds, ScreenPoint at) {
    QTemporaryDir folder;
    const QString program = folder.filePath("kalvor");
    if (!QFile::copy(kalvor, program))
        return {};
    QFile ini(folder.filePath("Kalvor.ini")); // beside the program: its settings folder
    if (!ini.open(QIODevice::WriteOnly))
        return {};
    // Right of the pattern and below the pointer, so that the loupe never shows itself.
    ini.write(QStringLiteral("[Position]\r\nLeft=%1\r\nTop=%2\r\n[Loupe]\r\nVisible=%3\r\n")
                  .arg((at.x + 180) * 15)
                  .arg((at.y + 80) * 15)
                  .arg(loupe ? 1 : 0)
                  .toLatin1());
    ini.close();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, {});
    if (!process.waitForStarted())
        return {};
    const long pid = process.processId();
    Wait(3000); // past start-up
    const ProgramCpu before{CpuSecondsOf(pid), RunSecondsOf(pid)};
    Wait(seconds * 1000);
    const ProgramCpu after{CpuSecondsOf(pid), RunSecondsOf(pid)};
    const bool ran = process.state() == QProcess::Running;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    if (!ran || before.cpu < 0 || after.cpu < 0)
        return {};
    return {after.cpu - before.cpu, after.run - before.run};
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int cpuSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const QString kalvor = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    const int programSeconds = argc > 4 ? std::atoi(argv[4]) : 20;
    // Before the first read: the reader takes the profile when first asked.
    const QString profile = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
    if (!SetRootProfile(profile)) {
        std::fprintf(stderr, "tick_bench: cannot set %s on the root (colord-data)\n",
                     qPrintable(profile));
        return 1;
    }
    auto screen = X11Screen::Open(qEnvironmentVariable("DISPLAY").toStdString());
    if (!screen) {
        std::fprintf(stderr, "tick_bench: no X display\n");
        return 1;
    }
    WatchedReader reader(*screen);
    QtDesktop desktop(reader, [] { return QFile::encodeName(QDir::tempPath()).toStdString(); });

    // The pointer rests on the pattern, away from every window: a loupe that showed itself
    // would draw a new picture on every tick.
    const auto pattern = ShowPattern(240);
    const ScreenPoint still{120, 120};
    const ScreenPoint moved{121, 119};
    if (!pattern || !PutPointer(*screen, still)) {
        std::fprintf(stderr, "tick_bench: no pattern under the pointer\n");
        return 1;
    }
    Sampler hidden(desktop, 300, 330, false, 8);
    Sampler shown8(desktop, 300, 0, true, 8);
    Sampler shown2(desktop, 340, 40, true, 2);
    LcmsProfileEngine engine;
    Sampler srgb(desktop, 0, 330, false, 8, &engine);
    ChooseSrgb(srgb.Core());

    // Interleaved, so that load from elsewhere falls on all alike.
    const std::uintptr_t root = screen->GetDesktopWindow();
    Sampler *samplers[] = {&hidden, &shown8, &shown2, &srgb};
    std::vector<double> floor;
    std::vector<Row> squares;
    for (int zoom = LoupeSettings::MinZoom; zoom <= LoupeSettings::MaxZoom; ++zoom) {
        const std::string side = std::to_string(2 * LoupeReach(zoom) + 1);
        squares.push_back(
            {"pointer + square, zoom " + std::to_string(zoom) + " (" + side + "x" + side + ")",
             {}});
    }
    std::vector<Row> ticks{{"tick, loupe hidden", {}},
                           {"tick, loupe shown, zoom 8 (15x15)", {}},
                           {"tick, loupe shown, zoom 2 (59x59)", {}},
                           {"tick, loupe hidden, sRGB", {}}};
    int hiddenReach = -1; // the largest square a tick with the loupe hidden read
    QElapsedTimer clock;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        const auto at = screen->GetCursorPos();
        volatile ColourValue pixel = screen->GetPixel(root, at.value_or(ScreenPoint{}));
        (void)pixel;
        floor.push_back(clock.nsecsElapsed() / 1000.0);
        for (int zoom = LoupeSettings::MinZoom; zoom <= LoupeSettings::MaxZoom; ++zoom) {
            clock.start();
            const auto centre = screen->GetCursorPos();
            (void)screen->ReadSquare(root, centre.value_or(ScreenPoint{}), LoupeReach(zoom));
            squares[static_cast<std::size_t>(zoom - LoupeSettings::MinZoom)].samples.push_back(
                clock.nsecsElapsed() / 1000.0);
        }
        for (std::size_t s = 0; s < ticks.size(); ++s) {
            reader.largestReach = -1;
            clock.start();
            samplers[s]->Core().Timer1_Timer();
            ticks[s].samples.push_back(clock.nsecsElapsed() / 1000.0);
            if (s == 0)
                hiddenReach = std::max(hiddenReach, reader.largestReach);
        }
        if (i == 0 && (!reader.sawProfile || srgb.Core().Space() != ColourSpace::Srgb ||
                       srgb.Core().PreviewColour() == hidden.Core().PreviewColour())) {
            std::fprintf(stderr, "tick_bench: no profile in effect (the sRGB tick shows the "
                                 "device value): the sRGB row would measure nothing\n");
            return 1;
        }
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
    const Figures f = Summarise(floor);
    std::printf("X11 reads and ticks, the pointer still over a varied pattern, %d rounds:\n",
                rounds);
    PrintLine("floor (pointer + 1x1 read)", f, nullptr);
    PrintRows(squares, f);
    PrintRows(ticks, f);

    // The pointer one pixel off between two places: every tick draws the loupe afresh (its
    // painting comes later, in the event loop, and is not counted here).
    std::vector<double> movingFloor;
    std::vector<Row> moving{{"moving: tick, loupe hidden", {}},
                            {"moving: tick, loupe shown, zoom 8", {}},
                            {"moving: tick, loupe shown, zoom 2", {}}};
    const int movingRounds = std::max(rounds / 5, 100);
    for (int i = 0; i < movingRounds; ++i) {
        PutPointer(*screen, i % 2 == 0 ? moved : still);
        clock.start();
        const auto at = screen->GetCursorPos();
        volatile ColourValue pixel = screen->GetPixel(root, at.value_or(ScreenPoint{}));
        (void)pixel;
        movingFloor.push_back(clock.nsecsElapsed() / 1000.0);
        for (std::size_t s = 0; s < moving.size(); ++s) {
            clock.start();
            samplers[s]->Core().Timer1_Timer();
            moving[s].samples.push_back(clock.nsecsElapsed() / 1000.0);
        }
        QCoreApplication::processEvents();
    }
    PutPointer(*screen, still);
    const Figures mf = Summarise(movingFloor);
    std::printf("The pointer moving by a pixel every tick, %d rounds:\n", movingRounds);
    PrintLine("moving: floor", mf, nullptr);
    PrintRows(moving, mf);

    PrintRatio("tick, loupe hidden / floor", Summarise(ticks[0].samples), f, 1.5);
    std::printf("%s: the tick with the loupe hidden reads %dx%d squares (target 1x1: the "
                "hidden loupe costs nothing)\n",
                hiddenReach == 0 ? "ok" : "over", 2 * hiddenReach + 1, 2 * hiddenReach + 1);
    for (std::size_t s = 1; s < 3; ++s)
        PrintRatio(ticks[s].name + " / floor", Summarise(ticks[s].samples), f, 2.0);
    PrintRatio("tick in sRGB through Adobe RGB (1998) / tick in device values",
               Summarise(ticks[3].samples), Summarise(ticks[0].samples), 1.1);

    // The window alone, its loupe hidden as the user first finds it.
    for (Sampler *sampler : {&shown8, &shown2, &srgb})
        sampler->bench.window.hide();
    hidden.bench.window.Timer1->start();
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    Wait(cpuSeconds * 1000);
    const double share = 100.0 * (CpuSeconds() - cpuBefore) / (wall.nsecsElapsed() / 1e9);
    std::printf("CPU while sampling a still pointer for %d s: %.2f%% of one core (target at "
                "most 0.50%%)\n",
                cpuSeconds, share);
    hidden.bench.window.Timer1->stop();
    hidden.bench.window.hide();
    if (kalvor.isEmpty())
        return 0;

    // The real program with the loupe hidden and shown, by turns in two halves so that a
    // change of load elsewhere falls on both; the pointer still.
    ProgramCpu off{0, 0};
    ProgramCpu on{0, 0};
    for (int half = 0; half < 2; ++half)
        for (ProgramCpu *sum : {&off, &on}) {
            const ProgramCpu run = RunProgram(kalvor, sum == &on, programSeconds / 2, still);
            if (run.cpu < 0) {
                std::fprintf(stderr, "tick_bench: %s did not run\n", qPrintable(kalvor));
                return 1;
            }
            sum->cpu += run.cpu;
            sum->run += run.run;
        }
    std::printf("The program sampling a still pointer for %d s each (two runs of %d s after 3 s "
                "to start):\n",
                programSeconds / 2 * 2, programSeconds / 2);
    for (const auto &[name, cpu] : {std::pair{"loupe hidden", off}, std::pair{"loupe shown", on}})
        std::printf("  %-13s utime+stime %.2f s (%.2f%% of one core), scheduler %.3f s\n", name,
                    cpu.cpu, 100.0 * cpu.cpu / (programSeconds / 2 * 2), cpu.run);
    // utime and stime count whole 10 ms ticks; the scheduler's nanoseconds say the same finer.
    // The verdict takes the worse of the two.
    const double byTicks = on.cpu / std::max(off.cpu, 0.01);
    const double byScheduler = on.run / std::max(off.run, 1e-6);
    std::printf("%s: CPU, loupe shown / hidden = %.2fx by utime+stime, %.2fx by the scheduler "
                "(target at most 1.50x)\n",
                Verdict(std::max(byTicks, byScheduler), 1.5), byTicks, byScheduler);
    return 0;
}
