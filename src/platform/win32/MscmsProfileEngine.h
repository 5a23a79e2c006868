#pragma once

#include "core/colour/ProfileConversion.h"

#include <string>

// kalvor.exe's colour engine: the system's own (mscms), so that a colour is converted as the
// system's colour-managed programs convert it, and the exe carries no engine of its own.
class MscmsProfileEngine final : public ProfileEngine {
  public:
    std::unique_ptr<ProfileTransform> TransformToSrgb(std::span<const std::uint8_t> profile,
                                                      std::string &problem) override;
};

// The system's sRGB profile's file, for telling "no profile of its own" from a real one; empty
// where there is none.
std::wstring StandardSrgbProfile();
