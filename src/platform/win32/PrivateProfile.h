#pragma once

#include "core/settings/Profile.h"

// The settings file through the platform's own profile functions, in their wide forms: the
// file keeps its own encoding (the ANSI code page, as every earlier copy of the program wrote
// it, or UTF-16 with its byte-order mark), and paths and texts cross in UTF-16 whatever the
// system's code page, so any folder name works.
class PrivateProfile final : public Profile {
  public:
    std::optional<std::string> Get(const std::string &path, const std::string &section,
                                   const std::string &key) override;
    std::string Put(const std::string &path, const std::vector<IniEntry> &entries) override;
};
