#pragma once

#include "core/settings/FileStore.h"

// Files on Windows, paths in UTF-8: a replacement is a temporary beside the file, written,
// flushed to disk, then moved over it in one step. Where no file can be made beside it, or the
// move is refused while the file itself may be written, it is rewritten in place instead.
class Win32FileStore final : public FileStore {
  public:
    Contents Load(const std::string &path) override;
    std::string Replace(const std::string &path, const std::string &bytes) override;
};
