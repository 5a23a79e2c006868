#include "core/history/History.h"

void History::Remove(std::int64_t index) {
    if (index < 0 || index >= Count())
        return;
    colours_.erase(colours_.begin() + static_cast<std::ptrdiff_t>(index));
}
