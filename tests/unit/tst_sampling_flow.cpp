// The sampling tick, the hold and their triggers, against a scripted desktop.
#include "Testing.h"
#include "core/sampling/ColourUnderPointer.h"
#include "support/FakeDesktop.h"
#include "support/Window.h"

TEST_CASE("a tick while sampling shows the pixel under the pointer") {
    Window t;
    t.w.Form_Load();
    CHECK_EQ(t.w.DesktopWnd(), t.desktop.desktop);
    CHECK_EQ(t.w.TimerInterval(), 50);
    t.desktop.pointer = ScreenPoint{639, 479};
    t.desktop.pixel = 0xD2691E;
    t.Tick();
    CHECK_EQ(t.desktop.pixelReads, 1);
    CHECK(t.desktop.pixelsAt.back() == (ScreenPoint{639, 479}));
    CHECK_EQ(t.desktop.pixelDesktops.back(), t.desktop.desktop);
    CHECK_EQ(t.view.preview, 0xD2691E);
    CHECK_EQ(t.view.texts, (ColourTexts{"30", "105", "210", "#1E69D2"}));
    CHECK(!t.w.Held());

    t.desktop.pointer = std::nullopt; // the pointer cannot be read: no pixel either
    t.Tick();
    CHECK_EQ(t.desktop.pixelReads, 1);
    CHECK_EQ(t.view.preview, CLR_INVALID);
    CHECK_EQ(t.view.texts, ColourTexts{});
    t.desktop.pointer = ScreenPoint{1, 2};
    t.desktop.pixel = CLR_INVALID; // nor the pixel
    t.Tick();
    CHECK_EQ(t.view.texts, ColourTexts{});
    t.desktop.pixel = 0x808080;
    t.w.Text2_Change("128,128,128xyz"); // what was typed gives way to the next tick
    t.Tick();
    CHECK_EQ(t.view.texts.code, "#808080");
    CHECK_EQ(t.w.Texts().code, "#808080");
}

TEST_CASE("Space holds the colour of that tick, and Space again samples on") {
    Window t;
    t.w.Form_Load();
    t.desktop.pixel = 0x0000FF;
    t.Tick(true);
    CHECK((t.w.Held() && t.view.held));
    CHECK_EQ(t.view.interval, 200);
    CHECK_EQ(t.view.preview, 0x0000FF);
    t.desktop.pixel = 0x00FF00;
    const int reads = t.desktop.pixelReads;
    t.Tick();
    t.Tick();
    CHECK_EQ(t.desktop.pixelReads, reads); // held: the screen is not read
    CHECK_EQ(t.view.preview, 0x0000FF);
    t.Tick(true);
    CHECK((!t.w.Held() && !t.view.held));
    CHECK_EQ(t.view.interval, 50);
    CHECK_EQ(t.desktop.pixelReads, reads); // the releasing tick still shows the held colour
    t.Tick();
    CHECK_EQ(t.desktop.pixelReads, reads + 1);
    CHECK_EQ(t.view.preview, 0x00FF00);
}

TEST_CASE("Space kept down flips the hold at every tick") {
    Window t;
    t.w.Form_Load();
    for (int tick = 1; tick <= 6; ++tick) {
        t.desktop.keyAnswers.push_back(KeyDownNow);
        t.Tick();
        CHECK_EQ(t.w.Held(), tick % 2 == 1);
        CHECK_EQ(t.view.interval, tick % 2 ? 200 : 50);
    }
    // The ticks that began sampling read their sample; each hold, once, what the loupe may show.
    CHECK_EQ(t.desktop.squareReaches, (std::vector<int>{0, HeldReach, 0, HeldReach, 0, HeldReach}));
}

TEST_CASE("a press before start-up does not count; a key still down does") {
    Window before;
    before.desktop.PressSpaceOnce();
    before.w.Form_Load();
    before.Tick();
    CHECK(!before.w.Held());

    Window down;
    down.desktop.keyAnswers = {KeyDownNow, KeyDownNow}; // start-up's read, the first tick's
    down.w.Form_Load();
    down.Tick();
    CHECK(down.w.Held());
    CHECK_EQ(down.w.Swatches().Count(), 1);
}

TEST_CASE("clicks on the preview and its frame toggle the hold and capture nothing") {
    Window t;
    t.w.Form_Load();
    t.Tick();
    t.desktop.squareReaches.clear();
    const struct {
        void (FenwoMain::*click)();
        bool held;
    } clicks[] = {{&FenwoMain::Picture1_Click, true},
                  {&FenwoMain::Check1_Click, false},
                  {&FenwoMain::Check1_Click, true},
                  {&FenwoMain::Picture1_Click, false}};
    for (const auto &c : clicks) {
        (t.w.*c.click)();
        CHECK_EQ(t.w.Held(), c.held);
        CHECK_EQ(t.view.held, c.held);
        CHECK_EQ(t.view.interval, c.held ? 200 : 50);
    }
    CHECK_EQ(t.desktop.squareReaches, (std::vector<int>{HeldReach, HeldReach}));
    t.w.Picture1_Click();
    t.Tick(true); // Space ends a hold made by a click, capturing nothing
    CHECK(!t.w.Held());
    CHECK_EQ(t.w.Swatches().Count(), 0);
    CHECK(t.desktop.clipboard.empty());
    t.desktop.pixel = 0xABCDEF;
    t.Tick(true); // only the press after that captures
    CHECK_EQ(t.w.Swatches().Count(), 1);
    CHECK_EQ(t.w.Swatches().Swatch(0), 0xABCDEF);
}

TEST_CASE("a capture asked for from outside is one Space press at the next tick") {
    Window t;
    t.w.Form_Load();
    t.desktop.pixel = 0x123456;
    t.w.RequestCapture();
    CHECK(!t.w.Held()); // nothing until the tick
    CHECK(t.desktop.clipboard.empty());
    t.Tick();
    CHECK(t.w.Held());
    CHECK_EQ(t.w.Swatches().Count(), 1);
    CHECK_EQ(t.desktop.clipboard.size(), 1u);
    t.Tick(); // taken once
    CHECK(t.w.Held());
    t.w.RequestCapture();
    t.Tick(true); // a request and a press in one tick are one press
    CHECK(!t.w.Held());
    t.Tick();
    CHECK(!t.w.Held());
    CHECK_EQ(t.w.Swatches().Count(), 1);
    // Four requests before a tick are four presses, one a tick; a press in one of those
    // ticks is that tick's press.
    for (int i = 0; i < 4; ++i)
        t.w.RequestCapture();
    const struct {
        bool space;
        bool held;
    } ticks[] = {{false, true}, {true, false}, {false, true}, {false, false}, {false, false}};
    for (const auto &tick : ticks) {
        t.Tick(tick.space);
        CHECK_EQ(t.w.Held(), tick.held);
    }
    CHECK_EQ(t.w.Swatches().Count(), 3);
}

TEST_CASE("a click on the preview, and what the preview says, follow the reader's state") {
    const struct {
        ReaderState::Kind kind;
        bool held;  // the click toggled the hold
        int asks;   // it asked the desktop again
        bool picks; // it opened a pick
        bool shown; // the reason is on the preview
        bool told;  // and told the user, once
        bool askAgainHelps = true;
    } rows[] = {
        {ReaderState::Reading, true, 0, false, false, false},
        {ReaderState::AwaitingConsent, true, 0, false, true, false},
        {ReaderState::Refused, false, 1, false, true, true},
        {ReaderState::Unavailable, false, 1, false, true, true},
        {ReaderState::Unavailable, true, 0, false, true, true, false}, // asking cannot help
        {ReaderState::PickOnly, false, 0, true, true, true},
    };
    for (const auto &row : rows) {
        Window t;
        t.w.Form_Load();
        t.desktop.readState = {row.kind, "why", row.askAgainHelps};
        t.w.ReaderStateChanged();
        t.w.ReaderStateChanged(); // the same trouble again is not told again
        CHECK_EQ(t.view.Tip(), row.shown ? "why" : "吸い取り有効/無効");
        CHECK_EQ(t.desktop.said.size(), row.told ? 1u : 0u);
        t.w.Picture1_Click();
        CHECK_EQ(t.w.Held(), row.held);
        CHECK_EQ(t.desktop.askAgains, row.asks);
        CHECK_EQ(t.desktop.picks.size(), row.picks ? 1u : 0u);
        CHECK(t.desktop.clipboard.empty());
    }
}

TEST_CASE("a pick that ends is a capture; a cancelled one, and a read restored, change nothing") {
    Window t;
    t.w.Form_Load();
    t.desktop.readState = {ReaderState::PickOnly, "pick"};
    t.w.ReaderStateChanged();
    t.w.Picture1_Click();
    t.desktop.picks.at(0)(CLR_INVALID);
    CHECK(!t.w.Held());
    CHECK(t.desktop.clipboard.empty());
    t.w.Picture1_Click();
    t.desktop.picks.at(1)(0xD2691E);
    CHECK(t.w.Held());
    CHECK_EQ(t.Clipboard(), "#1E69D2");
    // Another pick while held: still held, the new colour shown, kept and copied.
    t.w.Picture1_Click();
    t.desktop.picks.at(2)(0x563412);
    CHECK(t.w.Held());
    CHECK_EQ(t.view.preview, 0x563412);
    CHECK_EQ(t.w.Swatches().Count(), 2);
    CHECK_EQ(t.Clipboard(), "#123456");
    t.desktop.readState = {ReaderState::Refused, "no"};
    t.w.ReaderStateChanged();
    t.desktop.readState = {ReaderState::Reading, "reading"};
    t.w.ReaderStateChanged();
    CHECK_EQ(t.view.tips, (std::vector<std::string>{"pick", "no", "吸い取り有効/無効"}));
    CHECK_EQ(t.desktop.said, (std::vector<std::string>{"pick", "no"}));
    t.w.Picture1_Click(); // reading again: the click releases the hold
    CHECK(!t.w.Held());
    CHECK_EQ(t.desktop.picks.size(), 3u);
}

TEST_CASE("options while held re-render without reading") {
    Window t;
    t.w.Form_Load();
    t.desktop.pixel = 0xD2691E;
    t.Tick(true);
    t.desktop.pixel = 0;
    const int reads = t.desktop.pixelReads;
    t.w.Combo1_Click(2);
    CHECK_EQ(t.view.texts.code, "30,105,210");
    t.w.Combo1_Click(1);
    t.w.Check2_Click();
    CHECK_EQ(t.view.texts.code, "1e69d2");
    t.Tick();
    CHECK_EQ(t.desktop.pixelReads, reads);
    CHECK(t.w.Held());
}

CHECK_MAIN

TEST_CASE("--print reads the pixel under the pointer once, or says which read failed") {
    const struct {
        std::optional<ScreenPoint> pointer;
        ColourValue pixel;
        ColourValue colour;
        const char *problem;
        int pixelReads;
    } rows[] = {
        {ScreenPoint{-5, 7}, 0xD2691E, 0xD2691E, "", 1},
        {ScreenPoint{0, 0}, 0, 0, "", 1}, // black is a colour
        {std::nullopt, 0xD2691E, CLR_INVALID, "the pointer is elsewhere", 0},
        {ScreenPoint{3, 4}, CLR_INVALID, CLR_INVALID, "the pixel under the pointer cannot be read",
         1},
    };
    for (const auto &row : rows) {
        FakeDesktop screen;
        screen.pointer = row.pointer;
        screen.pixel = row.pixel;
        const PointerColour got = ColourUnderPointer(screen, 1, "the pointer is elsewhere");
        CHECK_EQ(got.colour, row.colour);
        CHECK_EQ(got.problem, std::string(row.problem));
        CHECK_EQ(got.Read(), got.problem.empty());
        CHECK_EQ(screen.pixelReads, row.pixelReads);
        if (row.pixelReads > 0) {
            CHECK(screen.pixelsAt.back() == *row.pointer);
            CHECK_EQ(screen.pixelDesktops.back(), screen.desktop);
        }
    }
    NullScreenReader nothing;
    CHECK_EQ(ColourUnderPointer(nothing).problem,
             std::string("the pointer's position cannot be read"));
}
