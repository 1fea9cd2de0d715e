#pragma once

// Lowers the calling thread's scheduling priority while another program
// (the karaoke player) needs the machine, and restores it afterwards.
namespace kiro {

class OwnPriorityLowering {
public:
    // Lowers to the idle nice value, but only when the previous value can be
    // restored: an unprivileged process may not lower its nice value again
    // (beyond its RLIMIT_NICE), and a client left slowed down for good after
    // one song is worse than a player competing with an idle client.
    OwnPriorityLowering();
    // Restores the previous value when it was lowered.
    ~OwnPriorityLowering();
    OwnPriorityLowering(const OwnPriorityLowering&) = delete;
    OwnPriorityLowering& operator=(const OwnPriorityLowering&) = delete;

    bool lowered() const { return m_lowered; }

    // True when this process could set its nice value back to `previous`
    // after raising it.
    static bool canRestore(int previous);

private:
    int m_previous = 0;
    bool m_lowered = false;
};

} // namespace kiro
