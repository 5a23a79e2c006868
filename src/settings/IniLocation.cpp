#include "settings/IniLocation.h"

#include <QDir>
#include <QFileInfo>

QString SettingsFilePath(const QString &programDir) {
    const QString beside = QDir(programDir).filePath(QStringLiteral("Kalvor.ini"));
    if (QFileInfo::exists(beside) || QFileInfo(programDir).isWritable())
        return beside;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/kalvor/Kalvor.ini");
}
