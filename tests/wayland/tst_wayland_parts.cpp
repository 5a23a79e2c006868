// The Wayland backend's parts that need no desktop: pixel layouts, monitor layout, token file,
// stream demand and pacing, the ScreenCast handshake fed portal answers by hand.
#include "platform/wayland/DesktopLayout.h"
#include "platform/wayland/FrameFormat.h"
#include "platform/wayland/RestoreToken.h"
#include "platform/wayland/ScreenCastSession.h"
#include "platform/wayland/StreamDemand.h"
#include "unit/Testing.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// One pixel written as the format's definition says, independently of the decoder's masks:
// 8-bit formats name their bytes in memory order, packed 10-bit ones a little-endian word
// from its top bit down.
std::array<std::uint8_t, 4> Encode(FrameFormat f, int r, int g, int b) {
    using F = FrameFormat;
    const auto bytes = [](std::uint32_t w) {
        return std::array<std::uint8_t, 4>{
            static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
            static_cast<std::uint8_t>(w >> 16), static_cast<std::uint8_t>(w >> 24)};
    };
    const auto u8 = [](int v) { return static_cast<std::uint8_t>(v); };
    const std::uint32_t r10 = static_cast<std::uint32_t>(r) << 2 | 3,
                        g10 = static_cast<std::uint32_t>(g) << 2 | 3,
                        b10 = static_cast<std::uint32_t>(b) << 2 | 3;
    switch (f) {
    case F::BGRx:
    case F::BGRA:
        return {u8(b), u8(g), u8(r), 0xAA};
    case F::RGBx:
    case F::RGBA:
        return {u8(r), u8(g), u8(b), 0xAA};
    case F::xRGB:
    case F::ARGB:
        return {0xAA, u8(r), u8(g), u8(b)};
    case F::xBGR:
    case F::ABGR:
        return {0xAA, u8(b), u8(g), u8(r)};
    case F::xRGB_210LE:
    case F::ARGB_210LE:
        return bytes(2u << 30 | r10 << 20 | g10 << 10 | b10);
    case F::xBGR_210LE:
    case F::ABGR_210LE:
        return bytes(2u << 30 | b10 << 20 | g10 << 10 | r10);
    case F::RGBx_102LE:
    case F::RGBA_102LE:
        return bytes(r10 << 22 | g10 << 12 | b10 << 2 | 2u);
    case F::BGRx_102LE:
    case F::BGRA_102LE:
        return bytes(b10 << 22 | g10 << 12 | r10 << 2 | 2u);
    }
    return {};
}

} // namespace

TEST_CASE("every frame format decodes to the colour it holds") {
    for (int f = 0; f <= static_cast<int>(FrameFormat::BGRA_102LE); ++f) {
        const auto format = static_cast<FrameFormat>(f);
        for (const auto &c :
             {std::array{0x12, 0x34, 0x56}, std::array{255, 0, 128}, std::array{0, 255, 1}}) {
            const auto px = Encode(format, c[0], c[1], c[2]);
            const FrameView frame{px.data(), px.size(), 1, 1, 4, format};
            CHECK_EQ(ReadFramePixel(frame, 0, 0), RGB(c[0], c[1], c[2]));
        }
    }
}

TEST_CASE("frame reads honour stride and refuse what lies outside") {
    // 2x2 BGRx with 4 bytes of padding per row; the last row is cut short by the buffer.
    const std::uint8_t px[] = {1, 2, 3, 0, 4, 5, 6, 0, 9, 9, 9, 9, 7, 8, 9, 0};
    const FrameView frame{px, sizeof px, 2, 2, 12, FrameFormat::BGRx};
    CHECK_EQ(ReadFramePixel(frame, 1, 0), RGB(6, 5, 4));
    CHECK_EQ(ReadFramePixel(frame, 0, 1), RGB(9, 8, 7));
    CHECK_EQ(ReadFramePixel(frame, 1, 1), CLR_INVALID); // past the buffer's end
    CHECK_EQ(ReadFramePixel(frame, 2, 0), CLR_INVALID);
    CHECK_EQ(ReadFramePixel(frame, -1, 0), CLR_INVALID);
    CHECK_EQ(ReadFramePixel(FrameView{}, 0, 0), CLR_INVALID); // no frame yet
}

TEST_CASE("monitors of mixed scales lie apart in native pixels") {
    // A 2x monitor at logical (0,0) 1280x720 and a 1x monitor to its right at (1280,0).
    const std::vector<StreamPlacement> two{{true, 0, 0, 1280, 720, 2560, 1440},
                                           {true, 1280, 0, 1920, 1080, 1920, 1080}};
    const auto rects = LayOutStreams(two);
    CHECK_EQ(rects[0], (ScreenRect{0, 0, 2560, 1440}));
    CHECK_EQ(rects[1], (ScreenRect{2560, 0, 1920, 1080}));
    CHECK_EQ(StreamAt(rects, {2559, 1439}).value_or(9), 0u);
    CHECK_EQ(StreamAt(rects, {2560, 0}).value_or(9), 1u);
    CHECK(!StreamAt(rects, {2600, 1200}).has_value()); // below the smaller monitor
    // Without positions they go side by side; without a format they take no room.
    const auto loose = LayOutStreams(
        {{false, 0, 0, 0, 0, 800, 600}, {false, 0, 0, 0, 0, 0, 0}, {false, 0, 0, 0, 0, 640, 480}});
    CHECK_EQ(loose[2], (ScreenRect{800, 0, 640, 480}));
    CHECK_EQ(StreamAt(loose, {0, 0}).value_or(9), 0u);
}

TEST_CASE("a square across the edge between monitors reads each pixel from its own") {
    // Frames whose pixels say which monitor they are on and where in its frame: (tag, x, y).
    struct Row {
        std::vector<StreamPlacement> placements;
        ScreenPoint centre;
        int reach;
        std::vector<ScreenPoint> origins; // where each monitor's frame starts, by hand
        std::vector<std::string> grid;    // 'A', 'B': read from that monitor; '.': unread
    };
    const std::vector<Row> rows{
        // A 2x monitor (8x6 native) with a 1x one (4x2) to its right, touching at x = 8.
        {{{true, 0, 0, 4, 3, 8, 6}, {true, 4, 0, 4, 2, 4, 2}},
         {8, 1},
         2,
         {{0, 0}, {8, 0}},
         {".....", "AABBB", "AABBB", "AA...", "AA..."}},
        // Two 1x monitors, a wider one below.
        {{{true, 0, 0, 4, 4, 4, 4}, {true, 0, 4, 6, 2, 6, 2}},
         {3, 4},
         1,
         {{0, 0}, {0, 4}},
         {"AA.", "BBB", "BBB"}},
    };
    for (const Row &row : rows) {
        std::vector<std::vector<std::uint8_t>> memory;
        std::vector<FrameView> frames;
        for (std::size_t i = 0; i < row.placements.size(); ++i) {
            const StreamPlacement &p = row.placements[i];
            std::vector<std::uint8_t> bytes;
            for (int y = 0; y < p.frameHeight; ++y)
                for (int x = 0; x < p.frameWidth; ++x)
                    for (std::uint8_t b : Encode(FrameFormat::BGRx, 0x10 * int(i + 1), x, y))
                        bytes.push_back(b);
            memory.push_back(std::move(bytes));
            frames.push_back({memory.back().data(), memory.back().size(), p.frameWidth,
                              p.frameHeight, p.frameWidth * 4, FrameFormat::BGRx});
        }
        const PixelSquare square =
            SquareFromFrames(LayOutStreams(row.placements), frames, row.centre, row.reach);
        CHECK_EQ(square.Side(), 2 * row.reach + 1);
        CHECK_EQ(square.pixels.size(), row.grid.size() * row.grid.size());
        for (int dy = -row.reach; dy <= row.reach; ++dy)
            for (int dx = -row.reach; dx <= row.reach; ++dx) {
                const char on = row.grid[dy + row.reach][dx + row.reach];
                const int x = row.centre.x + dx, y = row.centre.y + dy;
                ColourValue expected = CLR_INVALID;
                if (on != '.') {
                    const int i = on - 'A';
                    expected = RGB(0x10 * (i + 1), x - row.origins[i].x, y - row.origins[i].y);
                }
                CHECK_EQ(square.At(dx, dy), expected);
            }
    }
}

TEST_CASE("the restore token lives in the state folder, private, replaced whole") {
    char base[] = "/tmp/kalvor-token-XXXXXX";
    CHECK(mkdtemp(base) != nullptr);
    setenv("XDG_STATE_HOME", base, 1);
    CHECK_EQ(RestoreToken::DefaultFolder(), std::string(base) + "/kalvor");
    setenv("XDG_STATE_HOME", "relative/is/ignored", 1);
    setenv("HOME", base, 1);
    CHECK_EQ(RestoreToken::DefaultFolder(), std::string(base) + "/.local/state/kalvor");

    const RestoreToken token({});
    CHECK_EQ(token.Load(), std::string());
    CHECK(token.Store("3e4285e1-aaaa"));
    CHECK(token.Store("5f00-bbbb")); // a grant replaces the spent token
    CHECK_EQ(token.Load(), std::string("5f00-bbbb"));
    struct stat info {};
    CHECK((stat(token.Path().c_str(), &info) == 0 && (info.st_mode & 0777) == 0600));
    CHECK(token.Store({}));
    CHECK_EQ(token.Load(), std::string());
    CHECK(!RestoreToken("/proc/no-such-place").Store("x"));
    std::system((std::string("rm -rf ") + base).c_str());
}

TEST_CASE("streams pause while nothing is read, crawl over the window, run otherwise") {
    struct Row {
        bool held, minimised, over, captureDue;
        StreamDemand demand;
    };
    using D = StreamDemand;
    for (const Row &r :
         {Row{false, false, false, false, D::Full}, Row{true, false, false, false, D::Paused},
          Row{false, true, false, false, D::Paused}, Row{true, true, true, false, D::Paused},
          Row{false, true, true, false, D::Paused}, Row{false, false, true, false, D::Slow},
          // a capture asked for while minimised reads the screen; one that releases a hold not
          Row{false, true, false, true, D::Full}, Row{false, false, true, true, D::Full},
          Row{true, true, false, true, D::Paused}})
        CHECK_EQ(static_cast<int>(DemandFor({r.held, r.minimised, r.over, r.captureDue})),
                 static_cast<int>(r.demand));
}

TEST_CASE("a paced stream rests between frames; a resume from a pause drops what was kept") {
    constexpr std::int64_t ms = 1000000;
    constexpr std::int64_t rest = StreamPacer::SlowPeriodNs;
    StreamPacer pacer;
    CHECK((pacer.Active() && pacer.Reading()));
    pacer.FullFrame(10 * ms); // full speed: frames change nothing
    CHECK((pacer.Active() && pacer.NextWake() == 0));

    CHECK(!pacer.Demand(StreamDemand::Paused)); // held
    CHECK((!pacer.Active() && !pacer.Reading()));
    CHECK(!pacer.Demand(StreamDemand::Paused)); // minimised as well: no second resume
    CHECK(pacer.Demand(StreamDemand::Full));    // released: the kept frame is stale
    CHECK((pacer.Active() && pacer.Reading()));
    CHECK(!pacer.Demand(StreamDemand::Full));

    // Over the window: run to the next frame, rest the period and until the pointer moves.
    CHECK(!pacer.Demand(StreamDemand::Slow));
    CHECK(pacer.Active());
    pacer.FullFrame(100 * ms);
    CHECK((!pacer.Active() && pacer.Reading()));
    CHECK_EQ(pacer.NextWake(), 100 * ms + rest);
    pacer.PointerMoved();            // during the rest: no frame before it is out
    pacer.Wake(100 * ms + rest - 1); // early: keeps resting
    CHECK(!pacer.Active());
    pacer.Wake(100 * ms + rest);
    CHECK((pacer.Active() && pacer.NextWake() == 0));
    pacer.FullFrame(400 * ms);
    CHECK(!pacer.Active());
    // The pointer resting on the window: once the period is out, no frame until it moves.
    pacer.Wake(400 * ms + rest);
    CHECK((!pacer.Active() && pacer.NextWake() == 0));
    pacer.PointerMoved();
    CHECK(pacer.Active());
    pacer.FullFrame(900 * ms);
    CHECK(!pacer.Active());
    // Resting is not a pause: leaving the window resumes at once and keeps the frame.
    CHECK(!pacer.Demand(StreamDemand::Full));
    CHECK((pacer.Active() && pacer.NextWake() == 0));
    pacer.PointerMoved();        // not over the window any more: changes nothing
    pacer.Wake(900 * ms + rest); // a late timer of the slow pace changes nothing
    CHECK(pacer.Active());
    // Held while resting, then back over the window: a resume, run to a fresh frame.
    CHECK(!pacer.Demand(StreamDemand::Slow));
    pacer.FullFrame(500 * ms);
    CHECK(!pacer.Demand(StreamDemand::Paused));
    CHECK((!pacer.Active() && pacer.NextWake() == 0));
    CHECK(pacer.Demand(StreamDemand::Slow));
    CHECK(pacer.Active());

    // Where every resume leaves a cost behind, Slow never rests; a hold still pauses.
    StreamPacer steady(false);
    CHECK(!steady.Demand(StreamDemand::Slow));
    steady.FullFrame(100 * ms);
    CHECK((steady.Active() && steady.NextWake() == 0));
    CHECK(!steady.Demand(StreamDemand::Paused));
    CHECK(!steady.Active());
    CHECK(steady.Demand(StreamDemand::Slow));
    // Told so while resting (the next streams' portal forbids it): the rest ends at once.
    pacer.FullFrame(2000 * ms);
    CHECK(!pacer.Active());
    pacer.SetRest(false);
    CHECK((pacer.Active() && pacer.NextWake() == 0));
    pacer.FullFrame(2100 * ms);
    CHECK(pacer.Active());
}

TEST_CASE("frames that only move the pointer over one colour let the streams coast") {
    constexpr std::int64_t ms = 1000000;
    constexpr std::int64_t rest = StreamPacer::CoastPeriodNs;
    const FrameNews crossing{true, false};
    const FrameNews other{true, true};
    const FrameNews resting{false, false};
    // n frames 50 ms apart from `from`; true when the streams still run after each.
    const auto frames = [](StreamPacer &p, int n, std::int64_t from, FrameNews news) {
        bool ran = true;
        for (int i = 0; i < n; ++i) {
            p.FullFrame(from + i * 50 * ms, news);
            ran = ran && p.Active();
        }
        return ran;
    };
    const int coast = StreamPacer::CoastAfterFrames;
    StreamPacer pacer;
    CHECK(frames(pacer, coast - 1, 0, crossing));
    pacer.FullFrame(500 * ms, crossing); // the tenth in a row: rests
    CHECK((!pacer.Active() && pacer.Reading() && pacer.NextWake() == 500 * ms + rest));
    pacer.Wake(500 * ms + rest); // runs again without a move over the window
    CHECK(pacer.Active());
    pacer.FullFrame(800 * ms, crossing);
    CHECK(!pacer.Active());
    pacer.Wake(800 * ms + rest);
    pacer.FullFrame(1100 * ms, other); // another colour: runs on, and counts from nothing
    CHECK((pacer.Active() && pacer.NextWake() == 0));
    CHECK(frames(pacer, coast - 1, 1200 * ms, crossing));
    pacer.FullFrame(1700 * ms, resting); // the pointer at rest: so does the count
    CHECK(frames(pacer, coast - 1, 1800 * ms, crossing));
    // A capture ends the rest at once; the count starts again.
    pacer.FullFrame(2300 * ms, crossing);
    CHECK(!pacer.Active());
    CHECK(pacer.Hurry());
    CHECK((pacer.Active() && pacer.NextWake() == 0 && !pacer.Hurry()));
    CHECK(frames(pacer, coast - 1, 2400 * ms, crossing));
    // So does a hold; released, the count starts again. Held, nothing hurries.
    pacer.FullFrame(2900 * ms, crossing);
    CHECK(!pacer.Active());
    CHECK(!pacer.Demand(StreamDemand::Paused));
    CHECK((!pacer.Hurry() && !pacer.Active()));
    CHECK(pacer.Demand(StreamDemand::Full));
    CHECK(frames(pacer, coast - 1, 3000 * ms, crossing));
    // Where resting costs (no stream ids), the streams never coast.
    StreamPacer steady(false);
    CHECK(frames(steady, 3 * coast, 0, crossing));
}

namespace {

// Stands for the bus, the token file and the streams: notes what the session asks for.
struct FakePort final : ScreenCastSession::Port {
    std::string token;      // as stored
    bool callsGo = true;    // the bus takes calls
    std::string streamFail; // what connecting the streams answers
    std::vector<std::string> asked;
    WaylandScreenReader::State state = WaylandScreenReader::State::Starting;

    std::string Take() { // what was asked since last time, one line
        std::string all;
        for (const auto &a : asked)
            all += (all.empty() ? "" : "; ") + a;
        asked.clear();
        return all;
    }
    bool Note(const std::string &what) {
        asked.push_back(what);
        return callsGo;
    }
    bool GetProperties() override { return Note("properties"); }
    bool CreateSession() override { return Note("create"); }
    bool SelectSources(const std::string &session, bool persist,
                       const std::string &restore) override {
        return Note("select " + session + (persist ? " persist" : "") +
                    (restore.empty() ? "" : " token " + restore));
    }
    bool Start(const std::string &session) override { return Note("start " + session); }
    bool OpenRemote(const std::string &session) override { return Note("remote " + session); }
    std::string ConnectStreams(int fd, const std::vector<std::uint32_t> &nodes,
                               const std::vector<StreamPlacement> &, bool rest) override {
        std::string what = "connect fd " + std::to_string(fd) + " nodes";
        for (const auto n : nodes)
            what += " " + std::to_string(n);
        what += rest ? " resting" : "";
        Note(what);
        return streamFail;
    }
    void Close(const std::string &session) override {
        if (!session.empty())
            Note("close " + session);
    }
    void ConsentTimer(bool armed) override {
        if (armed)
            Note("timer");
    }
    std::string LoadToken() override { return token; }
    void StoreToken(const std::string &value) override {
        Note("store '" + value + "'");
        token = value;
    }
    void Report(WaylandScreenReader::State now, const std::string &detail) override {
        state = now;
        Note(std::string("status ") + WaylandScreenReader::Name(now) +
             (detail.empty() ? "" : " (" + detail + ")"));
    }
};

using Step = ScreenCastSession::Step;
constexpr ScreenCastSession::Abilities kFull{4, 7, 3}; // mutter 43 and KWin 5.27 alike

// As mutter's portal describes a monitor's stream (with its `id`); KWin 5.27's leaves it out.
ScreenCastSession::Grant OneMonitor(const std::string &token, bool identified = true) {
    return {token, {42}, {StreamPlacement{}}, identified};
}

} // namespace

TEST_CASE("the screen cast asks for consent, streams, and ends when the desktop closes it") {
    FakePort port;
    ScreenCastSession cast(port);
    cast.Begin();
    CHECK_EQ(port.Take(), std::string("status starting; properties"));
    cast.SourcesSelected(0); // out of turn: ignored
    cast.Properties(kFull);
    CHECK_EQ(port.Take(), std::string("create"));
    CHECK(cast.Handshaking());
    cast.SessionCreated("/s/1");
    CHECK_EQ(port.Take(), std::string("select /s/1 persist"));
    cast.SourcesSelected(0);
    CHECK_EQ(port.Take(), std::string("status asking-consent; start /s/1"));
    cast.Started(0, OneMonitor("t2"));
    CHECK_EQ(port.Take(), std::string("store 't2'; remote /s/1"));
    cast.RemoteOpened(7);
    CHECK_EQ(
        port.Take(),
        std::string(
            "status starting (connecting to the screen streams); connect fd 7 nodes 42 resting"));
    CHECK((cast.CurrentStep() == Step::Streaming && !cast.Handshaking()));
    cast.Closed();
    CHECK_EQ(port.Take(), std::string("status revoked"));
    CHECK(cast.CurrentStep() == Step::Idle);
    cast.Fail(WaylandScreenReader::State::PipeWireDied, "late"); // stopped: nothing more
    CHECK_EQ(port.Take(), std::string());
    CHECK_EQ(port.token, std::string("t2"));
}

TEST_CASE("a stored permission starts without asking, unless the desktop takes its time") {
    FakePort port;
    port.token = "t1";
    ScreenCastSession cast(port);
    cast.Begin();
    cast.Properties(kFull);
    cast.SessionCreated("/s/2");
    port.Take();
    cast.SourcesSelected(0);
    CHECK_EQ(port.Take(), std::string("timer; start /s/2")); // no dialog said yet
    cast.ConsentTimeout();
    CHECK_EQ(port.Take(), std::string("status asking-consent"));
    cast.Started(0, OneMonitor("t3", false));
    CHECK_EQ(port.Take(), std::string("store 't3'; remote /s/2"));
    cast.ConsentTimeout(); // too late to matter
    CHECK_EQ(port.Take(), std::string());
    // Streams described without their ids (KWin 5.27's portal): no resting between frames.
    cast.RemoteOpened(5);
    CHECK_EQ(
        port.Take(),
        std::string("status starting (connecting to the screen streams); connect fd 5 nodes 42"));
    // A new Begin drops the session that was there.
    cast.Begin();
    CHECK_EQ(port.Take(), std::string("close /s/2; status starting; properties"));
}

TEST_CASE("refusals and failures end the handshake with the state the user is told") {
    using S = WaylandScreenReader::State;
    struct Row {
        const char *what;
        int failAt; // the step whose answer goes wrong
        ScreenCastSession::Abilities abilities;
        std::uint32_t code;
        bool callsGo;
        S state;
        const char *token; // stored token afterwards
    };
    const Row rows[] = {
        {"no portal version", 0, {0, 7, 3}, 0, true, S::PortalMissing, "t1"},
        {"windows only", 0, {4, 7, 2}, 0, true, S::PortalMissing, "t1"},
        {"no cursor metadata (wlroots)", 0, {4, 3, 3}, 0, true, S::NoCursorMetadata, "t1"},
        {"the bus refuses calls", 1, kFull, 0, false, S::PortalMissing, "t1"},
        {"no session handle", 1, kFull, 0, true, S::PortalMissing, "t1"},
        {"sources cancelled", 2, kFull, 1, true, S::Refused, "t1"},
        {"sources failed", 2, kFull, 2, true, S::PortalMissing, "t1"},
        {"the user says no", 3, kFull, 1, true, S::Refused, ""},
        {"the desktop ends it", 3, kFull, 2, true, S::Refused, "t1"},
        {"no monitor shared", 3, kFull, 0, true, S::Refused, "t9"},
        {"no PipeWire remote", 4, kFull, 0, true, S::PipeWireDied, "t9"},
        {"streams do not open", 5, kFull, 0, true, S::PipeWireDied, "t9"},
    };
    for (const Row &r : rows) {
        FakePort port;
        port.token = "t1";
        ScreenCastSession cast(port);
        cast.Begin();
        cast.Properties(r.abilities);
        if (r.failAt == 1) {
            port.callsGo = r.callsGo;
            cast.SessionCreated(r.callsGo ? "" : "/s/3");
            cast.SessionCreated("/s/3"); // too late: nothing is waiting for it
        } else if (r.failAt > 1) {
            cast.SessionCreated("/s/3");
        }
        if (r.failAt >= 2)
            cast.SourcesSelected(r.failAt == 2 ? r.code : 0);
        if (r.failAt >= 3)
            cast.Started(r.failAt == 3 ? r.code : 0, r.failAt == 3 && r.code == 0
                                                         ? ScreenCastSession::Grant{"t9", {}, {}}
                                                         : OneMonitor("t9"));
        if (r.failAt == 4)
            cast.CallFailed("no remote");
        if (r.failAt == 5) {
            port.streamFail = "cannot open a screen stream";
            cast.RemoteOpened(3);
        }
        CHECK(cast.CurrentStep() == Step::Idle);
        CHECK_EQ(std::string(WaylandScreenReader::Name(port.state)) + " " + r.what,
                 std::string(WaylandScreenReader::Name(r.state)) + " " + r.what);
        CHECK_EQ(port.token, std::string(r.token));
    }
}

CHECK_MAIN
