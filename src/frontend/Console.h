#pragma once
#include <iosfwd>

namespace notecast {

// The console services the driver needs beyond plain text streams. The base
// class does nothing, which is what a run without a terminal (or a test)
// wants.
class Console {
public:
    virtual ~Console() = default;
    // Sets the window title of the terminal that shows standard output.
    virtual void setTitle(std::ostream& out, const char* title) { (void)out; (void)title; }
    // Asks for a key on the terminal of standard input and waits for one
    // keystroke (any key that produces a character, not only Return).
    virtual void waitForKey(std::ostream& out) { (void)out; }
    // Whether standard error shows on a terminal, where a progress line can
    // be rewritten in place.
    virtual bool errorIsTerminal() const { return false; }
};

// The real terminal. Both services only act when the stream in question is a
// terminal: redirected output gets no escape sequence, and redirected input
// gets neither the prompt nor a wait.
class TerminalConsole : public Console {
public:
    void setTitle(std::ostream& out, const char* title) override;
    void waitForKey(std::ostream& out) override;
    bool errorIsTerminal() const override;
};

} // namespace notecast
