#pragma once

#include "core/settings/FileStore.h"

#include <map>
#include <string>

// Files in memory, each in the state a test gives it. A full disk makes every Replace fail and
// leaves the file as it was.
class MemoryFileStore final : public FileStore {
  public:
    struct File {
        State state = State::Readable;
        std::string bytes;
        bool writable = true;
    };
    std::map<std::string, File> files;
    bool diskFull = false;
    int replaceCalls = 0;
    int loadCalls = 0;

    void Put(const std::string &path, const std::string &bytes) {
        files[path] = {State::Readable, bytes, true};
    }
    // The bytes at path, or "<missing>".
    std::string Bytes(const std::string &path) const {
        const auto found = files.find(path);
        return found == files.end() ? "<missing>" : found->second.bytes;
    }

    Contents Load(const std::string &path) override {
        ++loadCalls;
        const auto found = files.find(path);
        if (found == files.end())
            return {};
        const File &file = found->second;
        return {file.state, file.state == State::Readable ? file.bytes : std::string(),
                file.writable};
    }

    std::string Replace(const std::string &path, const std::string &bytes) override {
        ++replaceCalls;
        if (diskFull)
            return "no space left on the device";
        File &file = files[path];
        file.state = State::Readable;
        file.bytes = bytes;
        return {};
    }
};
