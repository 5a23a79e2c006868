#pragma once

#include <QString>

// The folder "Kalvor.ini" lives in: beside the program when the file is there already or could
// be written there (a portable copy), otherwise the user's configuration folder. An installed
// copy always uses the configuration folder: it cannot, or must not, write beside itself.
QString SettingsFolder(const QString &programDir);
