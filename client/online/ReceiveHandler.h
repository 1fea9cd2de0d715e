#pragma once

namespace kiro::online {

// The host session engine's side of the byte dispatcher: its prompt matcher
// and its line watcher. CommPort calls these on its reader thread (and, for
// injected "<CE-%u>" text, on the writing thread), one byte at a time, never
// from two threads at once, and only while transfer mode is off.
class ReceiveHandler {
public:
  virtual ~ReceiveHandler() = default;

  // True while a step is armed; the engine publishes the step before it sets
  // this flag (release), the port reads it with acquire.
  virtual bool matchArmed() const = 0;
  // The prompt matcher (called while matchArmed()).
  virtual void matchByte(unsigned char byte) = 0;
  // The line watcher (called while not armed).
  virtual void watchByte(unsigned char byte) = 0;
  // Empties the match buffer: on CommPort::Init and when transfer mode ends.
  virtual void clearMatchBuffer() = 0;
  // The device lost its carrier (reader thread), in or out of transfer mode.
  virtual void carrierLost() {}
};

} // namespace kiro::online
