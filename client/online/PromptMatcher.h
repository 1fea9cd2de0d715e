#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kiro::online {

// What the matcher waits for once a step is armed.
enum class MatchMode {
    WaitEcho = 0,   // wait until the step's own command has come back
    Prompts = 1,    // compare the tail of the buffer with the listed prompts
    CountBytes = 2, // collect a fixed number of bytes
};

// The part of a script step the matcher needs, as code page 932 bytes.
struct MatchArm {
    MatchMode mode = MatchMode::Prompts;
    std::string command;              // the echo awaited in WaitEcho mode
    std::vector<std::string> prompts; // in listed order; ends at the first absent prompt
    std::size_t byteCount = 0;        // CountBytes mode
};

struct MatchReport {
    int index = 0;     // outcome index 0..5 (CountBytes reports 1)
    std::string text;  // the match buffer at the moment of the report
};

// The host output of one step, byte by byte: the buffer keeps what arrived
// since the step was armed (control bytes other than CR, LF, ENQ, ACK, NAK
// are dropped) and the first listed prompt that ends it is reported. Pure:
// no I/O, no threads; the caller decides what a report leads to.
class PromptMatcher {
public:
    // The buffer never holds more than this many characters, so that it can
    // be handed over with a terminator in a 64,000-byte receive buffer; past
    // it the oldest bytes go, so a prompt after a long listing still matches.
    static constexpr std::size_t kBufferLimit = 63999;

    void arm(MatchArm arm);
    void disarm() { m_armed = false; }
    // A transfer step's prompts are matched from the end of the transfer on.
    void clearBuffer()
    {
        m_buffer.clear();
        m_starts.clear();
    }
    bool armed() const { return m_armed; }
    MatchMode mode() const { return m_arm.mode; }
    const std::string &buffer() const { return m_buffer; }

    // Takes one received byte while armed; returns a report when the step's
    // wait is over (the matcher is then disarmed).
    std::optional<MatchReport> feed(unsigned char byte);

    // The byte passes the matcher's filter.
    static bool accepts(unsigned char byte);

private:
    std::optional<MatchReport> report(int index);
    void push(unsigned char byte);
    // The buffer ends with text (byte for byte) that starts on a character
    // of code page 932, not on the trail byte of one.
    bool endsWithText(const std::string &text) const;

    MatchArm m_arm;
    std::string m_buffer;
    std::vector<bool> m_starts;  // per buffered byte: a character starts here
    bool m_trailNext = false;    // the last byte was a lead byte
    bool m_armed = false;
};

} // namespace kiro::online
