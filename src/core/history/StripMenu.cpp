#include "core/history/StripMenu.h"

std::vector<MenuEntry> StripMenu(bool keeping, bool onSwatch, std::int64_t count) {
    std::vector<MenuEntry> entries{
        {KeepHistory, "履歴を保存する", keeping},
        {},
        {ExportHistory, "書き出し…", false, count > 0, false},
    };
    if (onSwatch)
        entries.push_back({RemoveSwatch, "この色を削除", false, true, false});
    entries.push_back({ClearHistory, "履歴を消去", false, count > 0, false});
    return entries;
}
