#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 for the update check's tests, on a
// thread of its own. It answers each path with its status and body, answers
// an absolute URL in the request line by its path (so it also stands for a
// proxy), notes every request line, and can hold a connection open without
// answering.
class LocalHttpServer {
 public:
  struct Answer {
    int status = 200;
    std::string body;
    bool silent = false;  // accept, read the request, never answer
  };

  LocalHttpServer();
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  int port() const { return port_; }
  void SetAnswer(const std::string& path, Answer answer);
  std::vector<std::string> requestLines();

 private:
  void Serve();
  void Respond(int client);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::map<std::string, Answer> answers_;
  std::vector<std::string> requestLines_;
  std::vector<int> heldOpen_;
  std::thread thread_;
};
