#include "qt/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>

namespace {

// An installed copy: its desktop entry stands in the share folder beside its bin folder.
bool Installed(const QString &programDir) {
    return QFileInfo::exists(programDir +
                             QStringLiteral("/../share/applications/org.kalvor.Kalvor.desktop"));
}

} // namespace

QString SettingsFolder(const QString &programDir) {
    const QString beside = QDir(programDir).filePath(QStringLiteral("Kalvor.ini"));
    if (!Installed(programDir) && (QFileInfo::exists(beside) || QFileInfo(programDir).isWritable()))
        return QDir(programDir).absolutePath();
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/kalvor");
}
