#include "core/colour/ProfileConversion.h"

#include <algorithm>
#include <cstddef>

namespace {

std::uint32_t BigEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
           std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

// A tag's data, or an empty span when the table or the tag lies beyond the bytes.
std::span<const std::uint8_t> Tag(std::span<const std::uint8_t> profile, std::uint32_t signature) {
    constexpr std::size_t TableAt = 128; // after the fixed header
    if (profile.size() < TableAt + 4)
        return {};
    const std::uint32_t count = BigEndian32(profile, TableAt);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = TableAt + 4 + std::size_t(i) * 12;
        if (entry + 12 > profile.size())
            return {};
        if (BigEndian32(profile, entry) != signature)
            continue;
        const std::size_t offset = BigEndian32(profile, entry + 4);
        const std::size_t size = BigEndian32(profile, entry + 8);
        if (offset > profile.size() || size > profile.size() - offset)
            return {};
        return profile.subspan(offset, size);
    }
    return {};
}

void AppendUtf8(std::string &text, std::uint32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | code >> 18);
        text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Version 2's textDescriptionType: a count, then that many ASCII bytes with their nul.
std::string AsciiDescription(std::span<const std::uint8_t> tag) {
    if (tag.size() < 12)
        return {};
    const std::size_t count = std::min<std::size_t>(BigEndian32(tag, 8), tag.size() - 12);
    std::string text;
    for (std::size_t i = 0; i < count && tag[12 + i] != 0; ++i)
        if (tag[12 + i] < 0x80)
            text += static_cast<char>(tag[12 + i]);
    return text;
}

// Version 4's multiLocalizedUnicodeType: the first record's UTF-16 (big-endian) text.
std::string UnicodeDescription(std::span<const std::uint8_t> tag) {
    if (tag.size() < 28 || BigEndian32(tag, 8) == 0)
        return {};
    const std::size_t length = BigEndian32(tag, 20);
    const std::size_t offset = BigEndian32(tag, 24);
    if (offset > tag.size() || length > tag.size() - offset)
        return {};
    std::string text;
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        std::uint32_t unit = std::uint32_t(tag[offset + i]) << 8 | tag[offset + i + 1];
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < length) {
            const std::uint32_t low = std::uint32_t(tag[offset + i + 2]) << 8 | tag[offset + i + 3];
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (unit >= 0xD800 && unit < 0xE000)
            continue; // an unpaired half names nothing
        AppendUtf8(text, unit);
    }
    return text;
}

std::string Named(const std::string &description) {
    return description.empty() ? "名前のないプロファイル" : description;
}

} // namespace

std::string ProfileDescription(std::span<const std::uint8_t> profile) {
    const std::span<const std::uint8_t> tag = Tag(profile, 0x64657363); // 'desc'
    if (tag.size() < 4)
        return {};
    switch (BigEndian32(tag, 0)) {
    case 0x64657363: // 'desc'
        return AsciiDescription(tag);
    case 0x6D6C7563: // 'mluc'
        return UnicodeDescription(tag);
    default:
        return {};
    }
}

ProfileConversion::Kept &ProfileConversion::KeptFor(int monitor, const ProfileBytes &profile) {
    const auto index = static_cast<std::size_t>(std::max(monitor, 0));
    if (kept_.size() <= index)
        kept_.resize(index + 1);
    Kept &kept = kept_[index];
    if (kept.profile == profile)
        return kept;
    // Another object with the same bytes (read again after a change notice) keeps the transform.
    if (!kept.profile || *kept.profile != *profile)
        kept = {profile, nullptr, ProfileDescription(*profile), {}};
    kept.profile = profile;
    return kept;
}

ConvertedColour ProfileConversion::Convert(ColourValue device, ColourSpace space, int monitor,
                                           const ProfileBytes &profile, bool srgbAlready) {
    const bool srgb = space == ColourSpace::Srgb;
    ConvertedColour out{device, {}, {}};
    if (srgbAlready) {
        out.source = "デスクトップが sRGB で渡す画面: デバイス値 = sRGB (変換なし)";
        return out;
    }
    if (!profile || profile->empty()) {
        out.source = srgb ? "ディスプレイのプロファイルなし: sRGB = デバイス値"
                          : "デバイス値 (ディスプレイのプロファイルなし)";
        return out;
    }
    Kept &kept = KeptFor(monitor, profile);
    if (!srgb) {
        out.source = "デバイス値 (プロファイル: " + Named(kept.description) + ")";
        return out;
    }
    // Made only once sRGB is asked for, and once per profile even when it fails.
    if (!kept.transform && kept.problem.empty()) {
        std::string why;
        if (engine_)
            kept.transform = engine_->TransformToSrgb(*profile, why);
        else
            why = "no colour engine on this platform";
        if (!kept.transform)
            kept.problem = "the colour profile of monitor " + std::to_string(monitor + 1) + " (" +
                           (kept.description.empty() ? "no name" : kept.description) +
                           ") cannot be used: " + (why.empty() ? "the engine refused it" : why) +
                           "; device values are shown";
    }
    if (!kept.transform) {
        out.source = "プロファイルを使えません: デバイス値を表示 (" + Named(kept.description) + ")";
        out.problem = kept.problem;
        return out;
    }
    if (device != CLR_INVALID && !IsSystemColour(device))
        out.colour = kept.transform->ToSrgb(device);
    out.source = "sRGB (プロファイル変換): " + Named(kept.description);
    return out;
}
