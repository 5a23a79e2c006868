#pragma once

#include <optional>
#include <string>
#include <vector>

struct IniEntry {
    std::string section;
    std::string key;
    std::string value;
};

// Where the keys of an INI file are read and written: the program's own reader and writer on
// the file's bytes, or the platform's profile functions.
class Profile {
  public:
    virtual ~Profile() = default;

    // The raw value (blanks and outer quotes removed), or nullopt when the file, the section or
    // the key is missing, or the file cannot be read.
    virtual std::optional<std::string> Get(const std::string &path, const std::string &section,
                                           const std::string &key) = 0;

    // Sets every entry, in order. Empty when they were stored (or nothing needed to change),
    // otherwise why not, in a few words.
    virtual std::string Put(const std::string &path, const std::vector<IniEntry> &entries) = 0;

    // While held, reads may take the file as it stood at the first of them (read once); a
    // write lets go of what was held.
    virtual void HoldReads(bool hold) { (void)hold; }
};
