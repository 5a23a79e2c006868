// Start-up restores the settings file; every close saves it.
#include "core/FenwoMain.h"
#include "core/sampling/KeyState.h"
#include "core/settings/ColourSetting.h"
#include "core/settings/NumberText.h"
#include "core/settings/OutputOptions.h"
#include "core/window/WindowPlacement.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <utility>

namespace {

// Before the window manager frames the window its decorations are unknown: a fair guess.
constexpr int TitleBarHeight = 24;
constexpr int BorderWidth = 6;

// Window positions travel in 16 bits (X11) or near them: anything beyond is no position.
std::optional<int> TwipsToPixels(float twips, double twipsPerPixel) {
    const double pixels = std::round(static_cast<double>(twips) / twipsPerPixel);
    if (pixels < -32768.0 || pixels > 32767.0)
        return std::nullopt;
    return static_cast<int>(pixels);
}

} // namespace

float FenwoMain::Left() const {
    return static_cast<float>(left_ * desktop_.TwipsPerPixel());
}

float FenwoMain::Top() const {
    return static_cast<float>(top_ * desktop_.TwipsPerPixel());
}

void FenwoMain::Form_Moved(int x, int y) {
    left_ = x;
    top_ = y;
}

void FenwoMain::Form_StateChanged(int windowState) {
    windowState_ = windowState;
}

FenwoMain::~FenwoMain() {
    settings_.UseReporter(nullptr); // it would tell a desktop that may be gone
}

// Every step below that fails ends there, silently; the next step still runs.
void FenwoMain::Form_Load() {
    settings_.UseReporter([this](const std::string &message) { desktop_.Say(message); });
    desktopWnd_ = desktop_.GetDesktopWindow();
    view_.SetWindowTopmost();
    desktop_.GetAsyncKeyState(VK_SPACE); // only presses from now on count
    // UTF-8 in and out whatever the platform: its narrow path forms may read another code page.
    const std::string folder = desktop_.SettingsFolder();
    const std::u8string file =
        (std::filesystem::path(std::u8string(folder.begin(), folder.end())) / u8"Kalvor.ini")
            .u8string();
    settings_.SetIniPath(std::string(file.begin(), file.end()));
    {
        const IniMod::ReadPass pass(settings_);
        SetLoupe(StoredLoupe(settings_)); // first: the window's height depends on it
        SetColourSpace(StoredColourSpace(settings_));
        RestorePosition();
        RestoreUpperCase();
        RestoreOutputFormat();
        RestoreHistory();
    }
    view_.UseJapaneseFont();
}

void FenwoMain::RestorePosition() {
    // Stored means both keys are there and read as numbers, whatever they hold: an empty
    // default is no number, so a missing key leaves the place to the window manager.
    const auto left = ParseSingle(settings_.ReadIni("Position", "Left", ""));
    const auto top = ParseSingle(settings_.ReadIni("Position", "Top", ""));
    if (!left || !top)
        return;
    const auto x = TwipsToPixels(*left, desktop_.TwipsPerPixel());
    const auto y = TwipsToPixels(*top, desktop_.TwipsPerPixel());
    if (!x || !y)
        return;
    FrameSize size = view_.WindowFrame();
    if (size.width <= 0 || size.height <= 0)
        size = {ScaleWidth + 2 * BorderWidth, ClientAreaHeight() + TitleBarHeight + BorderWidth,
                TitleBarHeight};
    const ScreenRect frame{*x, *y, size.width, size.height};
    const ScreenPoint at = ReachablePosition(frame, size.titleHeight, desktop_.Screens());
    view_.MoveWindow(at.x, at.y);
    Form_Moved(at.x, at.y);
}

void FenwoMain::RestoreUpperCase() {
    SetUpperCase(RestoredUpperCase(settings_));
}

void FenwoMain::RestoreOutputFormat() {
    if (const auto index = StoredFormat(settings_))
        SetListIndex(*index);
}

void FenwoMain::Form_QueryUnload(int &Cancel, int UnloadMode) {
    (void)Cancel;
    std::vector<IniEntry> entries;
    if (windowState_ == 0 && positionKnown_) {
        const std::string separator = desktop_.DecimalSeparator();
        entries.push_back({"Position", "Left", SingleText(Left(), separator)});
        entries.push_back({"Position", "Top", SingleText(Top(), separator)});
    }
    entries.push_back({"Output", "UpperCase", std::to_string(upperCase_)});
    entries.push_back({"Output", "Type", std::to_string(listIndex_)});
    for (IniEntry &entry : LoupeEntries(loupe_))
        entries.push_back(std::move(entry));
    for (IniEntry &entry : ColourEntries(space_))
        entries.push_back(std::move(entry));
    if (files_) // a copy that cannot keep the history leaves the key to those that can
        entries.push_back({"History", "Keep", keep_ ? "1" : "0"});
    const bool saved = settings_.WriteIni(entries);
    closeSaveProblem_ = saved || UnloadMode == 2 ? std::string() : settings_.LastProblem();
}
