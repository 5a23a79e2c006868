#pragma once

#include <QObject>
#include <memory>

#include <functional>
#include <string>

class CaptureServer;

// Serves `kalvor --capture` for the window on one X display, from Qt's event loop: each
// request becomes a capture the window's next tick takes. `kalvor --history` is answered with
// what history gives (the history as a GIMP palette).
class CaptureService : public QObject {
    Q_OBJECT
  public:
    CaptureService(std::function<void()> request, const QString &displayName,
                   std::function<std::string()> history = {}, QObject *parent = nullptr);
    ~CaptureService() override;

  private:
    std::unique_ptr<CaptureServer> server_;
};
