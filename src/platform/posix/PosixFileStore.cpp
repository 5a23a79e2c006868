#include "platform/posix/PosixFileStore.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

bool WriteAll(int fd, const std::string &bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A link is written through: the file it names is the one replaced, or made when missing.
std::string Target(const std::string &path) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return at;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size())
            return at;
        link.resize(static_cast<size_t>(n));
        const size_t slash = at.rfind('/');
        if (link.front() != '/' && slash != std::string::npos)
            link = at.substr(0, slash + 1) + link;
        at = link;
    }
    return at;
}

std::string Reason(const char *what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool ReadAll(int fd, std::string &bytes) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool WriteFromStart(int fd, const std::string &bytes) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, bytes) &&
           ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
}

// No file can be made beside it (a folder the user may not write), or none can take its place,
// yet the file itself may be written: then it is rewritten where it stands. Room for the new text
// is taken first, so a full disk stops the write before a byte changes; a failure halfway puts the
// old text back.
std::string RewriteInPlace(const std::string &target, const std::string &bytes,
                           const std::string &replaceProblem) {
    Descriptor file{::open(target.c_str(), O_RDWR | O_CLOEXEC)};
    if (file.fd < 0)
        return replaceProblem;
    std::string old;
    if (!ReadAll(file.fd, old))
        return Reason("cannot read it");
    if (old == bytes)
        return {};
    if (bytes.size() > old.size()) {
        const int room = ::posix_fallocate(file.fd, 0, static_cast<off_t>(bytes.size()));
        if (room != 0 && room != EOPNOTSUPP && room != EINVAL) {
            errno = room;
            return Reason("cannot write");
        }
    }
    if (WriteFromStart(file.fd, bytes) && ::fsync(file.fd) == 0)
        return {};
    const std::string problem = Reason("cannot write");
    if (WriteFromStart(file.fd, old))
        ::fsync(file.fd);
    return problem;
}

} // namespace

FileStore::Contents PosixFileStore::Load(const std::string &path) {
    Contents contents;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return contents; // missing
    if (!S_ISREG(info.st_mode)) {
        contents.state = State::NotAFile;
        return contents;
    }
    // Someone took every write bit away: that file is meant to stay as it is, even for root.
    contents.writable =
        (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0;
    contents.state = State::Unreadable;
    Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        return contents;
    // Read straight into a string of the file's size: a large file costs its size, once.
    struct stat opened {};
    const size_t expected = ::fstat(file.fd, &opened) == 0 && opened.st_size > 0
                                ? static_cast<size_t>(opened.st_size)
                                : 0;
    std::string &bytes = contents.bytes;
    bytes.resize(expected + 1);
    size_t done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(bytes.size() + std::max<size_t>(bytes.size() / 2, 65536));
        const ssize_t n = ::read(file.fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            bytes.clear();
            return contents;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    contents.state = State::Readable;
    return contents;
}

std::string PosixFileStore::Replace(const std::string &path, const std::string &bytes) {
    const std::string target = Target(path);
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    std::error_code error;
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    if (error)
        return "cannot create its folder: " + error.message();

    std::string temporary = target + ".XXXXXX";
    Descriptor file{::mkstemp(temporary.data())};
    if (file.fd < 0) {
        const bool denied = errno == EACCES || errno == EPERM;
        const std::string problem = Reason("cannot create a file beside it");
        return denied ? RewriteInPlace(target, bytes, problem) : problem;
    }
    struct stat old {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0); // a new file gets what the user's mask allows
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const bool written =
        WriteAll(file.fd, bytes) && ::fchmod(file.fd, mode) == 0 && ::fsync(file.fd) == 0;
    const std::string problem = written ? std::string() : Reason("cannot write");
    ::close(file.fd);
    file.fd = -1;
    if (!written) {
        ::unlink(temporary.c_str());
        return problem;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        // The file may be mounted on its own (containers, sandboxes: EBUSY), lie on another
        // device than its folder (EXDEV), or belong to another user in a sticky folder (EPERM),
        // yet be writable itself.
        const bool fixedInPlace = errno == EBUSY || errno == EXDEV || errno == EPERM;
        const std::string renameProblem = Reason("cannot replace it");
        ::unlink(temporary.c_str());
        return fixedInPlace ? RewriteInPlace(target, bytes, renameProblem) : renameProblem;
    }
    // The rename itself reaches the disk with the folder.
    Descriptor directory{::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC)};
    if (directory.fd >= 0)
        ::fsync(directory.fd);
    return {};
}
