#include "tools/hostsim/TelnetCodec.h"

namespace kiro::hostsim {

namespace {
constexpr unsigned char IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr unsigned char BINARY = 0, SGA = 3;

bool supported(unsigned char option) { return option == BINARY || option == SGA; }

void put(std::string &out, unsigned char verb, unsigned char option)
{
    out.push_back(static_cast<char>(IAC));
    out.push_back(static_cast<char>(verb));
    out.push_back(static_cast<char>(option));
}
} // namespace

std::string TelnetCodec::greeting()
{
    std::string out;
    for (unsigned char option : {BINARY, SGA}) {
        m_will[option] = true;
        put(out, WILL, option);
        m_do[option] = true;
        put(out, DO, option);
    }
    return out;
}

void TelnetCodec::negotiate(unsigned char verb, unsigned char option, std::string &replies)
{
    switch (verb) {
    case DO:
        if (supported(option)) {
            if (!m_will[option]) {
                m_will[option] = true;
                put(replies, WILL, option);
            }
        } else {
            put(replies, WONT, option);
        }
        break;
    case DONT:
        if (m_will[option]) {
            m_will[option] = false;
            put(replies, WONT, option);
        }
        break;
    case WILL:
        if (supported(option)) {
            if (!m_do[option]) {
                m_do[option] = true;
                put(replies, DO, option);
            }
        } else {
            put(replies, DONT, option);
        }
        break;
    case WONT:
        if (m_do[option]) {
            m_do[option] = false;
            put(replies, DONT, option);
        }
        break;
    default:
        break;
    }
}

TelnetCodec::Decoded TelnetCodec::decode(std::string_view bytes)
{
    Decoded out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (m_state) {
        case State::Data:
            if (b == IAC)
                m_state = State::Iac;
            else
                out.data.push_back(c);
            break;
        case State::Iac:
            if (b == IAC) {
                out.data.push_back(c);
                m_state = State::Data;
            } else if (b >= WILL && b <= DONT) {
                m_verb = b;
                m_state = State::Option;
            } else if (b == SB) {
                m_state = State::Sub;
            } else {
                m_state = State::Data; // NOP, GA, AYT and friends carry no data
            }
            break;
        case State::Option:
            negotiate(m_verb, b, out.replies);
            m_state = State::Data;
            break;
        case State::Sub:
            if (b == IAC)
                m_state = State::SubIac;
            break;
        case State::SubIac:
            m_state = (b == SE) ? State::Data : State::Sub;
            break;
        }
    }
    return out;
}

std::string TelnetCodec::encode(std::string_view data)
{
    std::string out;
    out.reserve(data.size());
    for (char c : data) {
        out.push_back(c);
        if (static_cast<unsigned char>(c) == IAC)
            out.push_back(c);
    }
    return out;
}

} // namespace kiro::hostsim
