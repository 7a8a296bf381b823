#pragma once
// A back end that writes down every call the conversion run makes, with the
// voice fields that matter, one text per call.
#include "backend/BackEnd.h"

#include <string>
#include <vector>

namespace notecast::test {

class RecordingBackEnd : public BackEnd {
public:
    explicit RecordingBackEnd(const ConverterSettings& s) : BackEnd(s) {}

    std::vector<std::string> calls;

    // The calls about one voice only: instrument, gate and envelope calls.
    std::vector<std::string> forVoice(int v) const {
        std::vector<std::string> out;
        const std::string number = std::to_string(v);
        for (const std::string& c : calls) {
            const auto space = c.find(' ');
            const std::string kind = c.substr(0, space);
            if (kind != "instrument" && kind != "gateOn" && kind != "held" && kind != "gateOff" &&
                kind != "env")
                continue;
            if (c.compare(space + 1, number.size() + 1, number + " ") == 0) out.push_back(c);
        }
        return out;
    }

    bool open(const std::string&, const std::string& title) override {
        calls.push_back("open " + title);
        return true;
    }
    bool close() override {
        calls.push_back("close");
        return true;
    }
    void beginFrame() override { calls.push_back("begin " + std::to_string(clock_.totalMicroseconds)); }
    void setFilter(int cutoff, int resonance, int routing, int mode) override {
        calls.push_back("filter " + std::to_string(cutoff) + " " + std::to_string(resonance) + " " +
                        std::to_string(routing) + " " + std::to_string(mode));
    }
    void setInstrument(int voice, std::int32_t id, const Instrument& inst) override {
        calls.push_back("instrument " + std::to_string(voice) + " " + std::to_string(id) + " " +
                        std::to_string(inst.id));
    }
    void endFrame() override { calls.push_back("end"); }
    void voiceHeld(const emu::SidVoice& voice, int v) override { record("held", voice, v); }
    void voiceGateOn(const emu::SidVoice& voice, int v) override { record("gateOn", voice, v); }
    void voiceGateOff(const emu::SidVoice& voice, int v) override { record("gateOff", voice, v); }
    void sampleOn(int channel, int period) override {
        calls.push_back("sampleOn " + std::to_string(channel) + " " + std::to_string(period));
    }
    void sampleOff(int channel, int period) override {
        calls.push_back("sampleOff " + std::to_string(channel) + " " + std::to_string(period));
    }
    void voiceEnvelope(const emu::SidVoice& voice, int v) override {
        calls.push_back("env " + std::to_string(v) + " level=" + std::to_string(voice.envLevel));
    }

private:
    void record(const char* what, const emu::SidVoice& voice, int v) {
        calls.push_back(std::string(what) + " " + std::to_string(v) +
                        " freq=" + std::to_string(voice.frequencyRegister) +
                        " sync=" + std::to_string(voice.syncFlag) +
                        " level=" + std::to_string(voice.envLevel) +
                        " state=" + std::to_string(voice.envState));
    }
};

} // namespace notecast::test
