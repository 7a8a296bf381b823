#pragma once
#include <iosfwd>

namespace notecast {

struct ConverterSettings;

// The verbose echo of the settings that differ from a plain run. Every echoed
// line is followed by the continuation label before it is known whether
// another one comes, so in text mode the echo ends with an open label that
// the next printed line continues.
void echoSettings(std::ostream& out, const ConverterSettings& settings);

} // namespace notecast
