#pragma once

#include "core/settings/FileStore.h"
#include "core/settings/Profile.h"

// The program's own INI reader and writer: the whole file is read, changed in memory and
// replaced in one step, however many keys change. A file that cannot be read whole, or whose
// every write bit was taken away, is never written: that would lose what it holds, or
// overrule whoever made it read-only.
class IniFileProfile final : public Profile {
  public:
    explicit IniFileProfile(FileStore &files) : files_(files) {}

    std::optional<std::string> Get(const std::string &path, const std::string &section,
                                   const std::string &key) override;
    std::string Put(const std::string &path, const std::vector<IniEntry> &entries) override;

  private:
    FileStore &files_;
};
