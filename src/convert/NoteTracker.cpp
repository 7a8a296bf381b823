#include "convert/NoteTracker.h"

#include <algorithm>

namespace notecast {

namespace {

constexpr std::uint8_t kNoise = 0x80;
constexpr std::uint8_t kTriangleRing = 0x14;

std::uint32_t distinctValues(const std::vector<std::uint8_t>& list) {
    bool seen[256] = {};
    std::uint32_t d = 0;
    for (std::uint8_t w : list) {
        if (!seen[w]) {
            seen[w] = true;
            ++d;
        }
    }
    return d;
}

} // namespace

void NoteTracker::reset() {
    for (NoteCapture& n : notes_) n = NoteCapture{};
    instruments_.clear();
    ids_.clear();
}

void NoteTracker::addWaveform(int voice, std::uint8_t control) {
    if (voice < 0 || voice >= emu::kMaxVoices) return;
    // Gate and test bits say nothing about the sound of the note.
    const std::uint8_t w = control & 0xF6;
    NoteCapture& n = notes_[voice];
    if (w < 0x10 || !n.active || n.waveforms.size() >= kMaxWaveforms) return;
    if (!n.waveforms.empty() && n.waveforms.back() == w) return;
    n.waveforms.push_back(w);
}

void NoteTracker::startNote(int voice, FrameSnapshot& start) {
    if (voice < 0 || voice >= emu::kMaxVoices) return;
    endNote(voice);
    NoteCapture& n = notes_[voice];
    n.active = true;
    n.waveforms.clear();
    n.start = &start;
}

void NoteTracker::endNote(int voice) {
    if (voice < 0 || voice >= emu::kMaxVoices) return;
    NoteCapture& n = notes_[voice];
    if (!n.active) return;
    n.active = false;
    if (n.waveforms.empty() || n.start == nullptr) return;

    std::vector<std::uint8_t>& list = n.waveforms;
    const std::uint32_t distinct = distinctValues(list);
    const bool hasNoise = std::find(list.begin(), list.end(), kNoise) != list.end();
    if (distinct > 1) trim(list, hasNoise ? 2 * distinct : distinct);

    ListKey key{};
    std::copy_n(list.begin(), std::min(list.size(), key.size()), key.begin());
    const auto found = ids_.find(key);
    if (found != ids_.end()) {
        const std::int32_t id = found->second;
        Instrument& inst = instruments_[static_cast<std::size_t>(id)];
        ++inst.useCount;
        inst.voices.insert(voice);
        n.start->setVoiceInstrument(voice, id);
    } else {
        Instrument inst;
        inst.id = static_cast<std::int32_t>(instruments_.size());
        ids_.emplace(key, inst.id);
        inst.useCount = 1;
        inst.hasNoise = hasNoise;
        inst.endsWithNoise = list.back() == kNoise;
        inst.noiseCount = static_cast<std::uint32_t>(std::count(list.begin(), list.end(), kNoise));
        inst.hasTriangleRing =
            std::find(list.begin(), list.end(), kTriangleRing) != list.end();
        inst.sharedChannel = false;
        inst.distinctCount = distinct;
        inst.length = static_cast<std::uint32_t>(list.size());
        inst.waveforms = list;
        inst.voices = {voice};
        n.start->setVoiceInstrument(voice, inst.id);
        instruments_.push_back(std::move(inst));
    }
    n.waveforms.clear();
    n.start = nullptr;
}

void NoteTracker::trim(std::vector<std::uint8_t>& list, std::size_t limit) {
    const std::size_t n = list.size();
    if (n <= 1) return;
    // The previous occurrence of the last value marks a candidate period.
    std::size_t j = n - 1;
    do {
        --j;
    } while (j > 0 && list[j] != list[n - 1]);
    if (list[j] != list[n - 1]) return;
    const std::size_t p = j + 1;
    const std::size_t period = n - p;
    for (std::size_t i = 0; i < p; ++i)
        if (list[i] != list[i + period]) return;
    std::size_t removed = 0;
    while (list.size() > limit && removed < p) {
        list.pop_back();
        ++removed;
    }
}

bool NoteTracker::allocateChannels(std::vector<Instrument> instruments, int attempt,
                                   int noiseLevel, ChannelMap& map) {
    // Stable, so equal use counts keep their order of discovery and the same
    // tune always gives the same channels.
    std::stable_sort(instruments.begin(), instruments.end(),
                     [](const Instrument& a, const Instrument& b) { return a.useCount > b.useCount; });
    map.reset(instruments.size());

    const std::size_t shared =
        attempt <= 0 ? 0 : std::min(instruments.size(), static_cast<std::size_t>(attempt));
    for (std::size_t i = instruments.size() - shared; i < instruments.size(); ++i)
        instruments[i].sharedChannel = true;

    auto pureNoise = [](const Instrument& inst) { return inst.hasNoise && inst.length == 1; };

    if (noiseLevel > 2) {
        for (Instrument& inst : instruments) {
            if (!pureNoise(inst)) continue;
            for (int v : inst.voices) map.set(v, inst.id, 9);
            inst.voices.clear();
        }
    }

    // Handed out from the back: 0 first, ..., 8, 10, ..., 15. Channel 9 is the
    // drum channel and never in the pool.
    std::vector<std::int32_t> pool = {15, 14, 13, 12, 11, 10, 8, 7, 6, 5, 4, 3, 2, 1, 0};

    // Gives the instrument's remaining voices channels; false when the pool
    // ran dry with voices left.
    auto serve = [&](Instrument& inst) {
        bool servedAny = false;
        while (!pool.empty() && !inst.voices.empty()) {
            const int v = *inst.voices.begin();
            map.set(v, inst.id, pool.back());
            inst.voices.erase(inst.voices.begin());
            servedAny = true;
            if (!inst.sharedChannel) pool.pop_back();
        }
        if (inst.sharedChannel && servedAny) pool.pop_back();
        return inst.voices.empty();
    };

    for (Instrument& inst : instruments)
        if (!inst.hasNoise) serve(inst);

    bool allServed = true;
    for (Instrument& inst : instruments) {
        const bool eligible = !inst.hasNoise || (noiseLevel > 0 && inst.length != 1);
        if (eligible && !serve(inst)) allServed = false;
    }
    return allServed;
}

} // namespace notecast
