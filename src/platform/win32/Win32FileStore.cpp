#include "platform/win32/Win32FileStore.h"

#include "platform/win32/Text.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <utility>

namespace {

// Closes a handle when it goes out of scope.
struct Handle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~Handle() { Close(); }
    void Close() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    bool Open() const { return handle != INVALID_HANDLE_VALUE; }
};

std::string Reason(const char *what, DWORD error) {
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring message = text ? text : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L'.' || message.back() == L' '))
        message.pop_back();
    return std::string(what) + ": " + (message.empty() ? "" : Narrow(message) + " ") + "(error " +
           std::to_string(error) + ")";
}

bool WriteAll(HANDLE file, const std::string &bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

bool ReadAll(HANDLE file, std::string &bytes) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0)
        bytes.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr))
            return false;
        if (read == 0)
            return true;
        bytes.append(buffer, read);
    }
}

bool MoveTo(HANDLE file, size_t offset) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

bool WriteFromStart(HANDLE file, const std::string &bytes) {
    return MoveTo(file, 0) && WriteAll(file, bytes) && SetEndOfFile(file) && FlushFileBuffers(file);
}

// A link is written through: the file it names is the one replaced.
std::wstring Target(const std::wstring &path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    Handle file{CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (!file.Open())
        return path;
    std::wstring final(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(
            file.handle, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
        if (length == 0)
            return path;
        if (length < final.size()) {
            final.resize(length);
            return final;
        }
        final.resize(length);
    }
}

// No file can be made beside it, or it cannot be moved over, yet the file itself may be
// written: then it is rewritten where it stands. Room for the new text is taken first, so a
// full disk stops the write before a byte changes; a failure halfway puts the old text back.
std::string RewriteInPlace(const std::wstring &target, const std::string &bytes,
                           const std::string &besideProblem) {
    Handle file{CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file.Open())
        return besideProblem;
    std::string old;
    if (!ReadAll(file.handle, old))
        return Reason("cannot read it", GetLastError());
    if (old == bytes)
        return {};
    if (bytes.size() > old.size() &&
        !(MoveTo(file.handle, bytes.size()) && SetEndOfFile(file.handle) &&
          FlushFileBuffers(file.handle))) {
        const std::string problem = Reason("cannot write", GetLastError());
        if (MoveTo(file.handle, old.size()))
            SetEndOfFile(file.handle);
        return problem;
    }
    if (WriteFromStart(file.handle, bytes))
        return {};
    const std::string problem = Reason("cannot write", GetLastError());
    WriteFromStart(file.handle, old);
    return problem;
}

// A name beside the target no other file has, made now and open for writing.
Handle CreateBeside(const std::wstring &target, DWORD attributes, std::wstring &name) {
    static std::atomic<unsigned> made{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++made) + L".tmp";
        Handle file{
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr)};
        if (file.Open() || GetLastError() != ERROR_FILE_EXISTS)
            return Handle{std::exchange(file.handle, INVALID_HANDLE_VALUE)};
    }
    SetLastError(ERROR_FILE_EXISTS);
    return {};
}

} // namespace

FileStore::Contents Win32FileStore::Load(const std::string &path) {
    Contents contents;
    const std::wstring file = Widen(path);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return contents; // missing
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        contents.state = State::NotAFile;
        return contents;
    }
    contents.state = State::Unreadable;
    Handle opened{CreateFileW(file.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!opened.Open())
        return contents;
    if (GetFileType(opened.handle) != FILE_TYPE_DISK) { // a device such as NUL or CON
        contents.state = State::NotAFile;
        return contents;
    }
    if (!ReadAll(opened.handle, contents.bytes)) {
        contents.bytes.clear();
        return contents;
    }
    contents.state = State::Readable;
    // The read-only mark, or an access list that lets the user not write it: meant to stay.
    Handle writer{CreateFileW(file.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    contents.writable = !(attributes & FILE_ATTRIBUTE_READONLY) &&
                        (writer.Open() || GetLastError() != ERROR_ACCESS_DENIED);
    return contents;
}

std::string Win32FileStore::Replace(const std::string &path, const std::string &bytes) {
    const std::wstring target = Target(Widen(path));
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    std::error_code error;
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    if (error)
        return "cannot create its folder: " + error.message();

    // The new file keeps the old one's marks a user may have set, hidden among them.
    const DWORD old = GetFileAttributesW(target.c_str());
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes =
        old == INVALID_FILE_ATTRIBUTES || !(old & kept) ? FILE_ATTRIBUTE_NORMAL : old & kept;
    std::wstring temporary;
    Handle file = CreateBeside(target, attributes, temporary);
    if (!file.Open()) {
        const DWORD why = GetLastError();
        const std::string problem = Reason("cannot create a file beside it", why);
        return why == ERROR_ACCESS_DENIED ? RewriteInPlace(target, bytes, problem) : problem;
    }
    const bool written = WriteAll(file.handle, bytes) && FlushFileBuffers(file.handle);
    const std::string problem = written ? std::string() : Reason("cannot write", GetLastError());
    file.Close();
    if (!written) {
        DeleteFileW(temporary.c_str());
        return problem;
    }
    if (MoveFileExW(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    // Held open by a program that lets no one delete it, or a file mounted on its own: it may
    // still be written where it stands.
    const DWORD why = GetLastError();
    DeleteFileW(temporary.c_str());
    const std::string moveProblem = Reason("cannot replace it", why);
    if (why == ERROR_ACCESS_DENIED || why == ERROR_SHARING_VIOLATION ||
        why == ERROR_NOT_SAME_DEVICE)
        return RewriteInPlace(target, bytes, moveProblem);
    return moveProblem;
}
