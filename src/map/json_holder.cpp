#include "map/json_holder.h"

void CJsonHolder::Insert(const std::string& key, const std::string& value,
                         const std::string& separator) {
  entries_[key] = {value, separator};
}

std::string CJsonHolder::Value(const std::string& key) const {
  const auto found = entries_.find(key);
  return found == entries_.end() ? std::string() : found->second.first;
}

std::string CJsonHolder::Write() const {
  std::string text = "{";
  for (const auto& [key, entry] : entries_) {
    text += '"' + key + "\":\"" + entry.first + '"' + entry.second;
  }
  return text + '}';
}

void CJsonHolder::Read(const std::string& text) {
  enum State { kOutside, kInObject, kInKey, kAfterKey, kAfterColon, kInValue, kAfterValue };
  State state = kOutside;
  std::string key;
  std::string value;
  for (const char c : text) {
    if (c == '{') {
      state = kInObject;
    } else if (c == '"') {
      if (state == kInObject) {
        key.clear();
        value.clear();
        state = kInKey;
      } else if (state == kInKey) {
        state = kAfterKey;
      } else if (state == kAfterColon) {
        state = kInValue;
      } else if (state == kInValue) {
        state = kAfterValue;
      }
    } else if (c == ':' && state == kAfterKey) {
      state = kAfterColon;
    } else if (c == ',' && state == kAfterValue) {
      Insert(key, value, ",");
      state = kInObject;
    } else if (c == '}' && state == kInObject) {
      state = kOutside;
    } else if (c == '}' && state == kAfterValue) {
      Insert(key, value, "");
      state = kOutside;
    } else if (c == ':' || c == ',' || c == '}') {
      // Out of place: passed over.
    } else if (state == kInKey) {
      key += c;
    } else if (state == kInValue) {
      value += c;
    }
  }
}
