// Winsock 2. Name look-up goes through gethostbyname: getaddrinfo is missing
// from ws2_32 before XP, and the program must start on Windows 98.
#include "platform/win32/win.h"

#include "platform/win32/unique_handle.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <string>

#include "platform/tcp.h"
#include "platform/threads.h"

namespace dw {
namespace {

// Never destroyed: a worker the program left behind (an abandoned update)
// may still open a connection while the process exits.
const Clock& SystemClock() {
  static const Clock* const clock = MakeSystemClock().release();
  return *clock;
}

bool ParsePort(std::string_view text, u_short& port) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > 65535) return false;
  port = static_cast<u_short>(value);
  return true;
}

timeval ToTimeval(std::chrono::milliseconds wait) {
  const long long ms = std::clamp<long long>(wait.count(), 0, 24LL * 3600 * 1000);
  timeval tv{};
  tv.tv_sec = static_cast<long>(ms / 1000);
  tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
  return tv;
}

// gethostbyname has no time limit of its own. It runs on a thread that owns
// everything it touches, so a look-up still running when the wait ends is
// left to finish by itself.
struct Lookup {
  dw::Mutex mutex;
  dw::ConditionVariable finished;
  bool done = false;
  int error = 0;
  in_addr address{};
};

// 0 and the address, or the Winsock error.
int LookUpHost(const std::string& name, std::chrono::milliseconds wait, in_addr& address) {
  auto lookup = std::make_shared<Lookup>();
  try {
    dw::Thread([lookup, name] {
      WSADATA data{};
      const bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
      int error = 0;
      in_addr found{};
      const hostent* host = started ? gethostbyname(name.c_str()) : nullptr;
      if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list[0] == nullptr) {
        error = started ? WSAGetLastError() : WSANOTINITIALISED;
        if (error == 0) error = WSAHOST_NOT_FOUND;
      } else {
        std::copy_n(host->h_addr_list[0], sizeof found, reinterpret_cast<char*>(&found));
      }
      if (started) WSACleanup();
      {
        std::lock_guard lock(lookup->mutex);
        lookup->error = error;
        lookup->address = found;
        lookup->done = true;
      }
      lookup->finished.notify_all();
    }).detach();
  } catch (...) {
    return WSAENOBUFS;  // no thread to be had
  }
  std::unique_lock lock(lookup->mutex);
  if (!lookup->finished.wait_for(lock, wait, [&] { return lookup->done; })) return WSAETIMEDOUT;
  address = lookup->address;
  return lookup->error;
}

class WinsockTcpConnection final : public StreamTcpConnection {
 public:
  WinsockTcpConnection() : StreamTcpConnection(SystemClock()) {
    WSADATA data{};
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockTcpConnection() override {
    socket_.reset();
    if (started_) WSACleanup();
  }

  bool Bind(std::string_view address, std::string_view port) override {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    u_short portNumber = 0;
    const unsigned long ip = inet_addr(std::string(address).c_str());
    // inet_addr cannot tell "255.255.255.255" from a bad text; nobody binds to it.
    if (!ParsePort(port, portNumber) || ip == INADDR_NONE) return Fail(WSAEINVAL);
    local.sin_addr.s_addr = ip;
    local.sin_port = htons(portNumber);
    if (!Open()) return false;
    if (bind(socket_.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
      return Fail(WSAGetLastError());
    }
    SetError(kTcpOk);
    return true;
  }

  bool Connect(std::string_view host, std::string_view port,
               std::chrono::milliseconds wait) override {
    u_short portNumber = 0;
    if (!ParsePort(port, portNumber)) return Fail(WSAEINVAL);
    if (!started_) return Fail(WSANOTINITIALISED);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(portNumber);
    const std::string name(host);
    remote.sin_addr.s_addr = inet_addr(name.c_str());
    const DWORD started = GetTickCount();
    if (remote.sin_addr.s_addr == INADDR_NONE) {
      const int error = LookUpHost(name, wait, remote.sin_addr);
      if (error != 0) return Fail(error);
      // The connect gets what the look-up left of the wait.
      const auto spent = std::chrono::milliseconds(GetTickCount() - started);
      wait = spent >= wait ? std::chrono::milliseconds(0) : wait - spent;
    }

    if (!Open()) return false;
    // Non-blocking only for the connect, so that it can be given up on.
    u_long nonBlocking = 1;
    ioctlsocket(socket_.get(), FIONBIO, &nonBlocking);
    int error = 0;
    if (connect(socket_.get(), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
      error = WSAGetLastError();
      if (error == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket_.get(), &writable);
        FD_SET(socket_.get(), &failed);
        timeval tv = ToTimeval(wait);
        const int ready = select(0, nullptr, &writable, &failed, &tv);
        if (ready == 0) {
          error = WSAETIMEDOUT;
        } else if (ready == SOCKET_ERROR) {
          error = WSAGetLastError();
        } else {
          int size = sizeof error;
          error = 0;
          if (getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                         &size) != 0) {
            error = WSAGetLastError();
          }
        }
      }
    }
    nonBlocking = 0;
    ioctlsocket(socket_.get(), FIONBIO, &nonBlocking);
    if (error != 0) {
      socket_.reset();
      return Fail(error);
    }
    SetError(kTcpOk);
    return true;
  }

  bool Send(std::string_view text) override {
    if (!socket_) return Fail(WSAENOTCONN);
    while (!text.empty()) {
      const int chunk = static_cast<int>(std::min<std::size_t>(text.size(), kTcpBufferSize));
      const int sent = send(socket_.get(), text.data(), chunk, 0);
      if (sent == SOCKET_ERROR) return Fail(WSAGetLastError());
      text.remove_prefix(static_cast<std::size_t>(sent));
    }
    SetError(kTcpOk);
    return true;
  }

 protected:
  bool Connected() const override { return static_cast<bool>(socket_); }
  void Disconnect() override { socket_.reset(); }

  std::size_t ReceiveSome(char* buffer, std::size_t capacity,
                          std::chrono::milliseconds wait) override {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_.get(), &readable);
    timeval tv = ToTimeval(wait);
    const int ready = select(0, &readable, nullptr, nullptr, &tv);
    if (ready == 0) {
      SetError(kTcpTimedOut);
      return 0;
    }
    if (ready == SOCKET_ERROR) {
      SetError(WSAGetLastError());
      return 0;
    }
    const int count = recv(socket_.get(), buffer,
                           static_cast<int>(std::min<std::size_t>(capacity, kTcpBufferSize)), 0);
    if (count <= 0) {
      SetError(count == 0 ? kTcpConnectionReset : WSAGetLastError());
      return 0;
    }
    return static_cast<std::size_t>(count);
  }

 private:
  bool Open() {
    if (socket_) return true;
    if (!started_) return Fail(WSANOTINITIALISED);
    socket_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket_) return Fail(WSAGetLastError());
    const int size = kTcpBufferSize;
    setsockopt(socket_.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size),
               sizeof size);
    setsockopt(socket_.get(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size),
               sizeof size);
    return true;
  }

  bool Fail(int code) {
    SetError(code);
    return false;
  }

  bool started_ = false;
  UniqueSocket socket_;
};

}  // namespace

std::unique_ptr<TcpConnection> MakeTcpConnection() {
  return std::make_unique<WinsockTcpConnection>();
}

}  // namespace dw
