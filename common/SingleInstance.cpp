#include "common/SingleInstance.h"

#include "common/WinPaths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kiro {

SingleInstance::SingleInstance(std::string_view name)
    : m_file(winpaths::temporaryDirectory() / (std::string(name) + ".lock"))
{
    // O_CLOEXEC: programs we start must not inherit (and keep) the lock.
    int fd = ::open(m_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = "cannot open " + m_file.string() + ": " + std::strerror(errno);
        return;
    }
    int rc;
    while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
        m_heldElsewhere = errno == EWOULDBLOCK;
        if (!m_heldElsewhere)
            m_error = "cannot lock " + m_file.string() + ": " + std::strerror(errno);
        ::close(fd);
        return;
    }
    m_fd = fd;
}

SingleInstance::~SingleInstance()
{
    release();
}

void SingleInstance::release()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace kiro
