#pragma once

#include <mutex>
#include <string_view>

// Returns the process-wide recursive mutex registered under `name`. Every
// caller that asks for the same name gets the same object, so code that
// "opens" a lock by name shares it with every other user of that name
// ("hMutexFind", "hFileMutex", ...). The mutexes live until the process ends.
std::recursive_mutex& NamedMutex(std::string_view name);
