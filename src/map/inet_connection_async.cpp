#include "map/inet_connection_async.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QNetworkProxyFactory>
#include <QNetworkProxyQuery>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>
#include <vector>

CInetConnectionAsync::CInetConnectionAsync(const TileSource& source,
                                           std::function<void(int)> changed)
    : source_(source), changed_(std::move(changed)) {
  checkerThread_ = std::thread([this] { CheckerLoop(); });
}

CInetConnectionAsync::~CInetConnectionAsync() {
  {
    std::lock_guard lock(wakeMutex_);
    checkerStop_ = 1;
  }
  wake_.notify_all();
  if (checkerThread_.joinable()) checkerThread_.join();
}

void CInetConnectionAsync::SetSource(const TileSource& source) {
  {
    std::lock_guard lock(wakeMutex_);
    source_ = source;
    sourceChanged_ = true;
  }
  wake_.notify_all();
}

void CInetConnectionAsync::CheckerLoop() {
  for (;;) {
    TileSource source;
    {
      std::unique_lock lock(wakeMutex_);
      wake_.wait_for(lock, std::chrono::milliseconds(kPeriodMs),
                     [this] { return checkerStop_ != 0 || sourceChanged_; });
      if (checkerStop_ != 0) return;
      sourceChanged_ = false;
      source = source_;
    }
    const int now = Probe(source) ? 1 : 0;
    if (reachable_.exchange(now) != now && changed_) changed_(now);
  }
}

namespace {

// The addresses of `host`, looked up on a thread of its own so that a name
// server that does not answer holds up nobody: after `timeoutMs` the lookup
// is left to finish alone.
std::vector<sockaddr_storage> LookUp(const std::string& host, int port, int timeoutMs) {
  auto promise = std::make_shared<std::promise<std::vector<sockaddr_storage>>>();
  auto future = promise->get_future();
  std::thread([promise, host, port] {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::vector<sockaddr_storage> addresses;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &list) == 0) {
      for (addrinfo* a = list; a != nullptr; a = a->ai_next) {
        sockaddr_storage address{};
        std::memcpy(&address, a->ai_addr, std::min<size_t>(a->ai_addrlen, sizeof address));
        addresses.push_back(address);
      }
      freeaddrinfo(list);
    }
    promise->set_value(std::move(addresses));
  }).detach();
  if (future.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) return {};
  return future.get();
}

// A TCP connect to `address` that gives up after `timeoutMs`.
bool ConnectsWithin(const sockaddr_storage& address, int timeoutMs) {
  const int fd = socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const socklen_t length =
      address.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
  bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
  if (!connected && errno == EINPROGRESS) {
    pollfd watch{fd, POLLOUT, 0};
    int error = 0;
    socklen_t size = sizeof error;
    connected = poll(&watch, 1, timeoutMs) == 1 &&
                getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
  }
  close(fd);
  return connected;
}

}  // namespace

bool CInetConnectionAsync::Probe(const TileSource& source) {
  if (source.kind() != TileSource::Kind::kServer) return source.LocalReadable();
  const QUrl url = source.serverUrl();
  QString host = url.host();
  int port = url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
  const QList<QNetworkProxy> proxies =
      QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
  if (!proxies.isEmpty() && (proxies.front().type() == QNetworkProxy::HttpProxy ||
                             proxies.front().type() == QNetworkProxy::Socks5Proxy)) {
    host = proxies.front().hostName();
    port = proxies.front().port();
  }
  if (host.isEmpty() || port <= 0) return false;
  const auto begin = std::chrono::steady_clock::now();
  const auto addresses = LookUp(host.toStdString(), port, kConnectTimeoutMs);
  for (const sockaddr_storage& address : addresses) {
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - begin)
                           .count();
    const int left = kConnectTimeoutMs - static_cast<int>(spent);
    if (left <= 0) return false;
    if (ConnectsWithin(address, left)) return true;
  }
  return false;
}
