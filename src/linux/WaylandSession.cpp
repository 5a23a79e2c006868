#include "linux/WaylandSession.h"

#include "qt/FenwoMainWindow.h"
#include "qt/ToggleFrame.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

WaylandSession::WaylandSession() = default;

WaylandScreenReader::Options WaylandSession::ReaderOptions() {
    // The handlers run on the backend's thread: hand everything over to ours.
    WaylandScreenReader::Options options;
    // KALVOR_MAX_FPS=N caps the casts at N frames a second, 0 not at all: for measuring.
    bool capped = false;
    const int cap = qEnvironmentVariableIntValue("KALVOR_MAX_FPS", &capped);
    if (capped && cap >= 0)
        options.maxFramesPerSecond = static_cast<unsigned>(cap);
    const QPointer<WaylandSession> self(this);
    options.onStatusChanged = [self](const WaylandScreenReader::Status &) {
        QMetaObject::invokeMethod(
            self,
            [self] {
                if (self->window_)
                    self->window_->Core().ReaderStateChanged();
            },
            Qt::QueuedConnection);
    };
    options.onCaptureShortcut = [self] {
        QMetaObject::invokeMethod(
            self,
            [self] {
                if (self->window_)
                    self->RequestCapture();
            },
            Qt::QueuedConnection);
    };
    return options;
}

void WaylandSession::Attach(FenwoMainWindow &window, WaylandScreenReader &reader) {
    window_ = &window;
    watchedWindow_ = &window;
    reader_ = &reader;
    QCoreApplication::instance()->installEventFilter(this);
    connect(window.Check1, &ToggleFrame::toggled, this, [this](bool held) {
        activity_.held = held;
        activity_.captureDue = false; // taken: the hold switched
        ActivityChanged();
    });
    window.Core().ReaderStateChanged();
}

void WaylandSession::RequestCapture() {
    if (!window_)
        return;
    activity_.captureDue = true;
    ActivityChanged();
    if (reader_)
        reader_->Refresh();
    window_->Core().RequestCapture();
}

void WaylandSession::ActivityChanged() {
    if (reader_)
        reader_->SetDemand(DemandFor(activity_));
}

// No program may watch another's keyboard here: Space counts while our window has the focus,
// and goes no further, so that no control takes it as well.
bool WaylandSession::eventFilter(QObject *watched, QEvent *event) {
    // As a plain widget: these come during the window's destruction too.
    const QWidget *widget = watchedWindow_.data();
    const QEvent::Type type = event->type();
    if ((type == QEvent::Enter || type == QEvent::Leave) && widget != nullptr &&
        watched == static_cast<QObject *>(widget->windowHandle())) {
        activity_.pointerOverWindow = type == QEvent::Enter;
        ActivityChanged();
    }
    if (type == QEvent::MouseMove && activity_.pointerOverWindow && reader_ != nullptr &&
        widget != nullptr && watched == static_cast<QObject *>(widget->windowHandle()))
        reader_->PointerMovedOverWindow();
    if (type == QEvent::WindowStateChange && widget != nullptr && watched == widget) {
        activity_.minimised = widget->isMinimized();
        ActivityChanged();
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && !key->isAutoRepeat() && window_ &&
        watched == static_cast<QObject *>(window_->windowHandle()))
        RequestCapture();
    return true;
}
