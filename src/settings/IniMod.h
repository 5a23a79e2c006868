#pragma once

#include <QString>

// The settings file: one path, read a value with a default, write a value. Reading never
// creates or changes the file; writing replaces it whole and atomically, so a crash or a full
// disk leaves either the old file or the new one. Neither reports failure: a setting that
// cannot be read takes its default, one that cannot be written is simply not saved.
namespace IniMod {

extern QString IniPath;

void SetIniPath(const QString &path);

// The value, at most 254 bytes and up to any NUL; the default when the file, the section or
// the key is missing (trailing blanks of the default are dropped). A present empty value
// gives the empty text.
QString ReadIni(const QString &section, const QString &key, const QString &defaultValue);

void WriteIni(const QString &section, const QString &key, const QString &value);

} // namespace IniMod
