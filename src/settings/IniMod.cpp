#include "settings/IniMod.h"

#include "settings/IniText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qsizetype MaxValueBytes = 254;

// The whole file, or nullopt when there is none or it cannot be read.
std::optional<QByteArray> ReadWholeFile(const QString &path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// Someone took every write bit away: that file is meant to stay as it is, even for root.
bool MarkedReadOnly(const QFileInfo &info) {
    constexpr QFile::Permissions writeBits =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !(info.permissions() & writeBits) || !info.isWritable();
}

} // namespace

namespace IniMod {

QString IniPath;

void SetIniPath(const QString &path) {
    IniPath = path;
}

QString ReadIni(const QString &section, const QString &key, const QString &defaultValue) {
    std::optional<QByteArray> value;
    if (const auto file = ReadWholeFile(IniPath))
        value = LookupValue(*file, section.toLocal8Bit(), key.toLocal8Bit());
    if (!value) {
        QString fallback = defaultValue;
        while (fallback.endsWith(QLatin1Char(' ')))
            fallback.chop(1);
        return fallback;
    }
    QByteArray bytes = value->left(MaxValueBytes);
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    return QString::fromLocal8Bit(bytes);
}

void WriteIni(const QString &section, const QString &key, const QString &value) {
    if (IniPath.isEmpty())
        return;
    const QFileInfo info(IniPath);
    QByteArray current;
    if (info.exists()) {
        // A file that cannot be read whole cannot be rewritten without losing what it holds.
        const auto bytes = ReadWholeFile(IniPath);
        if (!bytes || MarkedReadOnly(info))
            return;
        current = *bytes;
    } else if (!QDir().mkpath(info.absolutePath())) {
        return;
    }
    const auto updated =
        SetValue(current, section.toLocal8Bit(), key.toLocal8Bit(), value.toLocal8Bit());
    if (!updated || (*updated == current && info.exists()))
        return;
    QSaveFile file(IniPath); // a temporary beside it, flushed, then renamed over it
    if (!file.open(QIODevice::WriteOnly))
        return;
    if (file.write(*updated) != updated->size()) {
        file.cancelWriting();
        return;
    }
    file.commit();
}

} // namespace IniMod
