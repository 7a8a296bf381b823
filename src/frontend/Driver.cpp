#include "frontend/Driver.h"

#include <iostream>

namespace notecast {

int runDriver(int argc, char** argv) {
    return runDriver(argc, argv, std::cin, std::cout, std::cerr);
}

int runDriver(int, char**, std::istream&, std::ostream&, std::ostream&) {
    return -1;
}

} // namespace notecast
