#pragma once

#include "core/settings/Profile.h"

// The settings file through the platform's own profile functions, in their ANSI forms: the
// file stays in the system code page, as every earlier copy of the program wrote it. Texts
// arrive in UTF-8 and cross the call in the ANSI code page; a path or a text with a character
// outside it cannot cross, so nothing is read or written through it.
class PrivateProfile final : public Profile {
  public:
    std::optional<std::string> Get(const std::string &path, const std::string &section,
                                   const std::string &key) override;
    std::string Put(const std::string &path, const std::vector<IniEntry> &entries) override;
};
