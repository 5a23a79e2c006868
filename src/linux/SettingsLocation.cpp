#include "linux/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// An installed copy: its desktop entry stands in the share folder beside its bin folder.
bool Installed(const std::string &programDir) {
    std::error_code error;
    return fs::exists(programDir + "/../share/applications/org.kalvor.Kalvor.desktop", error);
}

std::string Absolute(const std::string &dir) {
    std::error_code error;
    fs::path path = fs::absolute(dir, error).lexically_normal();
    std::string text = path.native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

} // namespace

std::string NativeSettingsFolder(const std::string &programDir) {
    std::error_code error;
    if (!Installed(programDir) &&
        (fs::exists(programDir + "/Kalvor.ini", error) || ::access(programDir.c_str(), W_OK) == 0))
        return Absolute(programDir);
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::string(config) + "/kalvor";
    const char *home = std::getenv("HOME");
    return std::string(home && *home ? home : QFile::encodeName(QDir::homePath()).constData()) +
           "/.config/kalvor";
}

QString SettingsFolder(const QString &programDir) {
    return QFile::decodeName(
        NativeSettingsFolder(QFile::encodeName(programDir).toStdString()).c_str());
}

std::string ProgramFolder() {
    // Qt's own answer comes through a QString, which cannot hold every byte a name may have.
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error && program.has_parent_path())
        return program.parent_path().native();
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}
