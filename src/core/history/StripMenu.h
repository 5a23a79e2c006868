#pragma once

#include "core/window/MenuEntry.h"

#include <cstdint>
#include <vector>

// The history strip's right-click menu. Both front-ends show these entries as they come and
// hand the chosen command back to FenwoMain::StripMenu_Click with the swatch clicked.
enum StripCommand : int {
    KeepHistory = 1, // "履歴を保存する": keep the history in Kalvor.gpl, or stop
    ExportHistory,   // "書き出し…": write it where the user says, in the type chosen
    RemoveSwatch,    // "この色を削除": the swatch clicked goes
    ClearHistory,    // "履歴を消去": all go, once the user says yes
};

// onSwatch: the click was on a swatch; count: the swatches there are.
std::vector<MenuEntry> StripMenu(bool keeping, bool onSwatch, std::int64_t count);

// The question clearing asks first.
inline constexpr const char *ClearQuestion = "履歴をすべて消去しますか？";
