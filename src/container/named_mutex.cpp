#include "container/named_mutex.h"

#include <map>
#include <memory>
#include <string>

std::recursive_mutex& NamedMutex(std::string_view name) {
  static std::mutex registryLock;
  static std::map<std::string, std::unique_ptr<std::recursive_mutex>, std::less<>> registry;
  std::lock_guard<std::mutex> guard(registryLock);
  auto it = registry.find(name);
  if (it == registry.end()) {
    it = registry.emplace(std::string(name), std::make_unique<std::recursive_mutex>()).first;
  }
  return *it->second;
}
