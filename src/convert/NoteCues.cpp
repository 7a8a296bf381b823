#include "convert/NoteCues.h"

#include "backend/NoteTable.h"
#include "convert/DrumRules.h"
#include "convert/FrameReplay.h"
#include "convert/SnapshotLayout.h"
#include "emu/Envelope.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <span>

namespace notecast {

namespace {

constexpr int kMaxVoices = emu::kMaxVoices;
constexpr double kHoldSpread = 0.3;  // semitones
constexpr double kMoveStep = 1.0;    // semitones
constexpr double kNearLimit = 0.01;  // semitones

// The General MIDI keys of each drum sound, taken in turn by the sounds of
// one kind (toms go by pitch instead).
std::span<const std::uint8_t> keysFor(DrumSound sound) {
    static constexpr std::uint8_t bass[] = {36, 35};
    static constexpr std::uint8_t snare[] = {38, 40, 39};
    static constexpr std::uint8_t closedHat[] = {42, 44};
    static constexpr std::uint8_t openHat[] = {46};
    static constexpr std::uint8_t crash[] = {49, 57, 55, 52};
    switch (sound) {
    case DrumSound::BassDrum: return bass;
    case DrumSound::Snare: return snare;
    case DrumSound::ClosedHiHat: return closedHat;
    case DrumSound::OpenHiHat: return openHat;
    case DrumSound::Crash: return crash;
    default: return {};
    }
}

// How long a note is heard after its start: while the gate is held, and a
// third of the release after it (the release curve falls fastest at first,
// and its last part is too faint to count); a note without sustain is gone
// after a third of its decay.
std::uint32_t soundMs(std::uint8_t attackDecay, std::uint8_t sustainRelease, std::uint64_t gateUs) {
    const double gateMs = static_cast<double>(gateUs) / 1000.0;
    double ms = gateMs + emu::kDecayTimesMs[sustainRelease & 15] / 3.0;
    if ((sustainRelease >> 4) == 0) ms = std::min<double>(ms, emu::kDecayTimesMs[attackDecay & 15] / 3.0);
    return static_cast<std::uint32_t>(std::min(ms, 1e9));
}

double semitones(std::uint32_t frequency) { return 12.0 * std::log2(static_cast<double>(frequency)); }

class CueFinder {
public:
    CueFinder(const std::deque<FrameSnapshot>& frames, const WriterSettings& settings)
        : frames_(frames),
          settings_(settings),
          range_(settings.bendRangeInUse()),
          voiceCount_(settings.voices()),
          cues_(frames.size()) {}

    std::vector<FrameCues> run() {
        fillVoices();
        for (int v = 0; v < voiceCount_; ++v) findNotes(v);
        assignDrumKeys();
        return std::move(cues_);
    }

private:
    // The pitch of a tonal frame with the gate on, worked out once.
    struct Pitch {
        double semitones = 0.0;
        int note = -1;
    };
    struct DrumHit {
        std::size_t frame;
        int voice;
        std::int32_t instrument;
        DrumSound sound;
    };

    // The voices as the writer will see them, and where gates start.
    void fillVoices() {
        const std::size_t n = frames_.size();
        for (int v = 0; v < voiceCount_; ++v) {
            voices_[v].assign(n, NoteFrame{});
            gateStarts_[v].assign(n, 0);
            pitches_[v].assign(n, Pitch{});
        }
        std::uint8_t previous[kMaxVoices] = {};
        emu::SidVoice sync[kMaxVoices];
        const int count = std::min(voiceCount_, kMaxVoices);
        for (std::size_t i = 0; i < n; ++i) {
            const FrameSnapshot& f = frames_[i];
            for (int v = 0; v < count; ++v) {
                sync[v].frequencyRegister = f.voiceRegister(v, 0) | (f.voiceRegister(v, 1) << 8);
                sync[v].control = f.voiceRegister(v, 4);
            }
            for (int c = 0; c < count / emu::kVoicesPerChip; ++c)
                applySync(std::span<emu::SidVoice, 3>(sync + emu::kVoicesPerChip * c, emu::kVoicesPerChip));
            const std::uint64_t time = std::uint64_t{f.seconds} * 1'000'000 + f.microseconds;
            for (int v = 0; v < count; ++v) {
                const std::uint8_t control = sync[v].control;
                const NoteFrame frame{time, sync[v].frequencyRegister, control};
                voices_[v][i] = frame;
                // Only held tones are followed for steps.
                if (frame.gate() && frame.tonal())
                    pitches_[v][i] = Pitch{semitones(frame.frequency), table_.findNote(frame.frequency).note};
                gateStarts_[v][i] = (control & 1) != 0 &&
                                    (f.voiceGateCleared(v) != 0 || (previous[v] & 1) == 0);
                previous[v] = control;
            }
        }
    }

    void findNotes(int v) {
        const std::size_t n = frames_.size();
        std::size_t start = 0;
        while (start < n && frames_[start].voiceInstrument(v) < 0) ++start;
        while (start < n) {
            std::size_t end = start + 1;
            while (end < n && !gateStarts_[v][end]) ++end;
            note(v, start, end);
            start = end;
            while (start < n && frames_[start].voiceInstrument(v) < 0) ++start;
        }
    }

    // One note: frames [start, end) of voice v.
    void note(int v, std::size_t start, std::size_t end) {
        const std::vector<NoteFrame>& vf = voices_[v];
        NoteCue& cue = cues_[start][static_cast<std::size_t>(v)];
        cue.kind = NoteCue::Kind::Start;

        if (settings_.drumKit) {
            std::size_t windowEnd = start;
            while (windowEnd < end && vf[windowEnd].timeUs < vf[start].timeUs + kDrumWindowUs) ++windowEnd;
            std::size_t gateEnd = start;
            while (gateEnd < end && vf[gateEnd].gate()) ++gateEnd;
            const std::uint64_t gateUs =
                (gateEnd < vf.size() ? vf[gateEnd].timeUs : vf.back().timeUs) - vf[start].timeUs;
            const FrameSnapshot& f = frames_[start];
            const std::uint32_t ms = soundMs(f.voiceRegister(v, 5), f.voiceRegister(v, 6), gateUs);
            const DrumVerdict verdict =
                classifyDrum(std::span<const NoteFrame>(vf.data() + start, windowEnd - start), ms);
            if (verdict.sound != DrumSound::None) {
                cue.drumKey = verdict.tomKey;
                if (verdict.sound != DrumSound::Tom)
                    drumHits_.push_back({start, v, f.voiceInstrument(v), verdict.sound});
                if (verdict.sweep) findTail(v, start, end);
                return;
            }
        }

        // The note's pitch is that of its first tonal frame; with -click that
        // frame may come a little after the start.
        std::size_t first = start;
        while (first < end && !vf[first].tonal()) ++first;
        if (first == end) return;
        if (first != start) {
            if (!settings_.clickPitch || vf[first].timeUs - vf[start].timeUs >= kClickUs ||
                first - start > 255)
                return;
            cue.tonalOffset = static_cast<std::uint8_t>(first - start);
            cue.tonalFrequency = vf[first].frequency;
        }
        if (settings_.splitNotes) trackSplits(v, first, end);
    }

    // After a drum's falling attack: the first tone that holds long enough
    // while the gate is on becomes a note of its own.
    void findTail(int v, std::size_t start, std::size_t end) {
        const std::vector<NoteFrame>& vf = voices_[v];
        for (std::size_t t = start + 1; t < end && vf[t].gate(); ++t) {
            if (!vf[t].tonal() || !heldFrom(v, t, end, kTailHoldUs)) continue;
            split(v, t);
            if (settings_.splitNotes) trackSplits(v, t, end);
            return;
        }
    }

    // The held part of a melodic note sounding from frame `from`: where it
    // steps onto a new note for good.
    void trackSplits(int v, std::size_t from, std::size_t end) {
        const std::vector<NoteFrame>& vf = voices_[v];
        const std::vector<Pitch>& pitch = pitches_[v];
        NoteTable::Match current = table_.findNote(vf[from].frequency);
        double reference = semitones(static_cast<std::uint32_t>(current.tableValue));
        for (std::size_t t = from + 1; t < end && vf[t].gate(); ++t) {
            if (!vf[t].tonal()) continue;
            if (beyondRange(vf[t].frequency, pitch[t].semitones, current, reference)) {
                // Beyond the bend range: a new note, unless the next tonal
                // frame is back within it (a blip).
                std::size_t next = t + 1;
                while (next < end && vf[next].gate() && !vf[next].tonal()) ++next;
                if (next < end && vf[next].gate() &&
                    !beyondRange(vf[next].frequency, pitch[next].semitones, current, reference))
                    continue;
            } else {
                if (pitch[t].note == current.note) continue;
                const bool arrived = !vf[t - 1].tonal() || pitch[t - 1].note != pitch[t].note;
                if (!arrived || !heldFrom(v, t, end, kHoldUs) || !movedBefore(v, t, from)) continue;
            }
            split(v, t);
            current = table_.findNote(vf[t].frequency);
            reference = semitones(static_cast<std::uint32_t>(current.tableValue));
        }
    }

    // Whether the writer will find the frequency out of its bend range from
    // the sounding note; only a pitch near the limit needs its exact test.
    bool beyondRange(std::uint32_t frequency, double pitch, const NoteTable::Match& current,
                     double reference) const {
        const double distance = std::fabs(pitch - reference);
        if (distance < range_ - kNearLimit) return false;
        if (distance > range_ + kNearLimit) return true;
        return table_.pitchBend(frequency, static_cast<std::uint32_t>(current.tableValue), range_) == -1;
    }

    // The pitch at frame t stays on its note, within kHoldSpread of it, with
    // the gate on, for kHoldFrames frames and at least minUs.
    bool heldFrom(int v, std::size_t t, std::size_t end, std::uint64_t minUs) const {
        const std::vector<NoteFrame>& vf = voices_[v];
        const std::vector<Pitch>& pitch = pitches_[v];
        for (std::size_t u = t; u < end && vf[u].gate() && vf[u].tonal(); ++u) {
            if (pitch[u].note != pitch[t].note ||
                std::fabs(pitch[u].semitones - pitch[t].semitones) > kHoldSpread)
                break;
            if (u + 1 - t >= kHoldFrames && vf[u].timeUs - vf[t].timeUs + frameUs(v, u) >= minUs)
                return true;
        }
        return false;
    }

    // Within kMoveUs before frame t (and not before `from`) the pitch was a
    // semitone or more away: the voice moved here rather than drifted.
    bool movedBefore(int v, std::size_t t, std::size_t from) const {
        const std::vector<NoteFrame>& vf = voices_[v];
        const std::vector<Pitch>& pitch = pitches_[v];
        for (std::size_t j = t; j-- > from;) {
            if (vf[t].timeUs - vf[j].timeUs > kMoveUs) break;
            if (vf[j].tonal() && std::fabs(pitch[j].semitones - pitch[t].semitones) >= kMoveStep) return true;
        }
        return false;
    }

    // Length of frame u: up to the next frame, or the one before it.
    std::uint64_t frameUs(int v, std::size_t u) const {
        const std::vector<NoteFrame>& vf = voices_[v];
        if (u + 1 < vf.size()) return vf[u + 1].timeUs - vf[u].timeUs;
        return u > 0 ? vf[u].timeUs - vf[u - 1].timeUs : 0;
    }

    void split(int v, std::size_t t) {
        NoteCue& cue = cues_[t][static_cast<std::size_t>(v)];
        if (cue.kind == NoteCue::Kind::None) cue.kind = NoteCue::Kind::Split;
    }

    // One key per drum sound, handed out in the order the sounds are first
    // heard.
    void assignDrumKeys() {
        std::stable_sort(drumHits_.begin(), drumHits_.end(),
                         [](const DrumHit& a, const DrumHit& b) { return a.frame < b.frame; });
        std::map<std::pair<std::int32_t, DrumSound>, std::uint8_t> keys;
        std::map<DrumSound, std::size_t> taken;
        for (const DrumHit& hit : drumHits_) {
            auto [it, added] = keys.try_emplace({hit.instrument, hit.sound}, 0);
            if (added) {
                const std::span<const std::uint8_t> choices = keysFor(hit.sound);
                std::size_t& next = taken[hit.sound];
                it->second = choices[std::min(next, choices.size() - 1)];
                ++next;
            }
            cues_[hit.frame][static_cast<std::size_t>(hit.voice)].drumKey = it->second;
        }
    }

    const std::deque<FrameSnapshot>& frames_;
    const WriterSettings& settings_;
    const std::int32_t range_;
    const int voiceCount_;
    std::vector<FrameCues> cues_;
    std::array<std::vector<NoteFrame>, kMaxVoices> voices_;
    std::array<std::vector<std::uint8_t>, kMaxVoices> gateStarts_;
    std::array<std::vector<Pitch>, kMaxVoices> pitches_;
    std::vector<DrumHit> drumHits_;
    NoteTable table_;
};

} // namespace

std::vector<FrameCues> findNoteCues(const std::deque<FrameSnapshot>& frames,
                                    const WriterSettings& settings) {
    return CueFinder(frames, settings).run();
}

} // namespace notecast
