#include "common/OwnPriority.h"

#include "common/Process.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace kiro {

bool OwnPriorityLowering::canRestore(int previous)
{
    if (::geteuid() == 0)
        return true;
    // RLIMIT_NICE allows nice values down to 20 - limit.
    rlimit limit {};
    if (::getrlimit(RLIMIT_NICE, &limit) != 0)
        return false;
    long lowest = 20 - static_cast<long>(limit.rlim_cur);
    return previous >= lowest;
}

OwnPriorityLowering::OwnPriorityLowering()
{
    errno = 0;
    int current = ::getpriority(PRIO_PROCESS, 0);
    if (errno != 0)
        return;
    int idle = niceValueFor(ProcessPriority::Idle);
    if (current >= idle || !canRestore(current))
        return;
    m_previous = current;
    m_lowered = ::setpriority(PRIO_PROCESS, 0, idle) == 0;
}

OwnPriorityLowering::~OwnPriorityLowering()
{
    if (m_lowered)
        ::setpriority(PRIO_PROCESS, 0, m_previous);
}

} // namespace kiro
