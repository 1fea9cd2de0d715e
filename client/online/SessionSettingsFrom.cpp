#include "client/online/SessionSettingsFrom.h"

namespace kiro::online {

SessionSettings sessionSettingsFrom(const app::ClientSettings &settings, const RegistryReader &registry)
{
    SessionSettings out;
    out.manualModemTest = settings.ManualModemTest;
    out.modemRegNo = settings.ModemRegNo;
    LoadModemFragments(registry, settings.ModemRegNo, out.fragments);
    out.modemInit = settings.ModemInit;
    out.dial.phoneType = settings.PhoneType;
    out.dial.accessPoint = settings.AccessPoint;
    out.dial.accessPoint2nd = settings.AccessPoint2nd;
    out.reDialInterval = settings.ReDialInterval;
    out.userId = settings.NiftyID;
    out.password = settings.NiftyPassWord;
    return out;
}

} // namespace kiro::online
