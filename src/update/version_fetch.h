#pragma once

#include <QUrl>
#include <chrono>
#include <optional>
#include <string>

// Fetches a version file over HTTP through the system's proxy (on Linux the
// http_proxy variables) and returns its version (see VersionFromFileText);
// nothing when the server cannot be reached, answers with an error, gives no
// version or does not finish within `timeout`. Reads at most the first 1024
// bytes and follows redirects that stay as safe. Blocks the calling thread,
// which may be any thread; gives up early when the thread is asked to stop
// (QThread::requestInterruption).
std::optional<std::string> FetchVersion(
    const QUrl& url, std::chrono::milliseconds timeout = std::chrono::seconds(10));
