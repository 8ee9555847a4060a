#include "base/event_channel_text.h"

#include <array>

#include "base/ui_text.h"
#include "container/event_marks.h"

namespace {

// Each channel's text slot: impact X, Y, Z, user point, emergency stop,
// parking impact, speeding, drive assist.
constexpr std::array<int, kEventChannelCount> kChannelTexts = {193, 194, 195, 196,
                                                               73,  141, 80,  197};

}  // namespace

QString EventChannelText(int channel) {
  if (channel < 0 || channel >= kEventChannelCount) return {};
  return UiText(kChannelTexts[static_cast<std::size_t>(channel)]);
}
