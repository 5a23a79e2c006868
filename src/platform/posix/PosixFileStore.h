#pragma once

#include "core/settings/FileStore.h"

// Files on a POSIX system: a replacement is a temporary beside the file, written, synced to
// disk, given the old file's mode, then renamed over it. Where no file can be made beside it,
// a file the user may write is rewritten in place instead.
class PosixFileStore final : public FileStore {
  public:
    Contents Load(const std::string &path) override;
    std::string Replace(const std::string &path, const std::string &bytes) override;
};
