#pragma once

#include "core/colour/ProfileConversion.h"

// The Linux programs' colour engine: LittleCMS 2, in double precision so that a colour comes
// out as the library's own tools give it, rounded once.
class LcmsProfileEngine final : public ProfileEngine {
  public:
    std::unique_ptr<ProfileTransform> TransformToSrgb(std::span<const std::uint8_t> profile,
                                                      std::string &problem) override;
};
