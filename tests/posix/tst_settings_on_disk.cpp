// The settings file on a real file system: odd files, modes, links, and writes that never
// lose a line.
#include "core/settings/IniFileProfile.h"
#include "core/settings/IniMod.h"
#include "platform/posix/PosixFileStore.h"
#include "posix/TempFolder.h"
#include "unit/Testing.h"
#include "unit/support/ReportingSettings.h"

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

PosixFileStore files;

// A settings file in a folder of its own, read and written through a store that keeps what it
// tells.
struct OwnFolder {
    TempFolder folder;
    std::string path = folder / "Kalvor.ini";
};
struct Settings : OwnFolder, ReportingSettings {
    Settings() : ReportingSettings(files, path) {}
};

mode_t ModeOf(const std::string &path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

TEST_CASE("a missing file gives defaults and stays missing; reads never change a file") {
    Settings s;
    CHECK_EQ(s.ini.ReadIni("Position", "Left", "900  "), "900");
    CHECK(!std::filesystem::exists(s.path));
    const std::string bytes = "[Output]\nType=1\n; note\n";
    CHECK(Put(s.path, bytes));
    CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), "1");
    CHECK_EQ(Contents(s.path), bytes);
}

TEST_CASE("one close is one replacement holding every key, in call order") {
    Settings s;
    CHECK(s.ini.WriteIni({{"Position", "Left", "900"},
                          {"Position", "Top", "-45"},
                          {"Output", "UpperCase", "1"},
                          {"Output", "Type", "0"}}));
    CHECK_EQ(Contents(s.path),
             "[Position]\r\nLeft=900\r\nTop=-45\r\n[Output]\r\nUpperCase=1\r\nType=0\r\n");
    CHECK_EQ(std::distance(std::filesystem::directory_iterator(s.folder.path()),
                           std::filesystem::directory_iterator()),
             1); // no temporary left behind
}

TEST_CASE("writes keep every other byte, the file's mode, and go through a link") {
    Settings s;
    const std::string bytes("; kept\r\n[Other]\nx = 1\r[Output]\r\nType=1\r\n\r\n[Tail]\ny=\0z\n",
                            48);
    CHECK(Put(s.path, bytes));
    CHECK(::chmod(s.path.c_str(), 0640) == 0);
    s.ini.WriteIni("Output", "Type", "2");
    std::string expected = bytes;
    expected.replace(expected.find("Type=1"), 6, "Type=2");
    CHECK_EQ(Contents(s.path), expected);
    CHECK_EQ(ModeOf(s.path), mode_t{0640});

    const std::string target = s.folder / "elsewhere.ini";
    CHECK(Put(target, "[Output]\nType=1\n"));
    CHECK((::unlink(s.path.c_str()) == 0 && ::symlink(target.c_str(), s.path.c_str()) == 0));
    s.ini.WriteIni("Output", "Type", "2");
    CHECK(std::filesystem::is_symlink(s.path));
    CHECK_EQ(Contents(target), "[Output]\nType=2\n");

    // A link to a file not made yet: the file is made where the link points.
    CHECK((::unlink(s.path.c_str()) == 0 && ::symlink("later/linked.ini", s.path.c_str()) == 0));
    CHECK(s.ini.WriteIni({{"Output", "Type", "1"}}));
    CHECK(std::filesystem::is_symlink(s.path));
    CHECK_EQ(Contents(s.folder / "later/linked.ini"), "[Output]\r\nType=1\r\n");
    CHECK(s.reports.empty());
}

TEST_CASE("a writable file in a folder that is not is rewritten in place") {
    Settings s;
    const std::string bytes = "; mine\n[Output]\nType=12345\nUpperCase=1\n";
    CHECK(Put(s.path, bytes));
    CHECK(::chmod(s.path.c_str(), 0666) == 0);
    // Root may write into any folder: the writes are made as another user, whom the folder
    // lets in but not write.
    const bool root = ::geteuid() == 0;
    CHECK(::chmod(s.folder.path().c_str(), root ? 0755 : 0555) == 0);
    const auto write = [&](const std::vector<IniEntry> &entries) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (root &&
                (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(2);
            ::_exit(s.ini.WriteIni(entries) ? 0 : 1);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    CHECK_EQ(write({{"Output", "Type", "2"}}), 0); // shorter
    CHECK_EQ(Contents(s.path), "; mine\n[Output]\nType=2\nUpperCase=1\n");
    CHECK_EQ(write({{"Output", "Type", "1"}, {"Position", "Left", "900"}}), 0); // longer
    CHECK_EQ(Contents(s.path), "; mine\n[Output]\nType=1\nUpperCase=1\n[Position]\nLeft=900\n");
    CHECK_EQ(ModeOf(s.path), mode_t{0666});
    CHECK_EQ(std::distance(std::filesystem::directory_iterator(s.folder.path()),
                           std::filesystem::directory_iterator()),
             1);
    // Nothing to change, and a file it may not write: no success where there is none.
    CHECK_EQ(write({{"Output", "Type", "1"}}), 0);
    CHECK(::chmod(s.path.c_str(), 0644) == 0);
    CHECK_EQ(write({{"Output", "Type", "3"}}), root ? 1 : 0);
    // A sticky folder that lets everyone in, and root's file: no one else may rename over it.
    CHECK((::chmod(s.path.c_str(), 0666) == 0 && ::chmod(s.folder.path().c_str(), 01777) == 0));
    CHECK_EQ(write({{"Output", "Type", "4"}}), 0);
    CHECK_EQ(Contents(s.path), "; mine\n[Output]\nType=4\nUpperCase=1\n[Position]\nLeft=900\n");
    CHECK_EQ(std::distance(std::filesystem::directory_iterator(s.folder.path()),
                           std::filesystem::directory_iterator()),
             1);
}

// Containers and sandboxes mount a settings file on its own: nothing can be renamed over it.
TEST_CASE("a file mounted on its own is rewritten in place") {
    Settings s;
    const std::string source = s.folder / "source.ini";
    CHECK(Put(source, "; theirs\n[Output]\nType=1\n"));
    CHECK(Put(s.path, ""));
    const pid_t child = ::fork();
    if (child == 0) {
        // A namespace of its own, so that the mount goes when the child does.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(source.c_str(), s.path.c_str(), nullptr, MS_BIND, nullptr) != 0)
            ::_exit(77);
        ::_exit(s.ini.WriteIni({{"Output", "Type", "2"}, {"Output", "UpperCase", "0"}}) ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    const int exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (exit == 77) {
        std::fprintf(stderr, "mounted file: skipped, mounting needs root and a mount namespace\n");
        return;
    }
    CHECK_EQ(exit, 0);
    CHECK_EQ(Contents(source), "; theirs\n[Output]\nType=2\nUpperCase=0\n");
    CHECK_EQ(Contents(s.path), ""); // outside the child's namespace, the file beneath
    CHECK_EQ(std::distance(std::filesystem::directory_iterator(s.folder.path()),
                           std::filesystem::directory_iterator()),
             2);
}

TEST_CASE("a file that cannot be written is left alone and said once, naming it") {
    Settings s;
    std::filesystem::create_directory(s.path);
    CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), "0");
    CHECK(!s.ini.WriteIni({{"Output", "Type", "2"}, {"Output", "UpperCase", "1"}}));
    s.ini.WriteIni("Output", "Type", "3");
    CHECK(std::filesystem::is_directory(s.path));
    CHECK_EQ(s.reports.size(), size_t{1});
    CHECK((!s.reports.empty() && s.reports[0].find(s.path) != std::string::npos));

    // Every write bit taken away: meant to stay as it is, even for root.
    Settings readOnly;
    const std::string bytes = "[Output]\nType=1\n";
    CHECK(Put(readOnly.path, bytes));
    CHECK(::chmod(readOnly.path.c_str(), 0444) == 0);
    readOnly.ini.WriteIni("Output", "Type", "2");
    CHECK_EQ(Contents(readOnly.path), bytes);
    CHECK_EQ(readOnly.reports.size(), size_t{1});

    // A path under a plain file, and no path at all.
    Settings unusable;
    CHECK(Put(unusable.folder / "plain", "x"));
    unusable.ini.SetIniPath(unusable.folder / "plain/Kalvor.ini");
    unusable.ini.WriteIni("Output", "Type", "2");
    CHECK_EQ(unusable.ini.ReadIni("Output", "Type", "0"), "0");
    CHECK_EQ(unusable.reports.size(), size_t{1});
    unusable.ini.SetIniPath("");
    CHECK(!unusable.ini.WriteIni({{"Output", "Type", "2"}}));
    CHECK_EQ(unusable.ini.ReadIni("Output", "Type", "7"), "7");
}

TEST_CASE("an unreadable file loses nothing") {
    Settings s;
    const std::string bytes = "[Mine]\nsecret=1\n[Output]\nType=1\n";
    CHECK(Put(s.path, bytes));
    CHECK(::chmod(s.path.c_str(), 0200) == 0);
    const bool readable = ::access(s.path.c_str(), R_OK) == 0;
    s.ini.WriteIni("Output", "Type", "2");
    CHECK(::chmod(s.path.c_str(), 0600) == 0);
    // Root reads it all the same: then the write must keep every line.
    CHECK_EQ(Contents(s.path), readable ? "[Mine]\nsecret=1\n[Output]\nType=2\n" : bytes);
}

TEST_CASE("a fifty-megabyte file with long lines") {
    Settings s;
    const std::string filler = "; " + std::string(100000, 'x') + "\r\n";
    std::string bytes;
    bytes.reserve(52u << 20);
    for (int i = 0; i < 250; ++i)
        bytes += filler;
    bytes += "[Output]\r\nType=1\r\n";
    for (int i = 0; i < 250; ++i)
        bytes += filler;
    CHECK(Put(s.path, bytes));
    CHECK_EQ(s.ini.ReadIni("Output", "Type", "0"), "1");
    s.ini.WriteIni("Output", "Type", "2");
    const std::string after = Contents(s.path);
    bytes.replace(bytes.find("Type=1"), 6, "Type=2");
    CHECK(after == bytes);
}

// Run through tests/on-small-disk.sh, which mounts a 256 KiB tmpfs and names it here.
TEST_CASE("a full disk loses nothing and leaves no temporary") {
    const char *disk = std::getenv("KALVOR_SMALL_DISK");
    if (!disk) {
        std::fprintf(stderr, "full disk: skipped here, run by the ini_full_disk test\n");
        return;
    }
    const std::string path = std::string(disk) + "/Kalvor.ini";
    std::string bytes = "[Output]\r\nType=1\r\n";
    for (int i = 0; i < 400; ++i)
        bytes += "; a comment line that makes the file need more than one block " +
                 std::to_string(i) + "\r\n";
    CHECK(Put(path, bytes));
    const std::string filler = std::string(disk) + "/filler";
    {
        std::ofstream fill(filler, std::ios::binary);
        const std::string block(4096, 'f');
        while (fill.write(block.data(), static_cast<std::streamsize>(block.size())) &&
               fill.flush()) {
        }
    }
    IniFileProfile profile(files);
    IniMod ini(profile);
    ini.SetIniPath(path);
    CHECK(!ini.WriteIni({{"Output", "Type", "2"}}));
    CHECK_EQ(Contents(path), bytes);
    CHECK_EQ(std::distance(std::filesystem::directory_iterator(disk),
                           std::filesystem::directory_iterator()),
             2);
    std::filesystem::remove(filler);
    CHECK(ini.WriteIni({{"Output", "Type", "2"}}));
    CHECK_EQ(ini.ReadIni("Output", "Type", "0"), "2");
}

CHECK_MAIN
