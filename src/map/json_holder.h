#pragma once

#include <map>
#include <string>
#include <utility>

// The small JSON holder of the map host: one flat object of string pairs,
// kept in key order (plain code-unit comparison), each value with the
// separator written after it. The writer does no escaping and the reader
// takes no quotes, braces, colons or commas inside keys and values: the
// holder carries only the map's numbers and status words.
class CJsonHolder {
 public:
  void Clear() { entries_.clear(); }
  void Insert(const std::string& key, const std::string& value, const std::string& separator);
  // The value of `key`, or "" when it is absent.
  std::string Value(const std::string& key) const;
  bool empty() const { return entries_.empty(); }

  // "{" then, in key order, "key":"value" and the entry's separator, then "}".
  std::string Write() const;
  // Adds the pairs of one flat object read by the holder's state machine;
  // text outside it, and characters in places where none belong, are
  // passed over.
  void Read(const std::string& text);

 private:
  std::map<std::string, std::pair<std::string, std::string>> entries_;
};
