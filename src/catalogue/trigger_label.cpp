#include "catalogue/trigger_label.h"

#include "catalogue/movie_names.h"

std::string_view TriggerLabel(std::string_view name) {
  if (name.size() < 16) return "";
  switch (TriggerLetter(name)) {
    case 'A': return "常時";
    case 'M': return "マニュアル";
    case 'G': return "衝撃";
    case 'P': return "駐車";
    case 'S': return "駐車衝撃";
    default: return "";
  }
}
