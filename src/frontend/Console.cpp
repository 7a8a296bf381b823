#include "frontend/Console.h"

#include <ostream>

#if defined(__unix__) || defined(__APPLE__)
#define NOTECAST_POSIX_TERMINAL 1
#include <cerrno>
#include <termios.h>
#include <unistd.h>
#endif

namespace notecast {

#if defined(NOTECAST_POSIX_TERMINAL)

void TerminalConsole::setTitle(std::ostream& out, const char* title) {
    if (isatty(STDOUT_FILENO) == 0) return;
    // Operating system command 0: icon name and window title.
    out << "\033]0;" << title << '\a' << std::flush;
}

void TerminalConsole::waitForKey(std::ostream& out) {
    termios saved{};
    if (isatty(STDIN_FILENO) == 0 || tcgetattr(STDIN_FILENO, &saved) != 0) return;
    termios raw = saved;
    // One keystroke at a time, not shown.
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return;

    out << std::endl << "--- PRESS <RETURN> TO CONTINUE ---" << std::endl;
    // Keys typed before the prompt do not count.
    tcflush(STDIN_FILENO, TCIFLUSH);
    char key = 0;
    ssize_t got = 0;
    do {
        got = read(STDIN_FILENO, &key, 1);
    } while (got < 0 && errno == EINTR);
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

bool TerminalConsole::errorIsTerminal() const { return isatty(STDERR_FILENO) != 0; }

#else

// Without a known terminal interface the services stay silent.
void TerminalConsole::setTitle(std::ostream&, const char*) {}
void TerminalConsole::waitForKey(std::ostream&) {}
bool TerminalConsole::errorIsTerminal() const { return false; }

#endif

} // namespace notecast
