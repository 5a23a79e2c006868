// Loaded into a Qt program through LD_PRELOAD by startup_bench: prints the monotonic time of
// the first paint of a window and, half a second later, the resident memory, then quits. The
// programs measured carry no code for it.
#include <QApplication>
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
        if (event->type() != QEvent::Paint || done_ || !watched->isWidgetType() ||
            !static_cast<QWidget *>(watched)->isWindow())
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

void WatchFirstPaint() {
    QCoreApplication *app = QCoreApplication::instance();
    app->installEventFilter(new FirstPaint(app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchFirstPaint)
