#pragma once

#include <QObject>
#include <memory>

#include <functional>

class CaptureServer;

// Serves `kalvor --capture` for the window on one X display, from Qt's event loop: each
// request becomes a capture the window's next tick takes.
class CaptureService : public QObject {
    Q_OBJECT
  public:
    CaptureService(std::function<void()> request, const QString &displayName,
                   QObject *parent = nullptr);
    ~CaptureService() override;

  private:
    std::unique_ptr<CaptureServer> server_;
};
