#pragma once

#include <optional>

// The output options as the settings file stores them, each only when it holds a value the
// window can take: the upper-case box's 0, 1 or 2, and the format list's -1 to 2.
std::optional<int> StoredUpperCase();
std::optional<int> StoredFormat();
