#pragma once

#include <QString>

// An event channel's name as the event list and the rendered clips show it,
// in the viewer's wording; "" for a number that is no channel.
QString EventChannelText(int channel);
