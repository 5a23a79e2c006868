#include "qt/StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <unistd.h>

namespace {

class FirstPaint : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::Paint || done_)
            return QObject::eventFilter(watched, event);
        done_ = true;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("first-paint-ns %lld\n", now.tv_sec * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        QTimer::singleShot(500, [] {
            std::ifstream statm("/proc/self/statm");
            long pages = 0;
            long resident = 0;
            statm >> pages >> resident;
            std::printf("resident-bytes %ld\n", resident * sysconf(_SC_PAGESIZE));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
        return QObject::eventFilter(watched, event);
    }

  private:
    bool done_ = false;
};

} // namespace

void ReportStartupWhenAsked(QWidget &window) {
    if (qEnvironmentVariableIsSet("KALVOR_STARTUP_PROBE"))
        window.installEventFilter(new FirstPaint(&window));
}
