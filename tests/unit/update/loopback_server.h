// A scripted server on 127.0.0.1 (a free port of the system's choosing): each
// accepted connection reads the request up to its empty line, then plays the
// next script. Pauses end early when the server stops, so no test waits them
// out. Winsock on Windows (the Wine tests), POSIX sockets elsewhere.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <vector>
#include "platform/threads.h"

namespace dw::test {

#ifdef _WIN32
using SocketId = SOCKET;
inline void CloseSocketId(SocketId s) {
  closesocket(s);
}
inline constexpr int kNoSignal = 0;
#else
using SocketId = int;
inline void CloseSocketId(SocketId s) {
  ::close(s);
}
inline constexpr int kNoSignal = MSG_NOSIGNAL;
#endif

// True when `s` has something to read (or a connection to accept) within `ms`.
inline bool Readable(SocketId s, int ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  return ::select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) > 0;
}

struct ServerStep {
  std::string send;                    // sent first
  std::chrono::milliseconds pause{0};  // then waited
};

struct ServerScript {
  std::vector<ServerStep> steps;
  bool holdOpen = false;  // after the steps: keep the connection until the server stops
};

// A script that answers with these bytes and closes.
inline ServerScript Answer(std::string bytes) {
  return {{{std::move(bytes)}}, false};
}

// "HTTP/1.0 200 OK" with a Content-Length and `body`.
inline std::string Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

class LoopbackServer {
 public:
  explicit LoopbackServer(std::vector<ServerScript> scripts)
      : scripts_(scripts.begin(), scripts.end()) {
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 8);
#ifdef _WIN32
    int size = sizeof address;
#else
    socklen_t size = sizeof address;
#endif
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = dw::Thread([this] { Serve(); });
  }

  ~LoopbackServer() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    CloseSocketId(listener_);
#ifdef _WIN32
    WSACleanup();
#endif
  }

  std::string Port() const {
    return std::to_string(port_);
  }

  // The request bytes of each accepted connection, in order.
  std::vector<std::string> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  bool Stopping() {
    std::lock_guard lock(mutex_);
    return stop_;
  }

  // Sleeps up to `pause`; false when the server is stopping.
  bool Pause(std::chrono::milliseconds pause) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, pause, [this] { return stop_; });
  }

  void Serve() {
    while (!Stopping()) {
      if (!Readable(listener_, 20)) continue;
      const SocketId client = ::accept(listener_, nullptr, nullptr);
      if (client == static_cast<SocketId>(-1)) continue;
      // A client that stops reading must not hold the server in send():
      // Wine does not always fail a blocked send when the peer closes.
#ifdef _WIN32
      const DWORD limit = 5000;
#else
      const timeval limit{5, 0};
#endif
      ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit),
                   sizeof limit);
      ServerScript script;
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(ReadRequest(client));
        if (!scripts_.empty()) {
          script = std::move(scripts_.front());
          scripts_.pop_front();
        }
      }
      Play(client, script);
      CloseSocketId(client);
    }
  }

  std::string ReadRequest(SocketId client) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
      if (!Readable(client, 2000)) break;
      const int count = static_cast<int>(::recv(client, buffer, sizeof buffer, 0));
      if (count <= 0) break;
      request.append(buffer, static_cast<std::size_t>(count));
    }
    return request;
  }

  void Play(SocketId client, const ServerScript& script) {
    for (const ServerStep& step : script.steps) {
      std::size_t sent = 0;
      while (sent < step.send.size()) {
        const int count = static_cast<int>(::send(
            client, step.send.data() + sent, static_cast<int>(step.send.size() - sent), kNoSignal));
        if (count <= 0) return;  // the client has gone
        sent += static_cast<std::size_t>(count);
      }
      if (step.pause.count() > 0 && !Pause(step.pause)) return;
    }
    if (script.holdOpen) {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_; });
    }
  }

  mutable dw::Mutex mutex_;
  dw::ConditionVariable wake_;
  bool stop_ = false;
  std::deque<ServerScript> scripts_;
  std::vector<std::string> requests_;
  SocketId listener_ = static_cast<SocketId>(-1);
  unsigned short port_ = 0;
  dw::Thread thread_;
};

}  // namespace dw::test
