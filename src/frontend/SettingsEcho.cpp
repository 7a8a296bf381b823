#include "frontend/SettingsEcho.h"

#include "convert/ConverterSettings.h"

#include <iomanip>
#include <ostream>

namespace notecast {

namespace {

constexpr const char* kFirstLabel = "Settings     : ";
constexpr const char* kContinuation = "             : ";

} // namespace

void echoSettings(std::ostream& out, const ConverterSettings& s) {
    out << kFirstLabel;
    auto echoed = [&out](const char* text) { out << text << std::endl << kContinuation; };

    if (s.outputMode == OutputMode::Text) {
        echoed("Generate simplified ASCII text output.");
        if (s.timeFormat == TimeFormat::Frames) echoed("Use Cakewalk time representation (min:sec.frm).");
        if (s.englishNotes) echoed("Use English note representation.");
        if (s.hideFrequency) echoed("Don't display frequency values.");
    }
    if (s.frequencyChangeLimit == 0) echoed("Don't convert continuous frequency changes.");
    if (s.envelopeEmulation) echoed("Optimize note lengths by SID ADSR-envelope emulation.");
    if (s.outputMode != OutputMode::Text) {
        out << "Set pitchbend sensitivity to " << s.pitchBendRange << " halftones." << std::endl;
        if (!s.autoTempo) {
            const auto flags = out.flags();
            const auto precision = out.precision();
            out << kContinuation << "Set MIDI song tempo to " << std::fixed << std::setprecision(2)
                << s.tempoBpm << " bpm." << std::endl;
            out.flags(flags);
            out.precision(precision);
        }
        out << kContinuation << "Set MIDI song timebase to " << s.pulsesPerQuarter << " ppq."
            << std::endl;
    }
}

} // namespace notecast
