#include "client/online/ModemTest.h"

#include "client/online/CommPort.h"
#include "client/online/HostSession.h"
#include "client/online/ModemScripts.h"

namespace kiro::online {

bool RunModemTest(CommPort& port, HostSession& session, int comPort, std::uint32_t baudRate)
{
    port.Reconfigure(static_cast<std::uint8_t>(comPort), baudRate);
    session.ShowProgress(false);
    const int failed = session.Run(false, nullptr, kModemTestTimeOutTicks, true);
    session.HideProgress();
    // Outcome 2 is "\nOK"; a time-out also ends the run without failing it.
    return failed == 0 && session.LastOutcome() == 2;
}

} // namespace kiro::online
