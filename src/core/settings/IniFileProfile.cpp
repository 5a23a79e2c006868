#include "core/settings/IniFileProfile.h"

#include "core/settings/IniText.h"

namespace {

using Encoding = IniFileProfile::Encoding;

void AppendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) { // an unpaired surrogate too, so that it comes back as it was
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char16_t UnitAt(const std::string &bytes, size_t at, Encoding encoding) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char16_t>(encoding == Encoding::Utf16LE ? first | second << 8
                                                               : first << 8 | second);
}

// The UTF-16 units after the mark as UTF-8; a final odd byte is left out.
std::string FromUtf16(const std::string &bytes, Encoding encoding) {
    std::string text;
    text.reserve(bytes.size());
    for (size_t at = 2; at + 1 < bytes.size(); at += 2) {
        char32_t c = UnitAt(bytes, at, encoding);
        if (c >= 0xD800 && c < 0xDC00 && at + 3 < bytes.size()) {
            const char16_t low = UnitAt(bytes, at + 2, encoding);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        AppendUtf8(text, c);
    }
    return text;
}

void AppendUnit(std::string &out, char32_t unit, Encoding encoding) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += encoding == Encoding::Utf16LE ? low : high;
    out += encoding == Encoding::Utf16LE ? high : low;
}

// The text back in UTF-16 with its mark; nothing when it is not the UTF-8 FromUtf16 makes.
std::optional<std::string> ToUtf16(const std::string &text, Encoding encoding) {
    std::string out;
    out.reserve(2 + text.size() * 2);
    AppendUnit(out, 0xFEFF, encoding);
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const size_t length = lead < 0x80    ? 1
                              : lead >= 0xF0 ? 4
                              : lead >= 0xE0 ? 3
                              : lead >= 0xC0 ? 2
                                             : 0;
        if (length == 0 || at + length > text.size())
            return std::nullopt;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = c << 6 | (next & 0x3F);
        }
        at += length;
        if (c > 0x10FFFF)
            return std::nullopt;
        if (c >= 0x10000) {
            AppendUnit(out, 0xD800 + ((c - 0x10000) >> 10), encoding);
            AppendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF), encoding);
        } else {
            AppendUnit(out, c, encoding);
        }
    }
    return out;
}

} // namespace

IniFileProfile::Text IniFileProfile::Load(const std::string &path) {
    FileStore::Contents file = files_.Load(path);
    Text read;
    read.state = file.state;
    read.writable = file.writable;
    const std::string_view start = std::string_view(file.bytes).substr(0, 2);
    if (start == "\xFF\xFE" || start == "\xFE\xFF") {
        read.encoding = start == "\xFF\xFE" ? Encoding::Utf16LE : Encoding::Utf16BE;
        read.keepable = file.bytes.size() % 2 == 0;
        read.text = FromUtf16(file.bytes, read.encoding);
    } else {
        read.text = std::move(file.bytes);
    }
    return read;
}

void IniFileProfile::HoldReads(bool hold) {
    holding_ = hold;
    held_.reset();
}

std::optional<std::string> IniFileProfile::Get(const std::string &path, const std::string &section,
                                               const std::string &key) {
    const auto lookup = [&](const Text &file) -> std::optional<std::string> {
        if (file.state != FileStore::State::Readable)
            return std::nullopt;
        return LookupValue(file.text, section, key);
    };
    if (!holding_)
        return lookup(Load(path));
    if (!held_ || held_->first != path)
        held_.emplace(path, Load(path));
    return lookup(held_->second);
}

std::string IniFileProfile::Put(const std::string &path, const std::vector<IniEntry> &entries) {
    if (path.empty())
        return "no settings file";
    held_.reset(); // what was held is no longer the file
    const Text file = Load(path);
    switch (file.state) {
    case FileStore::State::NotAFile:
        return "it is not a file";
    case FileStore::State::Unreadable:
        return "it cannot be read";
    case FileStore::State::Readable:
    case FileStore::State::Missing:
        break;
    }
    const auto updated = SetValues(file.text, entries);
    if (!updated)
        return "a value cannot be stored in it";
    if (file.state == FileStore::State::Readable && *updated == file.text)
        return {}; // it holds these values already, read-only or not
    if (file.state == FileStore::State::Readable && !file.writable)
        return "it is read-only";
    if (file.encoding == Encoding::Bytes)
        return files_.Replace(path, *updated);
    const auto bytes = file.keepable ? ToUtf16(*updated, file.encoding) : std::nullopt;
    if (!bytes)
        return "its UTF-16 text is cut short";
    return files_.Replace(path, *bytes);
}
