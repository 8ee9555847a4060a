#pragma once

#include <cstdint>

// Where core code sends the messages that the viewer's windows receive as
// posted window messages (progress of a long command, a vanished source).
// The user interface implements it by posting an event to a window; tools
// and tests implement it as they need. Post may be called from any thread.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void Post(int message, std::intptr_t wParam, std::intptr_t lParam) = 0;
};
