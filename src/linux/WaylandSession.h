#pragma once

#include "platform/wayland/WaylandScreenReader.h"

#include <QObject>
#include <QPointer>

class FenwoMainWindow;

// The window on a Wayland desktop: what the portal backend reports is carried to the window's
// thread and its core (which decides what the preview shows and what a click on it does), and
// Space works while the window has the focus, the only place a Wayland program may hear it.
// Built before the reader, whose handlers it gives; attached to the window once both exist.
class WaylandSession : public QObject {
    Q_OBJECT
  public:
    WaylandSession();

    WaylandScreenReader::Options ReaderOptions();
    void Attach(FenwoMainWindow &window, WaylandScreenReader &reader);
    // Every capture request goes through here to the window's core: one asked for while the
    // streams rest (the window minimised) wakes them for the tick that takes it.
    void RequestCapture();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void ActivityChanged();

    QPointer<FenwoMainWindow> window_;
    WaylandScreenReader *reader_ = nullptr;
    QPointer<QWidget> watchedWindow_; // the same window, for what its events say
    WindowActivity activity_;
};
