// The loupe and the averaged sample: the square's mean, the loupe's picture, its settings and
// menu, and how the window's logic reads, shows and keeps them.
#include "Testing.h"
#include "core/loupe/LoupeMenu.h"
#include "core/loupe/LoupePicture.h"
#include "core/sampling/ColourUnderPointer.h"
#include "support/Window.h"

#include <algorithm>
#include <set>

namespace {

// Each pixel's colour says where it is; nothing left of or above 0,0 can be read.
ColourValue Coordinates(ScreenPoint at) {
    if (at.x < 0 || at.y < 0)
        return CLR_INVALID;
    return RGB(at.x & 0xFF, at.y & 0xFF, 0x40);
}

ColourValue Checkerboard(ScreenPoint at) {
    return (at.x + at.y) % 2 == 0 ? RGB(255, 255, 255) : RGB(0, 10, 0);
}

PixelSquare SquareOf(ScreenPoint centre, int reach, ColourValue (*paint)(ScreenPoint)) {
    PixelSquare square{centre, reach, {}};
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            square.pixels.push_back(paint({centre.x + dx, centre.y + dy}));
    return square;
}

std::uint32_t PixelOf(const LoupePicture &picture, int x, int y) {
    return picture.pixels[static_cast<std::size_t>(y * picture.side + x)];
}

// The colours of one block's pixels, as the picture draws them.
std::set<std::uint32_t> BlockColours(const LoupePicture &picture, int zoom, int column, int row) {
    const int reach = LoupeReach(zoom);
    const int origin = (LoupeViewSize - (2 * reach + 1) * zoom) / 2;
    std::set<std::uint32_t> colours;
    for (int y = 1; y < zoom - 1; ++y) // inside the grid and the outline
        for (int x = 1; x < zoom - 1; ++x)
            colours.insert(PixelOf(picture, origin + column * zoom + x, origin + row * zoom + y));
    return colours;
}

std::uint32_t Opaque(ColourValue colour) {
    const ColourComponents c = SplitColour(colour);
    return 0xFF000000u | static_cast<std::uint32_t>(c.red << 16 | c.green << 8 | c.blue);
}

} // namespace

TEST_CASE("the sample's mean is rounded per channel and leaves out pixels beyond the screen") {
    struct Row {
        ScreenPoint centre;
        int side;
        ColourValue (*paint)(ScreenPoint);
        ColourValue mean;
    } rows[] = {
        {{10, 10}, 1, Checkerboard, RGB(255, 255, 255)},
        {{10, 10}, 3, Checkerboard, RGB(142, 146, 142)}, // 5 white, 4 dark: 1275 / 9 = 141.7
        {{11, 10}, 3, Checkerboard, RGB(113, 119, 113)}, // 4 white, 5 dark
        {{10, 10}, 5, Checkerboard, RGB(133, 137, 133)}, // 13 white, 12 dark
        {{0, 0}, 3, Coordinates, RGB(1, 1, 0x40)},       // the four on screen: 0.5 rounds up
        {{0, 0}, 5, Coordinates, RGB(1, 1, 0x40)},       // 0..2 each: the mean 1
        {{-1, 5}, 3, Coordinates, CLR_INVALID},          // the centre itself is off the screen
    };
    for (const Row &row : rows) {
        CHECK_EQ(AverageOf(SquareOf(row.centre, row.side / 2, row.paint), row.side), row.mean);
        // A larger square around the same centre gives the same mean.
        CHECK_EQ(AverageOf(SquareOf(row.centre, 7, row.paint), row.side), row.mean);
    }
}

TEST_CASE("the loupe draws each pixel as a block, the centre in the middle, unread ones hatched") {
    for (int zoom = LoupeSettings::MinZoom; zoom <= LoupeSettings::MaxZoom; ++zoom) {
        const int reach = LoupeReach(zoom);
        CHECK((2 * reach + 1) * zoom <= LoupeViewSize);
        CHECK((2 * reach + 3) * zoom > LoupeViewSize); // no room for one more ring
        // At the screen's top-left corner: the blocks left of and above it are unread.
        const LoupePicture picture = DrawLoupe(SquareOf({0, 0}, reach, Coordinates), zoom, 1);
        CHECK_EQ(picture.position, "0, 0");
        if (zoom < 3) {
            // Blocks of 2 have no inside to read: the centre's pixels away from the outline.
            const int middle = LoupeViewSize / 2;
            CHECK_EQ(PixelOf(picture, middle, middle), Opaque(Coordinates({0, 0})));
            continue;
        }
        for (const auto &[dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {reach, reach}}) {
            const auto colours = BlockColours(picture, zoom, dx + reach, dy + reach);
            CHECK(colours == std::set<std::uint32_t>{Opaque(Coordinates({dx, dy}))});
        }
        // Unread: the hatch's ink and the face between its lines, never a colour of its own.
        CHECK((BlockColours(picture, zoom, reach - 1, reach) ==
               std::set<std::uint32_t>{0xFF000000u, 0u}) == (zoom > 3));
        // The grid from zoom 6: a block's first pixel differs from its inside.
        const std::uint32_t corner =
            PixelOf(picture, (LoupeViewSize - (2 * reach + 1) * zoom) / 2 + (reach + 1) * zoom,
                    LoupeViewSize / 2 + zoom);
        CHECK_EQ(corner != Opaque(Coordinates({1, 1})), zoom >= 6);
    }
}

TEST_CASE("at 125% and 150% the blocks are all one whole size, as many as at 96 DPI") {
    struct Row {
        int zoom, side, block;
    } rows[] = {{5, 150, 6},  {5, 180, 7}, {3, 150, 3},  {3, 180, 4},
                {8, 180, 12}, {2, 150, 2}, {16, 150, 20}};
    for (const Row &row : rows) {
        const int reach = LoupeReach(row.zoom);
        const LoupePicture picture =
            DrawLoupe(SquareOf({300, 300}, reach, Coordinates), row.zoom, 1, row.side);
        CHECK_EQ(picture.side, row.side);
        CHECK_EQ(picture.pixels.size(), static_cast<std::size_t>(row.side * row.side));
        CHECK_EQ(LoupeBlock(row.zoom, row.side), row.block);
        // Along the last row of the top blocks, every pixel is its block's but the grid's.
        const int origin = (row.side - (2 * reach + 1) * row.block) / 2;
        const int y = origin + row.block - 1;
        int wrong = 0;
        for (int x = origin; x < origin + (2 * reach + 1) * row.block; ++x) {
            const int column = (x - origin) / row.block;
            if (row.zoom < 6 || (x - origin) % row.block != 0)
                wrong += PixelOf(picture, x, y) !=
                         Opaque(Coordinates({300 - reach + column, 300 - reach}));
        }
        CHECK_EQ(wrong, 0);
        if (origin > 0) // the face around the blocks
            CHECK_EQ(PixelOf(picture, origin - 1, y), 0u);
    }
}

// Over a light centre (luma by 299, 587 and 114 at least half) the outline is black and the grid
// a quarter of the way to black, over a dark one white and a quarter of the way to white: pure
// red's luma is 76, dark; pure green's 150, light.
TEST_CASE("the loupe outlines the sample in a colour that stands out from the centre") {
    const int zoom = 8;
    const int reach = LoupeReach(zoom);
    const int origin = (LoupeViewSize - (2 * reach + 1) * zoom) / 2;
    const struct {
        ColourValue colour;
        std::uint32_t outline, grid;
    } rows[] = {
        {RGB(255, 255, 255), 0xFF000000u, 0xFFBFBFBFu},
        {RGB(0, 0, 0), 0xFFFFFFFFu, 0xFF3F3F3Fu},
        {RGB(255, 0, 0), 0xFFFFFFFFu, 0xFFFF3F3Fu},
        {RGB(0, 255, 0), 0xFF000000u, 0xFF00BF00u},
    };
    for (const auto &row : rows)
        for (const int side : {1, 3, 5}) {
            PixelSquare square = SquareOf({50, 50}, reach, Checkerboard);
            std::ranges::fill(square.pixels, row.colour);
            const LoupePicture picture = DrawLoupe(square, zoom, side);
            const int first = origin + (reach - side / 2) * zoom;
            const int past = origin + (reach + side / 2 + 1) * zoom;
            const int middle = (first + past) / 2;
            // Corners and the middle of each edge.
            for (const auto &[x, y] : {std::pair{first, first},
                                       {past, past},
                                       {middle, first},
                                       {middle, past},
                                       {first, middle},
                                       {past, middle}})
                CHECK_EQ(PixelOf(picture, x, y), row.outline);
            CHECK_EQ(PixelOf(picture, past + 1, past + 1), Opaque(row.colour)); // the block
            // The first block's top row and left column are the grid, its inside the colour.
            CHECK_EQ(PixelOf(picture, origin + 3, origin), row.grid);
            CHECK_EQ(PixelOf(picture, origin, origin + 3), row.grid);
            CHECK_EQ(PixelOf(picture, origin + 3, origin + 3), Opaque(row.colour));
            CHECK_EQ(picture.scale, "8 倍  " + std::string(SampleWords(side)));
        }
    // Nothing read at all: no place to name.
    CHECK_EQ(DrawLoupe(PixelSquare{}, zoom, 1).position, "");
}

TEST_CASE("[Loupe] keys: what is stored when valid, the default otherwise, written back alike") {
    struct Row {
        const char *ini;
        LoupeSettings loupe;
    } rows[] = {
        {"", {false, 8, 1}},
        {"[Loupe]\nVisible=1\nZoom=16\nSample=5\n", {true, 16, 5}},
        {"[Loupe]\nVisible=2\nZoom=17\nSample=4\n", {false, 8, 1}},
        {"[Loupe]\nVisible=x\nZoom=1\nSample=2\n", {false, 8, 1}},
        {"[Loupe]\nVisible=0\nZoom=2\nSample=3\n", {false, 2, 3}},
    };
    for (const Row &row : rows) {
        Window t;
        t.StoreIni(row.ini);
        t.settings.SetIniPath(t.IniPath());
        CHECK(StoredLoupe(t.settings) == row.loupe);
        t.settings.WriteIni(LoupeEntries(row.loupe));
        CHECK(StoredLoupe(t.settings) == row.loupe);
    }
}

TEST_CASE("the preview's menu: the loupe, its zoom, the sample and the space, each checked") {
    LoupeSettings loupe;
    std::vector<MenuEntry> menu = LoupeMenu(loupe, ColourSpace::Srgb);
    std::vector<std::string> texts;
    for (const MenuEntry &entry : menu)
        texts.push_back(entry.text + (entry.checked ? "*" : ""));
    CHECK_EQ(texts,
             (std::vector<std::string>{"ルーペ", "", "2 倍", "3 倍", "4 倍", "6 倍", "8 倍*",
                                       "12 倍", "16 倍", "", "1 ピクセル*", "3×3 平均", "5×5 平均",
                                       "", "デバイス値", "sRGB (プロファイル変換)*"}));
    CHECK(SpaceOfMenuCommand(menu[14].command) == ColourSpace::Device);
    CHECK(SpaceOfMenuCommand(menu[15].command) == ColourSpace::Srgb);
    CHECK(AfterMenuCommand(loupe, menu[15].command) == loupe); // not the loupe's
    CHECK(!SpaceOfMenuCommand(menu[12].command));
    CHECK(LoupeMenu(loupe, ColourSpace::Device)[14].checked);
    loupe = AfterMenuCommand(loupe, menu[0].command);
    loupe = AfterMenuCommand(loupe, menu[3].command);
    loupe = AfterMenuCommand(loupe, menu[12].command);
    CHECK(loupe == (LoupeSettings{true, 3, 5}));
    CHECK(AfterMenuCommand(loupe, 0) == loupe);
    CHECK(AfterMenuCommand(loupe, 105) == loupe); // no such zoom among the choices
    CHECK_EQ(ZoomedBy(loupe, -4).zoom, 2);
    CHECK_EQ(ZoomedBy(loupe, 20).zoom, 16);
    CHECK_EQ(ZoomedBy(loupe, 1).zoom, 4);
}

TEST_CASE("the window reads only its sample while the loupe is hidden, the square once shown") {
    Window t;
    t.w.Form_Load();
    t.desktop.paint = Checkerboard;
    t.desktop.pointer = ScreenPoint{10, 10};
    t.Tick();
    CHECK_EQ(t.desktop.pixelReads, 1);
    CHECK((t.view.loupes.empty() && t.view.loupePanels.empty()));
    t.w.PreviewMenu_Click(203); // 3×3 平均
    const int reads = t.desktop.pixelReads;
    t.Tick();
    CHECK_EQ(t.desktop.pixelReads - reads, 9);
    CHECK_EQ(t.view.preview, RGB(142, 146, 142));
    CHECK_EQ(ColourUnderPointer(t.desktop, 3).colour, RGB(142, 146, 142)); // --print alike

    t.w.PreviewMenu_Click(1); // ルーペ
    CHECK_EQ(t.view.loupePanels, std::vector<bool>{true});
    CHECK_EQ(t.w.ClientAreaHeight(), ClientHeight + LoupePanelHeight);
    CHECK_EQ(t.view.loupes.size(), std::size_t{1}); // drawn at once, the whole square read
    t.Tick();
    t.Tick(); // the same pixels again: nothing new to draw
    CHECK_EQ(t.view.loupes.size(), std::size_t{1});
    CHECK_EQ(t.view.loupes.back(),
             DrawLoupe(SquareOf({10, 10}, LoupeReach(8), Checkerboard), 8, 3));

    // Held, the loupe stays on the pixels as they were at the hold, at every zoom, wherever the
    // pointer went and whatever the screen shows since: nothing more is read.
    t.Tick(true);
    t.desktop.pointer = ScreenPoint{500, 500};
    t.desktop.paint = Coordinates;
    const int heldReads = t.desktop.pixelReads;
    t.w.Picture5_MouseWheel(LoupeSettings::MaxZoom);
    for (int zoom = LoupeSettings::MaxZoom; zoom >= LoupeSettings::MinZoom; --zoom) {
        CHECK_EQ(t.view.loupes.back(),
                 DrawLoupe(SquareOf({10, 10}, LoupeReach(zoom), Checkerboard), zoom, 3));
        t.w.Picture5_MouseWheel(-1);
    }
    CHECK_EQ(t.desktop.pixelReads, heldReads);
    CHECK_EQ(t.view.preview, RGB(142, 146, 142));

    // On a monitor at 150%: drawn again at once, at its pixels.
    t.w.Picture5_Resize(180);
    CHECK_EQ(t.view.loupes.back(),
             DrawLoupe(SquareOf({10, 10}, LoupeReach(2), Checkerboard), 2, 3, 180));

    t.w.PreviewMenu_Click(1);
    CHECK_EQ(t.view.loupePanels, (std::vector<bool>{true, false}));
    CHECK_EQ(t.w.ClientAreaHeight(), ClientHeight);
}

TEST_CASE("a colour held with the loupe hidden keeps the pixels the loupe shows later") {
    Window t;
    t.w.Form_Load();
    t.desktop.paint = Checkerboard;
    t.Tick();
    t.desktop.paint = Coordinates; // between the tick and the click
    t.w.Check1_Click();
    t.desktop.paint = [](ScreenPoint) { return RGB(0, 0, 0); };
    t.w.PreviewMenu_Click(1);   // ルーペ
    t.w.PreviewMenu_Click(102); // 2 倍, the widest
    // Around the colour as the click held it, and the colour's own pixel as the tick read it.
    PixelSquare held = SquareOf({10, 20}, LoupeReach(2), Coordinates);
    held.pixels[held.pixels.size() / 2] = Checkerboard({10, 20});
    CHECK_EQ(t.view.loupes.back(), DrawLoupe(held, 2, 1));
    t.w.PreviewMenu_Click(1);
    t.w.Check1_Click();
    const int reads = t.desktop.pixelReads;
    t.Tick(); // sampling with the loupe hidden reads the sample alone again
    CHECK_EQ(t.desktop.pixelReads - reads, 1);
}

TEST_CASE("[Loupe] is restored at start and written after the four older keys at close") {
    Window t;
    t.StoreIni("[Position]\nLeft=1500\nTop=3000\n[Output]\nUpperCase=0\nType=2\n"
               "[Loupe]\nVisible=1\nZoom=12\nSample=5\n");
    t.w.Form_Load();
    CHECK_EQ(t.view.loupePanels, std::vector<bool>{true});
    CHECK(t.w.Loupe() == (LoupeSettings{true, 12, 5}));
    t.w.Picture5_MouseWheel(-2);
    t.Close();
    CHECK_EQ(t.Ini(),
             "[Position]\nLeft=1500\nTop=3000\n[Output]\nUpperCase=0\nType=2\n"
             "[Loupe]\nVisible=1\nZoom=10\nSample=5\n[Colour]\nSpace=0\n[History]\nKeep=0\n");
}
CHECK_MAIN
