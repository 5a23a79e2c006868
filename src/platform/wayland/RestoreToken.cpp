#include "platform/wayland/RestoreToken.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool MakeFolders(const std::string &folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/')
            continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

} // namespace

RestoreToken::RestoreToken(std::string folder) {
    if (folder.empty())
        folder = DefaultFolder();
    path_ = folder + "/screencast-token";
}

std::string RestoreToken::DefaultFolder() {
    const char *state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/')
        return std::string(state) + "/kalvor";
    const char *home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/state/kalvor";
}

std::string RestoreToken::Load() const {
    std::FILE *file = std::fopen(path_.c_str(), "r");
    if (file == nullptr)
        return {};
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    std::string token = read ? line : "";
    while (!token.empty() && (token.back() == '\n' || token.back() == '\r' || token.back() == ' '))
        token.pop_back();
    return token;
}

bool RestoreToken::Store(const std::string &token) const {
    if (token.empty())
        return std::remove(path_.c_str()) == 0 || errno == ENOENT;
    const std::string folder = path_.substr(0, path_.rfind('/'));
    if (!MakeFolders(folder))
        return false;
    const std::string temporary = path_ + ".new";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const std::string text = token + "\n";
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const bool closed = close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path_.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
