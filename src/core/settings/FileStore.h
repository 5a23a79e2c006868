#pragma once

#include <optional>
#include <string>

// A file's bytes as the operating system keeps them.
class FileStore {
  public:
    virtual ~FileStore() = default;

    enum class State { Missing, Readable, Unreadable, NotAFile };
    struct Contents {
        State state = State::Missing;
        std::string bytes;
        bool writable = false; // a write bit is set and the user may write it
    };
    virtual Contents Load(const std::string &path) = 0;

    // Replaces the file (a link: its target) with bytes in one step, keeping its mode, creating
    // missing folders. A crash or a full disk leaves the old file or the new one, never a mix.
    // Where no file can be made beside it, a store may rewrite it in place instead: then a full
    // disk still leaves the old file, a crash halfway may not. Empty on success, otherwise why
    // not.
    virtual std::string Replace(const std::string &path, const std::string &bytes) = 0;
};
