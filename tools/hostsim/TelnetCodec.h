#pragma once

#include <string>
#include <string_view>

namespace kiro::hostsim {

// The server side of Telnet: strips commands out of the caller's stream,
// answers option negotiation (BINARY and SUPPRESS-GO-AHEAD are accepted,
// everything else refused, each option answered once per change so two
// agreeable ends cannot loop), and escapes 0xFF in outgoing data.
class TelnetCodec {
public:
    struct Decoded {
        std::string data;    // the caller's bytes
        std::string replies; // negotiation answers to send back as they are
    };

    Decoded decode(std::string_view bytes);
    static std::string encode(std::string_view data);
    // What the server says first: it offers binary mode and no go-aheads.
    std::string greeting();

private:
    enum class State { Data, Iac, Option, Sub, SubIac };

    void negotiate(unsigned char verb, unsigned char option, std::string &replies);

    State m_state = State::Data;
    unsigned char m_verb = 0;
    bool m_will[256] = {}; // what we do
    bool m_do[256] = {};   // what we asked the caller to do
};

} // namespace kiro::hostsim
