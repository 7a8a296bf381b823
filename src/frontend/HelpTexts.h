#pragma once
#include <iosfwd>

namespace notecast {

// The fixed texts of the program: the banner printed at every start and the
// three help pages. Each page begins with the syntax block.
enum class HelpPage { Usage, Midi, Text };

// The version line and the authorship line (the empty line that closes the
// banner block is the driver's, because the database is loaded in between).
void printBanner(std::ostream& out);
void printHelpPage(std::ostream& out, HelpPage page);
// The options for many songs and files, which --help adds to the usage page.
void printCollectionHelp(std::ostream& out);
// The version line of --version.
void printVersion(std::ostream& out);

} // namespace notecast
