#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace kiro::online {

// The 64,000-byte queue between the reader thread (the only producer) and the
// B Plus transfer thread (the only consumer). The count is the one value both
// threads change, so it is atomic; each position has a single owner.
class TransferRing {
public:
  static constexpr std::size_t kCapacity = 64000;

  // Producer: false (byte dropped) when the ring already holds kCapacity bytes.
  bool push(unsigned char byte) {
    if (m_count.load(std::memory_order_acquire) >= kCapacity) {
      return false;
    }
    m_bytes[m_write] = byte;
    m_write = (m_write + 1) % kCapacity;
    m_count.fetch_add(1, std::memory_order_release);
    return true;
  }

  // Consumer: false when empty; never blocks.
  bool pop(unsigned char& byte) {
    if (m_count.load(std::memory_order_acquire) == 0) {
      return false;
    }
    byte = m_bytes[m_read];
    m_read = (m_read + 1) % kCapacity;
    m_count.fetch_sub(1, std::memory_order_release);
    return true;
  }

  // Only while neither thread uses the ring (before transfer mode is set).
  void clear() {
    m_write = 0;
    m_read = 0;
    m_count.store(0, std::memory_order_release);
  }

  std::size_t size() const { return m_count.load(std::memory_order_acquire); }

private:
  std::array<unsigned char, kCapacity> m_bytes{};
  std::size_t m_write = 0;
  std::size_t m_read = 0;
  std::atomic<std::size_t> m_count{0};
};

} // namespace kiro::online
