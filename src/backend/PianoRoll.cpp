#include "backend/PianoRoll.h"

#include "backend/SvgText.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace notecast {

namespace {

// Time scale: at most this many pixels a second, and about this many
// pixels across for a long song, but never less than one a second.
constexpr double kMaxPxPerSecond = 40.0;
constexpr double kMinPxPerSecond = 1.0;
constexpr double kTargetRollWidth = 12000.0;
// Margins: the left one holds the drum names.
constexpr double kLeft = 120.0;
constexpr double kRight = 48.0;
constexpr double kMinCanvasWidth = 960.0;
// Pitch scale: the rows share about this height.
constexpr double kTargetRollHeight = 520.0;
constexpr double kMinRow = 3.0;
constexpr double kMaxRow = 10.0;
constexpr int kMinRows = 25;
constexpr double kDrumRow = 12.0;
// Notes this close at the same pitch are one bar; a bar is at least a
// pixel wide, and a bending bar keeps at most four points per pixel.
constexpr double kMergeGap = 1.5;
constexpr double kMinNoteWidth = 1.0;
constexpr double kLegendRow = 18.0;
constexpr double kMaxLegendWidth = 1600.0;
constexpr double kCharWidth = 6.6;  // of the 12-pixel legend text, about

// A colour per MIDI channel, told apart on white; channel 10 (drums) dark.
const char* const kColours[PianoRoll::kChannels] = {
    "#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd", "#8c564b", "#e377c2", "#17becf",
    "#bcbd22", "#37474f", "#7f7f7f", "#393b79", "#637939", "#8c6d31", "#843c39", "#7b4173"};

// Velocities in four steps of opacity.
const char* const kOpacities[] = {"1", "0.85", "0.7", "0.55"};
int velocityStep(int velocity) {
    if (velocity >= 112) return 0;
    if (velocity >= 80) return 1;
    if (velocity >= 48) return 2;
    return 3;
}

// The General MIDI percussion keys 35-81.
constexpr int kFirstDrumKey = 35;
const char* const kDrumNames[] = {
    "Acoustic Bass Drum", "Bass Drum 1",    "Side Stick",     "Acoustic Snare", "Hand Clap",
    "Electric Snare",     "Low Floor Tom",  "Closed Hi-Hat",  "High Floor Tom", "Pedal Hi-Hat",
    "Low Tom",            "Open Hi-Hat",    "Low-Mid Tom",    "Hi-Mid Tom",     "Crash Cymbal 1",
    "High Tom",           "Ride Cymbal 1",  "Chinese Cymbal", "Ride Bell",      "Tambourine",
    "Splash Cymbal",      "Cowbell",        "Crash Cymbal 2", "Vibraslap",      "Ride Cymbal 2",
    "Hi Bongo",           "Low Bongo",      "Mute Hi Conga",  "Open Hi Conga",  "Low Conga",
    "High Timbale",       "Low Timbale",    "High Agogo",     "Low Agogo",      "Cabasa",
    "Maracas",            "Short Whistle",  "Long Whistle",   "Short Guiro",    "Long Guiro",
    "Claves",             "Hi Wood Block",  "Low Wood Block", "Mute Cuica",     "Open Cuica",
    "Mute Triangle",      "Open Triangle"};
constexpr int kDrumNameCount = static_cast<int>(sizeof kDrumNames / sizeof kDrumNames[0]);

std::string drumName(int key) {
    if (key >= kFirstDrumKey && key < kFirstDrumKey + kDrumNameCount) return kDrumNames[key - kFirstDrumKey];
    return "Key " + std::to_string(key);
}

bool blackKey(int key) {
    const int pc = key % 12;
    return pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
}

std::string minutesSeconds(std::uint64_t seconds) {
    std::string text = std::to_string(seconds / 60) + ":";
    if (seconds % 60 < 10) text += '0';
    return text + std::to_string(seconds % 60);
}

std::size_t codePoints(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A point of a note's pitch line: time and pitch in MIDI keys.
struct PitchPoint {
    std::uint64_t time;
    double pitch;
};

// The pitch a note has from its start to its end: its key, moved by the
// bend in force at its start and by every bend of its channel while it
// sounds, a step at each.
std::vector<PitchPoint> pitchLine(const PianoRoll::Note& note, const std::vector<PianoRoll::Bend>& bends) {
    auto later = [](std::uint64_t t, const PianoRoll::Bend& b) { return t < b.time; };
    auto it = std::upper_bound(bends.begin(), bends.end(), note.start, later);
    double bend = it == bends.begin() ? 0.0 : std::prev(it)->semitones;
    std::vector<PitchPoint> line{{note.start, note.key + bend}};
    for (; it != bends.end() && it->time < note.end; ++it) {
        if (it->semitones == bend) continue;
        line.push_back({it->time, note.key + bend});
        bend = it->semitones;
        line.push_back({it->time, note.key + bend});
    }
    line.push_back({note.end, note.key + bend});
    return line;
}

// A rectangle as a sub-path.
void rectPath(std::string& path, double left, double top, double width, double height) {
    path += 'M';
    appendNumber(path, left);
    path += ' ';
    appendNumber(path, top);
    path += 'h';
    appendNumber(path, width);
    path += 'v';
    appendNumber(path, height);
    path += 'h';
    appendNumber(path, -width);
    path += 'z';
}

// Sub-paths by velocity step.
using Paths = std::array<std::string, 4>;

// One group in a colour: a path for each velocity step that has any. The
// bending bars have an outline in their colour as well, so that a step
// narrower than a pixel (an arpeggio's frame) still shows.
void appendGroup(std::string& out, const char* colour, const Paths& bars, const Paths& bending = {}) {
    out += "<g fill=\"";
    out += colour;
    out += "\">\n";
    for (std::size_t step = 0; step < bars.size(); ++step) {
        for (const std::string* path : {&bars[step], &bending[step]}) {
            if (path->empty()) continue;
            out += "<path opacity=\"";
            out += kOpacities[step];
            if (path == &bending[step]) {
                out += "\" stroke=\"";
                out += colour;
                out += "\" stroke-width=\"1\" stroke-linejoin=\"round";
            }
            out += "\" d=\"";
            out += *path;
            out += "\"/>\n";
        }
    }
    out += "</g>\n";
}

class Drawing {
public:
    explicit Drawing(const PianoRoll& roll) : roll_(roll) {}
    std::string draw();

private:
    void measure();
    void header();
    void legend();
    void keyboard();
    void timeGrid();
    void notes();
    void bendingBar(std::string& path, const std::vector<PitchPoint>& line, double right,
                    double barHeight) const;
    void drums();

    double x(std::uint64_t time) const { return rollLeft_ + static_cast<double>(time) / 1e6 * pxPerSecond_; }
    double y(double pitch) const {
        pitch = std::clamp(pitch, lowKey_ - 0.5, highKey_ + 0.5);
        return rollTop_ + (highKey_ + 0.5 - pitch) * rowHeight_;
    }
    std::string title() const { return roll_.caption.title.empty() ? "(no title)" : roll_.caption.title; }
    void number(double value) { appendNumber(out_, value); }
    // ` name="value"`: a number as an element's attribute.
    void attribute(const char* name, double value) {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        number(value);
        out_ += '"';
    }
    void text(double atX, double atY, const char* attributes, const std::string& content);
    // One stroke of a path: a line at time t from the top of the roll down to bottom.
    void verticalLine(std::uint64_t t, double bottom) {
        out_ += 'M';
        number(x(t));
        out_ += ' ';
        number(rollTop_);
        out_ += 'V';
        number(bottom);
    }

    const PianoRoll& roll_;
    std::string out_;
    std::vector<int> channels_;   // melodic channels with notes, and the drum channel
    std::vector<int> drumKeys_;   // from the top row down
    double pxPerSecond_ = kMaxPxPerSecond;
    double seconds_ = 1.0;
    double rollLeft_ = kLeft;
    double rollWidth_ = 0.0;
    double width_ = 0.0;
    int lowKey_ = 48;
    int highKey_ = 72;
    double rowHeight_ = kMaxRow;
    double legendTop_ = 0.0;
    double legendColumn_ = 0.0;
    int legendColumns_ = 1;
    double rollTop_ = 0.0;
    double rollBottom_ = 0.0;
    double drumTop_ = 0.0;
    double lanesBottom_ = 0.0;
    double height_ = 0.0;
};

void Drawing::text(double atX, double atY, const char* attributes, const std::string& content) {
    out_ += "<text";
    attribute("x", atX);
    attribute("y", atY);
    out_ += attributes;
    out_ += '>';
    appendXmlText(out_, content);
    out_ += "</text>\n";
}

void Drawing::measure() {
    std::array<bool, PianoRoll::kChannels> played{};
    std::set<int> drumKeys;
    std::uint64_t end = roll_.end;
    double low = 128.0, high = -1.0;
    for (const PianoRoll::Note& note : roll_.notes) {
        if (note.channel < 0 || note.channel >= PianoRoll::kChannels) continue;
        played[static_cast<std::size_t>(note.channel)] = true;
        end = std::max(end, note.end);
        if (note.channel == PianoRoll::kDrumChannel) {
            drumKeys.insert(note.key);
            continue;
        }
        for (const PitchPoint& p : pitchLine(note, roll_.bends[static_cast<std::size_t>(note.channel)])) {
            low = std::min(low, p.pitch);
            high = std::max(high, p.pitch);
        }
    }
    for (int c = 0; c < PianoRoll::kChannels; ++c)
        if (played[static_cast<std::size_t>(c)]) channels_.push_back(c);
    drumKeys_.assign(drumKeys.rbegin(), drumKeys.rend());

    seconds_ = std::max(1.0, static_cast<double>(end) / 1e6);
    pxPerSecond_ = std::clamp(kTargetRollWidth / seconds_, kMinPxPerSecond, kMaxPxPerSecond);
    rollWidth_ = seconds_ * pxPerSecond_;
    width_ = std::max(kMinCanvasWidth, std::ceil(kLeft + rollWidth_ + kRight));

    if (high >= low) {
        lowKey_ = std::max(0, static_cast<int>(std::floor(std::max(low, 0.0))) - 2);
        highKey_ = std::min(127, static_cast<int>(std::ceil(std::min(high, 127.0))) + 2);
    }
    while (highKey_ - lowKey_ + 1 < kMinRows) {
        if (highKey_ < 127) ++highKey_;
        if (highKey_ - lowKey_ + 1 < kMinRows && lowKey_ > 0) --lowKey_;
    }
    const int rows = highKey_ - lowKey_ + 1;
    rowHeight_ = std::clamp(std::floor(kTargetRollHeight / rows * 2.0) / 2.0, kMinRow, kMaxRow);

    // The legend: as many columns as the widest name leaves room for.
    std::size_t longest = 0;
    for (int c : channels_) longest = std::max(longest, codePoints(roll_.channelNames[static_cast<std::size_t>(c)]));
    legendColumn_ = std::max(220.0, static_cast<double>(longest + 14) * kCharWidth + 28.0);
    // On a wide picture the legend stays within a screen's width.
    legendColumns_ = std::max(1, static_cast<int>((std::min(width_, kMaxLegendWidth) - 32.0) / legendColumn_));
    const int legendRows = (static_cast<int>(channels_.size()) + legendColumns_ - 1) / legendColumns_;
    legendTop_ = 68.0;
    rollTop_ = legendTop_ + legendRows * kLegendRow + 30.0;
    rollBottom_ = rollTop_ + rows * rowHeight_;
    drumTop_ = rollBottom_ + (drumKeys_.empty() ? 0.0 : 24.0);
    lanesBottom_ = drumTop_ + static_cast<double>(drumKeys_.size()) * kDrumRow;
    height_ = std::ceil(lanesBottom_ + 30.0);
}

void Drawing::header() {
    const TuneCaption& c = roll_.caption;
    text(16, 30, " font-size=\"20\" font-weight=\"bold\"", title());
    std::string line = c.author.empty() ? "" : c.author + "  \xC2\xB7  ";
    line += "Song " + std::to_string(c.song);
    if (c.songs > 0) line += " of " + std::to_string(c.songs);
    line += "  \xC2\xB7  " + minutesSeconds(c.seconds);
    if (roll_.hasMusic && roll_.usPerQuarter > 0) {
        const long bpm = std::lround(60'000'000.0 / roll_.usPerQuarter);
        line += "  \xC2\xB7  " + std::to_string(bpm) + (roll_.tempoGiven ? " bpm (given)" : " bpm (estimated)");
    }
    text(16, 52, " font-size=\"13\" fill=\"#444\"", line);
}

void Drawing::legend() {
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        const int c = channels_[i];
        const double left = 16.0 + static_cast<double>(i % static_cast<std::size_t>(legendColumns_)) * legendColumn_;
        const double top = legendTop_ + static_cast<double>(i / static_cast<std::size_t>(legendColumns_)) * kLegendRow;
        out_ += "<rect";
        attribute("x", left);
        attribute("y", top);
        out_ += " width=\"12\" height=\"12\" fill=\"";
        out_ += kColours[c];
        out_ += "\"/>\n";
        text(left + 18, top + 10.5, " font-size=\"12\"",
             roll_.channelNames[static_cast<std::size_t>(c)] + "  (channel " + std::to_string(c + 1) + ")");
    }
}

void Drawing::keyboard() {
    out_ += "<rect";
    attribute("x", rollLeft_);
    attribute("y", rollTop_);
    attribute("width", rollWidth_);
    attribute("height", rollBottom_ - rollTop_);
    out_ += " fill=\"#ffffff\" stroke=\"#b0b6bf\"/>\n<path fill=\"#eceff3\" d=\"";
    for (int key = lowKey_; key <= highKey_; ++key)
        if (blackKey(key)) rectPath(out_, rollLeft_, y(key) - rowHeight_ / 2, rollWidth_, rowHeight_);
    out_ += "\"/>\n<path stroke=\"#d0d5dc\" d=\"";
    for (int key = lowKey_; key <= highKey_; ++key) {
        if (key % 12 != 0) continue;
        out_ += 'M';
        number(rollLeft_);
        out_ += ' ';
        number(y(key) + rowHeight_ / 2);
        out_ += 'h';
        number(rollWidth_);
    }
    out_ += "\"/>\n";
    for (int key = lowKey_; key <= highKey_; ++key) {
        if (key % 12 != 0) continue;
        std::string name = "C";
        name += std::to_string(key / 12 - 1);
        text(rollLeft_ - 6, y(key) + 3.5, " font-size=\"10\" text-anchor=\"end\" fill=\"#555\"", name);
        text(rollLeft_ + rollWidth_ + 6, y(key) + 3.5, " font-size=\"10\" fill=\"#555\"", name);
    }
}

void Drawing::timeGrid() {
    // Seconds above the roll, at a step that leaves room for the labels.
    const int steps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1800, 3600};
    int step = steps[0];
    for (int s : steps) {
        step = s;
        if (s * pxPerSecond_ >= 64.0) break;
    }
    out_ += "<path stroke=\"#888\" d=\"";
    for (std::uint64_t s = 0; static_cast<double>(s) <= seconds_; s += static_cast<std::uint64_t>(step)) {
        out_ += 'M';
        number(x(s * 1'000'000));
        out_ += ' ';
        number(rollTop_ - 5);
        out_ += "v5";
    }
    out_ += "\"/>\n";
    for (std::uint64_t s = 0; static_cast<double>(s) <= seconds_; s += static_cast<std::uint64_t>(step))
        text(x(s * 1'000'000), rollTop_ - 8, " font-size=\"11\" text-anchor=\"middle\" fill=\"#555\"",
             minutesSeconds(s));

    // Bar lines from the start of the music, thinned out where they would
    // crowd; beats too where there is room for them.
    if (!roll_.hasMusic || roll_.usPerQuarter == 0) return;
    const std::uint64_t bar = 4ull * roll_.usPerQuarter;
    const double barPx = static_cast<double>(bar) / 1e6 * pxPerSecond_;
    std::uint64_t every = 1;
    while (static_cast<double>(every) * barPx < 4.0) every *= 2;
    std::uint64_t labelled = every;
    while (static_cast<double>(labelled) * barPx < 30.0) labelled *= 2;
    const std::uint64_t end = static_cast<std::uint64_t>(seconds_ * 1e6);
    if (barPx / 4.0 >= 10.0) {
        out_ += "<path stroke=\"#eef0f3\" d=\"";
        for (std::uint64_t t = roll_.musicStart; t <= end; t += roll_.usPerQuarter) {
            if ((t - roll_.musicStart) % bar != 0) verticalLine(t, rollBottom_);
        }
        out_ += "\"/>\n";
    }
    out_ += "<path stroke=\"#aab3c0\" d=\"";
    for (std::uint64_t t = roll_.musicStart; t <= end; t += every * bar) verticalLine(t, lanesBottom_);
    out_ += "\"/>\n";
    for (std::uint64_t t = roll_.musicStart, n = 1; t <= end; t += labelled * bar, n += labelled)
        text(x(t) + 2, lanesBottom_ + 13, " font-size=\"10\" fill=\"#777\"", std::to_string(n));
}

void Drawing::notes() {
    const double barHeight = std::max(2.0, rowHeight_ - 1.0);
    for (int c : channels_) {
        if (c == PianoRoll::kDrumChannel) continue;
        const std::vector<PianoRoll::Bend>& bends = roll_.bends[static_cast<std::size_t>(c)];
        Paths paths, bending;
        // Flat bars still open for merging, per velocity step and pitch
        // (in sixteenths of a semitone): their left and right ends.
        std::array<std::map<long, std::pair<double, double>>, 4> open;
        auto flat = [&](std::size_t step, long at, std::pair<double, double> span) {
            rectPath(paths[step], span.first, y(static_cast<double>(at) / 16.0) - barHeight / 2,
                     span.second - span.first, barHeight);
        };
        for (const PianoRoll::Note& note : roll_.notes) {
            if (note.channel != c) continue;
            const auto step = static_cast<std::size_t>(velocityStep(note.velocity));
            const std::vector<PitchPoint> line = pitchLine(note, bends);
            const double left = x(note.start);
            const double right = std::max(x(note.end), left + kMinNoteWidth);
            if (line.size() == 2) {
                const long at = std::lround(line[0].pitch * 16.0);
                auto [it, fresh] = open[step].try_emplace(at, left, right);
                if (fresh) continue;
                if (left <= it->second.second + kMergeGap) {
                    it->second.second = std::max(it->second.second, right);
                } else {
                    flat(step, at, it->second);
                    it->second = {left, right};
                }
                continue;
            }
            bendingBar(bending[step], line, right, barHeight);
        }
        for (std::size_t step = 0; step < open.size(); ++step)
            for (const auto& [at, span] : open[step]) flat(step, at, span);
        appendGroup(out_, kColours[c], paths, bending);
    }
}

void Drawing::bendingBar(std::string& path, const std::vector<PitchPoint>& line, double right,
                         double barHeight) const {
    // The upper edge along the pitch line, back along the lower one. Of
    // the points within one pixel only the first, lowest, highest and last
    // count: vibrato and arpeggios keep their extent at any scale.
    std::vector<std::pair<double, double>> points;  // x, pitch
    for (std::size_t i = 0; i < line.size();) {
        const double column = std::floor(x(line[i].time));
        std::size_t kept[] = {i, i, i, i};  // first, lowest, highest, last
        for (; i < line.size() && std::floor(x(line[i].time)) == column; ++i) {
            if (line[i].pitch < line[kept[1]].pitch) kept[1] = i;
            if (line[i].pitch > line[kept[2]].pitch) kept[2] = i;
            kept[3] = i;
        }
        std::sort(std::begin(kept), std::end(kept));
        for (std::size_t k = 0; k < 4; ++k)
            if (k == 0 || kept[k] != kept[k - 1]) points.emplace_back(x(line[kept[k]].time), line[kept[k]].pitch);
    }
    points.back().first = std::max(points.back().first, right);
    path += 'M';
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) path += ' ';
        appendNumber(path, points[i].first);
        path += ' ';
        appendNumber(path, y(points[i].second) - barHeight / 2);
    }
    for (std::size_t i = points.size(); i-- > 0;) {
        path += ' ';
        appendNumber(path, points[i].first);
        path += ' ';
        appendNumber(path, y(points[i].second) + barHeight / 2);
    }
    path += 'z';
}

void Drawing::drums() {
    if (drumKeys_.empty()) return;
    text(rollLeft_, drumTop_ - 6, " font-size=\"11\" fill=\"#555\"", "Drums");
    out_ += "<path fill=\"#f4f5f7\" d=\"";
    for (std::size_t row = 0; row < drumKeys_.size(); row += 2)
        rectPath(out_, rollLeft_, drumTop_ + static_cast<double>(row) * kDrumRow, rollWidth_, kDrumRow);
    out_ += "\"/>\n";
    std::map<int, double> centre;  // key -> y
    for (std::size_t row = 0; row < drumKeys_.size(); ++row) {
        const double middle = drumTop_ + (static_cast<double>(row) + 0.5) * kDrumRow;
        centre[drumKeys_[row]] = middle;
        text(rollLeft_ - 6, middle + 3.5, " font-size=\"10\" text-anchor=\"end\" fill=\"#555\"",
             drumName(drumKeys_[row]));
    }
    // A diamond per hit; hits closer than a pixel on one row are one mark.
    Paths paths;
    std::map<int, double> lastX;
    for (const PianoRoll::Note& note : roll_.notes) {
        if (note.channel != PianoRoll::kDrumChannel) continue;
        const double at = x(note.start);
        auto [it, fresh] = lastX.try_emplace(note.key, at);
        if (!fresh && at - it->second < 1.0) continue;
        it->second = at;
        std::string& path = paths[static_cast<std::size_t>(velocityStep(note.velocity))];
        path += 'M';
        appendNumber(path, at);
        path += ' ';
        appendNumber(path, centre[note.key] - 4.5);
        path += "l3 4.5 -3 4.5 -3 -4.5z";
    }
    appendGroup(out_, kColours[PianoRoll::kDrumChannel], paths);
}

std::string Drawing::draw() {
    measure();
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
    attribute("width", width_);
    attribute("height", height_);
    out_ += " viewBox=\"0 0 ";
    number(width_);
    out_ += ' ';
    number(height_);
    out_ += "\" font-family=\"sans-serif\">\n<title>";
    appendXmlText(out_, title());
    out_ += " \xE2\x80\x93 song " + std::to_string(roll_.caption.song) + "</title>\n";
    out_ += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    header();
    legend();
    keyboard();
    timeGrid();
    notes();
    drums();
    out_ += "</svg>\n";
    return std::move(out_);
}

} // namespace

std::string drawPianoRoll(const PianoRoll& roll) { return Drawing(roll).draw(); }

} // namespace notecast
