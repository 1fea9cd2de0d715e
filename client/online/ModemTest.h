#pragma once

#include <cstdint>

namespace kiro::online {

class CommPort;
class HostSession;

// Points the port at `comPort` (at `baudRate`), shows the progress window
// without the connection question, sends "AT&F" in the engine's test mode and
// hides the window again. True when the run succeeded and the modem answered
// "OK" (the script's second outcome); nothing else is changed.
bool RunModemTest(CommPort& port, HostSession& session, int comPort, std::uint32_t baudRate);

} // namespace kiro::online
