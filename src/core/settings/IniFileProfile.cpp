#include "core/settings/IniFileProfile.h"

#include "core/settings/IniText.h"

std::optional<std::string> IniFileProfile::Get(const std::string &path, const std::string &section,
                                               const std::string &key) {
    const FileStore::Contents file = files_.Load(path);
    if (file.state != FileStore::State::Readable)
        return std::nullopt;
    return LookupValue(file.bytes, section, key);
}

std::string IniFileProfile::Put(const std::string &path, const std::vector<IniEntry> &entries) {
    if (path.empty())
        return "no settings file";
    const FileStore::Contents file = files_.Load(path);
    switch (file.state) {
    case FileStore::State::NotAFile:
        return "it is not a file";
    case FileStore::State::Unreadable:
        return "it cannot be read";
    case FileStore::State::Readable:
    case FileStore::State::Missing:
        break;
    }
    std::string updated = file.bytes;
    for (const IniEntry &entry : entries) {
        auto next = SetValue(updated, entry.section, entry.key, entry.value);
        if (!next)
            return "a value cannot be stored in it";
        updated = std::move(*next);
    }
    if (file.state == FileStore::State::Readable && updated == file.bytes)
        return {}; // it holds these values already, read-only or not
    if (file.state == FileStore::State::Readable && !file.writable)
        return "it is read-only";
    return files_.Replace(path, updated);
}
