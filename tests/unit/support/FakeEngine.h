#pragma once

#include "core/colour/ProfileConversion.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A profile of the test's own making: an ICC header and tag table holding a "desc" tag of the
// given type ('desc' for version 2's text, 'mluc' for version 4's), whose first byte tells
// FakeEngine what the profile does.
inline std::vector<std::uint8_t> MadeProfile(char does, std::string_view description,
                                             std::string_view descType = "desc") {
    std::vector<std::uint8_t> bytes(128, 0);
    bytes[0] = static_cast<std::uint8_t>(does);
    const auto put32 = [&bytes](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    };
    const auto putText = [&bytes](std::string_view text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
    };
    std::vector<std::uint8_t> tag;
    {
        std::vector<std::uint8_t> saved;
        saved.swap(bytes);
        putText(descType);
        put32(0);
        if (descType == "mluc") {
            put32(1);  // one record
            put32(12); // of 12 bytes
            putText("enUS");
            put32(static_cast<std::uint32_t>(description.size() * 2));
            put32(28);
            for (const char c : description) {
                bytes.push_back(0);
                bytes.push_back(static_cast<std::uint8_t>(c));
            }
        } else {
            put32(static_cast<std::uint32_t>(description.size() + 1));
            putText(description);
            bytes.push_back(0);
        }
        tag.swap(bytes);
        bytes.swap(saved);
    }
    put32(1); // one tag
    putText("desc");
    put32(128 + 4 + 12);
    put32(static_cast<std::uint32_t>(tag.size()));
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    return bytes;
}

inline ProfileBytes Shared(std::vector<std::uint8_t> bytes) {
    return std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
}

// A colour engine whose profiles say what they do by their first byte: 'S' swaps red and green,
// 'Q' squares each channel (so that a mean of converted colours differs from a converted
// mean), anything else is refused as broken. Counts the transforms it was asked for.
class FakeEngine final : public ProfileEngine {
  public:
    int asked = 0;

    std::unique_ptr<ProfileTransform> TransformToSrgb(std::span<const std::uint8_t> profile,
                                                      std::string &problem) override {
        ++asked;
        const char does = profile.empty() ? 0 : static_cast<char>(profile[0]);
        if (does != 'S' && does != 'Q') {
            problem = "no such profile";
            return nullptr;
        }
        return std::make_unique<Transform>(does);
    }

  private:
    class Transform final : public ProfileTransform {
      public:
        explicit Transform(char does) : does_(does) {}
        ColourValue ToSrgb(ColourValue device) override {
            const ColourComponents c = SplitColour(device);
            if (does_ == 'S')
                return RGB(c.green, c.red, c.blue);
            const auto square = [](int v) { return v * v / 255; };
            return RGB(square(c.red), square(c.green), square(c.blue));
        }

      private:
        char does_;
    };
};
