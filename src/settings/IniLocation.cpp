#include "settings/IniLocation.h"

#include <QDir>
#include <QFileInfo>

namespace {

// An installed copy: its desktop entry stands in the share folder beside its bin folder.
bool Installed(const QString &programDir) {
    return QFileInfo::exists(programDir +
                             QStringLiteral("/../share/applications/org.kalvor.Kalvor.desktop"));
}

} // namespace

QString SettingsFilePath(const QString &programDir) {
    const QString beside = QDir(programDir).filePath(QStringLiteral("Kalvor.ini"));
    if (!Installed(programDir) && (QFileInfo::exists(beside) || QFileInfo(programDir).isWritable()))
        return beside;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/kalvor/Kalvor.ini");
}
