#pragma once

#include <QString>

// Where "Kalvor.ini" lives: beside the program when it is there already or could be written
// there (a portable copy), otherwise in the user's configuration directory. An installed copy
// always uses the configuration directory: it cannot, or must not, write beside itself.
QString SettingsFilePath(const QString &programDir);
