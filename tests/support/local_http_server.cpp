#include "local_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

constexpr int kPollMs = 50;

// Reads the request's header block; empty when the client went away.
std::string ReadHeaders(int client) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    const ssize_t n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return {};
    request.append(buffer, static_cast<std::size_t>(n));
  }
  return request;
}

void SendAll(int client, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = send(client, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;  // the client stopped reading
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace

LocalHttpServer::LocalHttpServer() {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener_, 16);
  socklen_t length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

LocalHttpServer::~LocalHttpServer() {
  stop_ = true;
  thread_.join();
  for (const int client : heldOpen_) close(client);
  close(listener_);
}

void LocalHttpServer::SetAnswer(const std::string& path, struct Answer answer) {
  const std::lock_guard lock(mutex_);
  answers_[path] = std::move(answer);
}

std::vector<std::string> LocalHttpServer::requestLines() {
  const std::lock_guard lock(mutex_);
  return requestLines_;
}

void LocalHttpServer::Serve() {
  while (!stop_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (poll(&waiting, 1, kPollMs) <= 0) continue;
    const int client = accept(listener_, nullptr, nullptr);
    if (client >= 0) Respond(client);
  }
}

void LocalHttpServer::Respond(int client) {
  const std::string request = ReadHeaders(client);
  const std::string line = request.substr(0, request.find("\r\n"));
  std::string target = line.substr(line.find(' ') + 1);
  target = target.substr(0, target.find(' '));
  if (target.starts_with("http://")) target = target.substr(target.find('/', 7));
  struct Answer answer {
    404, "not here", false
  };
  {
    const std::lock_guard lock(mutex_);
    requestLines_.push_back(line);
    if (const auto found = answers_.find(target); found != answers_.end()) answer = found->second;
  }
  if (answer.silent) {
    heldOpen_.push_back(client);
    return;
  }
  SendAll(client, "HTTP/1.1 " + std::to_string(answer.status) +
                      " Answer\r\nContent-Type: text/plain\r\nContent-Length: " +
                      std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n");
  SendAll(client, answer.body);
  shutdown(client, SHUT_WR);
  close(client);
}
