// The captured SID registers and the text dump's columns against register
// traces of real tunes recorded with an independent emulator (60 seconds each,
// start song, one row per play call).
#include "backend/FrameClock.h"
#include "convert/Converter.h"
#include "convert/FrameCapture.h"
#include "support/TestSupport.h"
#include "tune/SidTune.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace notecast {
namespace {

namespace fs = std::filesystem;

constexpr int kTraceFrames = 3000;

// One trace row: per voice freq, pw, ctrl, ad, sr; then $D417 and $D418 & $7F.
struct TraceRow {
    std::uint32_t v[3][5];
    std::uint32_t d417, d418;
};

std::vector<TraceRow> readTrace(const fs::path& path) {
    std::ifstream in(path);
    std::vector<TraceRow> rows;
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        std::istringstream cells(line);
        std::string cell;
        std::vector<std::uint32_t> values;
        while (std::getline(cells, cell, ',')) values.push_back(static_cast<std::uint32_t>(std::stoul(cell, nullptr, 16)));
        if (values.size() != 18) continue;
        TraceRow r{};
        for (int voice = 0; voice < 3; ++voice)
            for (int k = 0; k < 5; ++k) r.v[voice][k] = values[static_cast<std::size_t>(1 + 5 * voice + k)];
        r.d417 = values[16];
        r.d418 = values[17];
        rows.push_back(r);
    }
    return rows;
}

// What our capture says in the trace's terms.
TraceRow fromSnapshot(const FrameSnapshot& f) {
    TraceRow r{};
    auto reg = [&](int i) { return static_cast<std::uint32_t>(f.sidRegisters[static_cast<std::size_t>(i)]); };
    for (int v = 0; v < 3; ++v) {
        const int b = 7 * v;
        r.v[v][0] = reg(b) | reg(b + 1) << 8;
        r.v[v][1] = (reg(b + 2) | reg(b + 3) << 8) & 0xFFF;
        r.v[v][2] = reg(b + 4);
        r.v[v][3] = reg(b + 5);
        r.v[v][4] = reg(b + 6);
    }
    r.d417 = reg(0x17);
    r.d418 = reg(0x18) & 0x7F;
    return r;
}

// The dump's PW, WF and ADSR columns of one frame line, per voice.
struct DumpColumns {
    std::uint32_t pw[3], wf[3], ad[3], sr[3];
};

DumpColumns parseLine(const std::string& line) {
    DumpColumns c{};
    for (int v = 0; v < 3; ++v) {
        const std::size_t group = 10 + 28 * static_cast<std::size_t>(v);
        c.pw[v] = static_cast<std::uint32_t>(std::stoul(line.substr(group + 11, 4)));
        c.wf[v] = static_cast<std::uint32_t>(std::stoul(line.substr(group + 16, 2), nullptr, 16));
        c.ad[v] = static_cast<std::uint32_t>(std::stoul(line.substr(group + 19, 2), nullptr, 16));
        c.sr[v] = static_cast<std::uint32_t>(std::stoul(line.substr(group + 21, 2), nullptr, 16));
    }
    return c;
}

class TraceComparison : public ::testing::TestWithParam<std::string> {};

TEST_P(TraceComparison, RegistersAndDumpColumnsAgreeFrameByFrame) {
    const fs::path trace = test::sharedFile("traces/" + GetParam() + ".csv");
    const fs::path sid = test::sharedFile("psid/" + GetParam() + ".sid");
    NOTECAST_REQUIRE_SHARED(trace);
    NOTECAST_REQUIRE_SHARED(sid);
    const std::vector<TraceRow> rows = readTrace(trace);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kTraceFrames));

    SidTune tune(sid.string().c_str());
    ASSERT_TRUE(tune.status());
    const int song = tune.getInfo().startSong;

    // The registers as each play call left them.
    std::deque<FrameSnapshot> frames;
    {
        EmuEngine engine;
        NoteTracker tracker;
        FrameClock clock;
        ASSERT_TRUE(engine.initSong(tune, static_cast<std::uint16_t>(song)));
        FrameCapture capture(engine, tracker, frames, tune.getInfo().songSpeed == kSpeedCia);
        for (int i = 0; i < kTraceFrames; ++i) capture.step(clock);
        EXPECT_EQ(capture.stoppedCalls(), 0u);
    }
    // Differences are counted per register. One kind is explained and
    // allowed: before the tune first writes a register, each side shows its
    // own start value. Ours is the SID after the machine's reset (all 0, the
    // volume 15); the trace's emulator starts from 0 and, having no I/O
    // area, from whatever tune data lies at $D400-$D418.
    const char* names[5] = {"freq", "pw", "ctrl", "ad", "sr"};
    std::map<std::string, int> mismatches;
    std::map<std::string, int> firstMismatch;
    std::map<std::string, bool> untouched;
    auto differs = [&](const std::string& what, int frame) {
        if (mismatches[what]++ == 0) firstMismatch[what] = frame;
    };
    auto compare = [&](const std::string& what, int frame, std::uint32_t ours, std::uint32_t ourStart,
                       std::uint32_t theirs, std::uint32_t theirStart) {
        auto it = untouched.try_emplace(what, true).first;
        if (ours != ourStart || theirs != theirStart) it->second = false;
        if (ours != theirs && !it->second) differs(what, frame);
    };
    const TraceRow& start = rows.front();
    for (int i = 0; i < kTraceFrames; ++i) {
        const TraceRow ours = fromSnapshot(frames[static_cast<std::size_t>(i)]);
        const TraceRow& theirs = rows[static_cast<std::size_t>(i)];
        for (int v = 0; v < 3; ++v)
            for (int k = 0; k < 5; ++k)
                compare("v" + std::to_string(v + 1) + " " + names[k], i, ours.v[v][k], 0, theirs.v[v][k],
                        start.v[v][k]);
        compare("d417", i, ours.d417, 0, theirs.d417, start.d417);
        compare("d418", i, ours.d418, 0x0F, theirs.d418, start.d418);
    }

    // The text dump shows exactly the captured registers, frame by frame.
    const fs::path out = test::scratchDir("trace-" + GetParam()) / "dump.txt";
    {
        Converter converter;
        ConverterSettings settings;
        settings.outputMode = 1;
        settings.playSeconds = 60;
        converter.configure(settings);
        converter.initSong(tune, song);
        converter.run(out.string(), true, nullptr);
    }
    std::ifstream dump(out);
    std::string line;
    for (int i = 0; i < 17; ++i) std::getline(dump, line);
    int lines = 0;
    for (; lines < kTraceFrames && std::getline(dump, line); ++lines) {
        const DumpColumns c = parseLine(line);
        const TraceRow ours = fromSnapshot(frames[static_cast<std::size_t>(lines)]);
        for (int v = 0; v < 3; ++v) {
            const std::string tag = "dump v" + std::to_string(v + 1);
            if (c.pw[v] != ours.v[v][1]) differs(tag + " PW", lines);
            if (c.wf[v] != (ours.v[v][2] & 0xFE)) differs(tag + " WF", lines);
            if (c.ad[v] != ours.v[v][3] || c.sr[v] != ours.v[v][4]) differs(tag + " ADSR", lines);
        }
    }
    EXPECT_EQ(lines, kTraceFrames);

    for (const auto& [what, count] : mismatches)
        ADD_FAILURE() << GetParam() << ": " << what << " differs in " << count << " frames, first at frame "
                      << firstMismatch[what];
}

INSTANTIATE_TEST_SUITE_P(Traces, TraceComparison,
                         ::testing::Values("4_Zelda_Covers", "5th_Gear", "AY_Tester", "Acme_Industries",
                                           "Commando", "Cybernoid_II", "Delta", "Gryzor", "Krakout",
                                           "Last_Ninja", "Lightforce", "Monty_on_the_Run",
                                           "Ocean_Loader_2", "R-Type", "SID_Melancholy", "music"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

} // namespace
} // namespace notecast
