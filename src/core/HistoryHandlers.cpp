// Capture, the history strip, and the history kept in "Kalvor.gpl".
#include "core/FenwoMain.h"
#include "core/colour/Contrast.h"
#include "core/history/GimpPalette.h"
#include "core/history/PaletteFormats.h"
#include "core/history/StripMenu.h"
#include "core/settings/FileStore.h"

#include <filesystem>

namespace {

// What a palette can hold: colours, not a failed read or a reference to a desktop colour.
History ColoursOnly(const History &history) {
    History colours;
    for (const HistoryColour &entry : history.Colours())
        if (entry.colour != CLR_INVALID && !IsSystemColour(entry.colour))
            colours.Append(entry);
    return colours;
}

} // namespace

void FenwoMain::AppendSwatch() {
    // Named by its code as the window writes it, else as HTML.
    const std::string name =
        texts_.code.empty() ? RenderTexts(preview_, FormatHtml, 1).code : texts_.code;
    history_.Append({preview_, name});
    ShowStrip();
    SaveHistory();
}

// One call replaces the whole clipboard: text and bitmap go up together.
void FenwoMain::CopyColor() {
    desktop_.CopyToClipboard(texts_.code, preview_);
}

void FenwoMain::HScroll1_Change(int value) {
    strip_.ScrollTo(value, false);
    view_.ShowHistory(history_, strip_);
}

void FenwoMain::HScroll1_Scroll(int value) {
    strip_.ScrollTo(value, true);
    view_.ShowHistory(history_, strip_);
}

void FenwoMain::Picture3_Click(std::int64_t Index) {
    if (Index < 0 || Index >= history_.Count())
        return;
    previewFromRead_ = false;
    ShowColor(history_.Swatch(Index));
    CopyColor();
}

std::vector<MenuEntry> FenwoMain::StripMenuAt(std::int64_t Index) const {
    return StripMenu(keep_, Index >= 0 && Index < history_.Count(), history_.Count());
}

std::string FenwoMain::SwatchTip(std::int64_t Index) const {
    if (Index < 0 || Index >= history_.Count())
        return {};
    const HistoryColour &entry = history_.At(Index);
    return ::SwatchTip(entry.name, entry.colour,
                       held_ ? std::optional<ColourValue>(preview_) : std::nullopt);
}

std::string FenwoMain::HistoryPalette() const {
    return WriteGimpPalette(ColoursOnly(history_));
}

void FenwoMain::StripMenu_Click(int command, std::int64_t Index) {
    switch (command) {
    case StripCommand::KeepHistory:
        KeepHistory(!keep_);
        break;
    case StripCommand::ExportHistory:
        ExportHistory();
        break;
    case StripCommand::RemoveSwatch:
        RemoveSwatch(Index);
        break;
    case StripCommand::ClearHistory:
        ClearHistory();
        break;
    default:
        break;
    }
}

void FenwoMain::ShowStrip() {
    strip_.Fit(history_.Count());
    view_.ShowHistory(history_, strip_);
}

// At start, from "[History] Keep": the kept palette fills the strip, in order.
void FenwoMain::RestoreHistory() {
    const std::u8string ini(settings_.IniPath().begin(), settings_.IniPath().end());
    const std::u8string path =
        std::filesystem::path(ini).replace_filename(u8"Kalvor.gpl").u8string();
    palettePath_.assign(path.begin(), path.end());
    keep_ = files_ && settings_.ReadIni("History", "Keep", "0") == "1";
    if (!keep_)
        return;
    const FileStore::Contents kept = files_->Load(palettePath_);
    if (kept.state != FileStore::State::Readable)
        return;
    keptPalette_ = kept.bytes;
    history_ = ReadGimpPalette(keptPalette_);
    ShowStrip();
}

// Turned on, the history goes on from what was kept before: the kept colours come first in
// the strip, and the file is written at once.
void FenwoMain::KeepHistory(bool keep) {
    if (!files_ || keep == keep_)
        return;
    keep_ = keep;
    if (!keep_)
        return;
    // A file this window wrote already holds the strip: turned off and on again, nothing doubles.
    if (const FileStore::Contents kept = files_->Load(palettePath_);
        kept.state == FileStore::State::Readable && kept.bytes != keptPalette_) {
        keptPalette_ = kept.bytes;
        History joined = ReadGimpPalette(keptPalette_);
        for (const HistoryColour &entry : history_.Colours())
            joined.Append(entry);
        history_ = std::move(joined);
        ShowStrip();
    }
    SaveHistory();
}

// In one replacement of the file: a crash or a kill loses at most the colour being captured.
void FenwoMain::SaveHistory() {
    if (!keep_ || !files_)
        return;
    const std::string text = RewriteGimpPalette(keptPalette_, ColoursOnly(history_));
    if (const std::string problem = files_->Replace(palettePath_, text); !problem.empty()) {
        desktop_.Say("history not kept in " + palettePath_ + ": " + problem);
        return;
    }
    keptPalette_ = text;
}

void FenwoMain::ExportHistory() {
    if (!files_ || history_.Empty())
        return;
    const auto types = ExportFormats();
    const auto choice = view_.AskSavePath(types);
    if (!choice || choice->type >= types.size())
        return;
    const std::string bytes =
        WritePalette(types[choice->type], ColoursOnly(history_), {listIndex_, upperCase_});
    if (const std::string problem = files_->Replace(choice->path, bytes); !problem.empty())
        desktop_.Say("history not written to " + choice->path + ": " + problem);
}

void FenwoMain::RemoveSwatch(std::int64_t Index) {
    if (Index < 0 || Index >= history_.Count())
        return;
    history_.Remove(Index);
    ShowStrip();
    SaveHistory();
}

void FenwoMain::ClearHistory() {
    if (history_.Empty() || !view_.AskYesNo(ClearQuestion))
        return;
    history_.Clear();
    ShowStrip();
    SaveHistory();
}
