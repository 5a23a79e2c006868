#pragma once

#include "core/WindowView.h"
#include "core/history/History.h"
#include "core/history/PaletteFormats.h"
#include "core/history/StripGeometry.h"
#include "core/loupe/LoupePicture.h"
#include "core/window/WindowLayout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A window that records what the logic told it: the last state of every control, and how
// often it was told.
class FakeView final : public WindowView {
  public:
    struct Strip {
        std::int64_t count = 0;
        std::int64_t left = 0;
        std::int64_t width = 0;
        bool scrollEnabled = false;
        int scrollMax = 0;
        int scrollValue = 0;
    };

    ColourValue preview = 0;
    ColourTexts texts;
    bool held = false;
    int upperCase = -1; // -1 and -2: never told
    int format = -2;
    Strip strip;
    std::vector<TextField> selections;
    bool focusAnswer = false; // what FocusCode answers: true once the window shows
    std::vector<ScreenPoint> moves;
    int interval = 0;
    std::vector<std::string> tips;         // every ShowPreviewTip, in order
    std::vector<bool> loupePanels;         // every ShowLoupePanel, in order
    std::vector<LoupePicture> loupes;      // every ShowLoupe, in order
    std::vector<std::string> questions;    // every AskYesNo, in order
    bool yes = false;                      // what AskYesNo answers
    std::vector<std::string> offeredTypes; // the extensions AskSavePath offered
    std::optional<SaveChoice> saveChoice;  // what AskSavePath answers
    FrameSize frame;                       // what WindowFrame answers

    int previewCalls = 0;
    int holdCalls = 0;
    int historyCalls = 0;
    int focusRequests = 0;
    int topmostCalls = 0;
    int fontCalls = 0;
    std::vector<std::string> *journal = nullptr; // shared with a FakeDesktop

    void ShowPreview(ColourValue colour) override {
        preview = colour;
        ++previewCalls;
    }
    void ShowTexts(const ColourTexts &shown) override { texts = shown; }
    FrameSize WindowFrame() const override { return frame; }
    void ShowHold(bool shown) override {
        held = shown;
        ++holdCalls;
    }
    void ShowUpperCase(int value) override {
        Note("ShowUpperCase");
        upperCase = value;
    }
    void ShowFormat(int listIndex) override {
        Note("ShowFormat");
        format = listIndex;
    }
    void ShowPreviewTip(const std::string &text) override { tips.push_back(text); }
    // The preview's tooltip as it stands: the window table's until told.
    std::string Tip() const {
        return tips.empty() ? std::string(ControlOf(ControlId::Picture1).tip) : tips.back();
    }
    void ShowHistory(const History &history, const StripScroll &shown) override {
        strip = {history.Count(),       shown.StripLeft(), shown.StripWidth(),
                 shown.ScrollEnabled(), shown.ScrollMax(), shown.ScrollValue()};
        ++historyCalls;
    }
    bool AskYesNo(const std::string &question) override {
        questions.push_back(question);
        return yes;
    }
    std::optional<SaveChoice> AskSavePath(std::span<const PaletteFormat> types) override {
        for (const PaletteFormat &type : types)
            offeredTypes.push_back(std::string(type.extension));
        return saveChoice;
    }
    void ShowLoupePanel(bool visible) override { loupePanels.push_back(visible); }
    void ShowLoupe(const LoupePicture &picture) override { loupes.push_back(picture); }
    void SelectWholeText(TextField box) override { selections.push_back(box); }
    bool FocusCode() override {
        ++focusRequests;
        return focusAnswer;
    }
    void SetTimerInterval(int milliseconds) override { interval = milliseconds; }
    void SetWindowTopmost() override {
        Note("SetWindowTopmost");
        ++topmostCalls;
    }
    void MoveWindow(int x, int y) override {
        Note("MoveWindow");
        moves.push_back({x, y});
    }
    void UseJapaneseFont() override {
        Note("UseJapaneseFont");
        ++fontCalls;
    }

  private:
    void Note(const char *call) {
        if (journal)
            journal->push_back(call);
    }
};
