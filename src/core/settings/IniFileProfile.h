#pragma once

#include "core/settings/FileStore.h"
#include "core/settings/Profile.h"

// The program's own INI reader and writer: the whole file is read, changed in memory and
// replaced in one step, however many keys change. A file that cannot be read whole, or whose
// every write bit was taken away, is never written: that would lose what it holds, or
// overrule whoever made it read-only. A file that would not change is not written at all.
//
// A file that starts with a UTF-16 byte-order mark (FF FE, or FE FF) is read as UTF-16 and
// written back so, mark and all. Unpaired surrogates survive the round trip; a file with an
// odd number of bytes is read as far as it goes but never written.
class IniFileProfile final : public Profile {
  public:
    explicit IniFileProfile(FileStore &files) : files_(files) {}

    std::optional<std::string> Get(const std::string &path, const std::string &section,
                                   const std::string &key) override;
    std::string Put(const std::string &path, const std::vector<IniEntry> &entries) override;
    void HoldReads(bool hold) override;

    // The file's text as its bytes hold it.
    enum class Encoding { Bytes, Utf16LE, Utf16BE };
    struct Text {
        FileStore::State state = FileStore::State::Missing;
        bool writable = false;
        Encoding encoding = Encoding::Bytes;
        bool keepable = true; // written back, it would give the same bytes
        std::string text;     // as UTF-8 for UTF-16 files, otherwise the bytes themselves
    };

  private:
    Text Load(const std::string &path);

    FileStore &files_;
    bool holding_ = false;
    std::optional<std::pair<std::string, Text>> held_;
};
