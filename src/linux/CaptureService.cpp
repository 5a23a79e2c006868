#include "linux/CaptureService.h"

#include "platform/posix/CaptureChannel.h"
#include "qt/Say.h"

#include <QHash>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

CaptureService::CaptureService(std::function<void()> request, const QString &displayName,
                               std::function<std::string()> history, QObject *parent)
    : QObject(parent), server_(std::make_unique<CaptureServer>(std::move(request))) {
    server_->SetHistoryHandler(std::move(history));
    auto *notifiers = new QHash<int, QPointer<QSocketNotifier>>;
    connect(this, &QObject::destroyed, [notifiers] { delete notifiers; });
    server_->SetWatchHandler([this, notifiers](int fd, bool watch) {
        if (!watch) {
            // The server closes fd next; the notifier may be the one delivering right now.
            if (QSocketNotifier *gone = notifiers->take(fd)) {
                gone->setEnabled(false);
                gone->deleteLater();
            }
            return;
        }
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this,
                [this](QSocketDescriptor socket) { server_->Readable(static_cast<int>(socket)); });
        notifiers->insert(fd, notifier);
    });
    std::string problem;
    if (server_->Open(LocateCaptureChannel(displayName.toStdString()), &problem) ==
        CaptureServer::State::Closed)
        Say("kalvor --capture cannot reach this window: " + problem);
    auto *sweep = new QTimer(this);
    connect(sweep, &QTimer::timeout, this, [this] { server_->Sweep(); });
    sweep->start(250);
}

CaptureService::~CaptureService() = default;
