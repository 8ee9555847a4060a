#include "base/trigger_label.h"

#include "base/ui_text.h"

QString TriggerLabelFromName(const QString& name) {
  if (name.size() < 16 || name[10] != u'_') return {};
  switch (name[11].unicode()) {
    case u'A':
      return UiText(26);
    case u'G':
      return UiText(29);
    case u'M':
      return UiText(27);
    case u'P':
      return UiText(28);
    case u'S':
      return UiText(141);
    default:
      return {};
  }
}
