// POSIX sockets for the native build. Errors are reported as the Winsock codes
// the product sees, so the client and its texts behave the same everywhere.
#ifndef _WIN32
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "platform/tcp.h"

namespace dw {
namespace {

int WinsockCode(int error) {
  switch (error) {
    case 0:
      return kTcpOk;
    case EINTR:
      return 10004;
    case EBADF:
    case ENOTSOCK:
      return 10038;
    case EACCES:
      return 10013;
    case EINVAL:
      return 10022;
    case EMFILE:
    case ENFILE:
      return 10024;
    case EAGAIN:
      return 10035;
    case EINPROGRESS:
      return 10036;
    case EALREADY:
      return 10037;
    case EMSGSIZE:
      return kTcpMessageTooLong;
    case EAFNOSUPPORT:
      return 10047;
    case EADDRINUSE:
      return 10048;
    case EADDRNOTAVAIL:
      return 10049;
    case ENETDOWN:
      return 10050;
    case ENETUNREACH:
      return 10051;
    case ECONNABORTED:
      return 10053;
    // Windows reports a write to a closed peer as a reset.
    case ECONNRESET:
    case EPIPE:
      return kTcpConnectionReset;
    case ENOBUFS:
    case ENOMEM:
      return 10055;
    case EISCONN:
      return 10056;
    case ENOTCONN:
      return 10057;
    case ETIMEDOUT:
      return kTcpTimedOut;
    case ECONNREFUSED:
      return kTcpConnectionRefused;
    case EHOSTDOWN:
      return 10064;
    case EHOSTUNREACH:
      return 10065;
    default:
      return 10107;  // WSASYSCALLFAILURE
  }
}

int LookupCode(int gaiError) {
  switch (gaiError) {
    case EAI_AGAIN:
      return 11002;  // WSATRY_AGAIN
    case EAI_FAIL:
      return 11003;  // WSANO_RECOVERY
    case EAI_SYSTEM:
      return WinsockCode(errno);
    default:
      return kTcpHostNotFound;
  }
}

bool ParsePort(std::string_view text, std::uint16_t& port) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

int Poll(int fd, short events, std::chrono::milliseconds wait) {
  pollfd p{fd, events, 0};
  const auto limit = static_cast<int>(std::min<long long>(wait.count(), 24LL * 3600 * 1000));
  int result;
  do {
    result = ::poll(&p, 1, limit < 0 ? 0 : limit);
  } while (result < 0 && errno == EINTR);
  return result;
}

// Never destroyed: a worker the program left behind (an abandoned update)
// may still open a connection while the process exits.
const Clock& SystemClock() {
  static const Clock* const clock = MakeSystemClock().release();
  return *clock;
}

class PosixTcpConnection final : public StreamTcpConnection {
 public:
  PosixTcpConnection() : StreamTcpConnection(SystemClock()) {}
  ~PosixTcpConnection() override { Close(); }

  bool Bind(std::string_view address, std::string_view port) override {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    std::uint16_t portNumber = 0;
    if (!ParsePort(port, portNumber) ||
        inet_pton(AF_INET, std::string(address).c_str(), &local.sin_addr) != 1) {
      return Fail(10022);
    }
    local.sin_port = htons(portNumber);
    if (!Open()) return false;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
      return Fail(WinsockCode(errno));
    }
    SetError(kTcpOk);
    return true;
  }

  bool Connect(std::string_view host, std::string_view port,
               std::chrono::milliseconds wait) override {
    std::uint16_t portNumber = 0;
    if (!ParsePort(port, portNumber)) return Fail(10022);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = ::getaddrinfo(std::string(host).c_str(), nullptr, &hints, &found);
    if (lookup != 0 || found == nullptr) return Fail(LookupCode(lookup));
    sockaddr_in remote = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::freeaddrinfo(found);
    remote.sin_port = htons(portNumber);

    if (!Open()) return false;
    // Non-blocking only for the connect, so that it can be given up on.
    const int flags = ::fcntl(fd_, F_GETFL, 0);
    ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
    int result = ::connect(fd_, reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
    int error = result == 0 ? 0 : errno;
    if (result != 0 && error == EINPROGRESS) {
      const int ready = Poll(fd_, POLLOUT, wait);
      if (ready == 0) {
        error = ETIMEDOUT;
      } else if (ready < 0) {
        error = errno;
      } else {
        socklen_t size = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0) error = errno;
      }
    }
    ::fcntl(fd_, F_SETFL, flags);
    if (error != 0) {
      CloseSocket();
      return Fail(WinsockCode(error));
    }
    SetError(kTcpOk);
    return true;
  }

  bool Send(std::string_view text) override {
    if (fd_ < 0) return Fail(kTcpNotConnected);
    while (!text.empty()) {
      const ssize_t sent = ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR) continue;
        return Fail(WinsockCode(errno));
      }
      text.remove_prefix(static_cast<std::size_t>(sent));
    }
    SetError(kTcpOk);
    return true;
  }

 protected:
  bool Connected() const override { return fd_ >= 0; }
  void Disconnect() override { CloseSocket(); }

  std::size_t ReceiveSome(char* buffer, std::size_t capacity,
                          std::chrono::milliseconds wait) override {
    const int ready = Poll(fd_, POLLIN, wait);
    if (ready == 0) {
      SetError(kTcpTimedOut);
      return 0;
    }
    if (ready < 0) {
      SetError(WinsockCode(errno));
      return 0;
    }
    ssize_t count;
    do {
      count = ::recv(fd_, buffer, capacity, 0);
    } while (count < 0 && errno == EINTR);
    if (count <= 0) {
      SetError(count == 0 ? kTcpConnectionReset : WinsockCode(errno));
      return 0;
    }
    return static_cast<std::size_t>(count);
  }

 private:
  bool Open() {
    if (fd_ >= 0) return true;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd_ < 0) return Fail(WinsockCode(errno));
    const int size = kTcpBufferSize;
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    return true;
  }

  void CloseSocket() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  bool Fail(int code) {
    SetError(code);
    return false;
  }

  int fd_ = -1;
};

}  // namespace

std::unique_ptr<TcpConnection> MakeTcpConnection() {
  return std::make_unique<PosixTcpConnection>();
}

}  // namespace dw
#endif
