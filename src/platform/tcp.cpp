#include "platform/tcp.h"

#include <algorithm>

namespace dw {

std::string TcpErrorText(int code) {
  switch (code) {
    case kTcpOk:
      return "";
    case kTcpMessageTooLong:
      return "Message too long";
    case kTcpConnectionReset:
      return "Connection reset by peer";
    case kTcpTimedOut:
      return "Connection timed out";
    case kTcpConnectionRefused:
      return "Connection refused";
    case kTcpHostNotFound:
      return "Host not found";
    default:
      return "Other Winsock error (" + std::to_string(code) + ")";
  }
}

void StreamTcpConnection::Close() {
  Disconnect();
  readAhead_.clear();
  pairedEnd_ = 0;
  SetError(kTcpOk);
}

bool StreamTcpConnection::Fill(std::chrono::milliseconds wait) {
  // One buffer for the connection's life: packets are often a few bytes, and
  // a fresh zeroed 64 KiB for each cost more than the receive.
  if (!Connected()) {
    SetError(kTcpNotConnected);
    return false;
  }
  if (packet_.empty()) packet_.resize(kTcpBufferSize);
  const std::size_t capacity =
      kTcpBufferSize - std::min(readAhead_.size(), std::size_t{kTcpBufferSize - 1});
  const std::size_t count = ReceiveSome(packet_.data(), capacity, std::max(wait, {}));
  if (count == 0) return false;
  std::size_t start = 0;
  if (pairedEnd_ != 0) {
    if (packet_[0] == pairedEnd_) start = 1;
    pairedEnd_ = 0;
  }
  readAhead_.append(packet_.data() + start, count - start);
  return true;
}

bool StreamTcpConnection::ReceiveLine(std::string& line, std::chrono::milliseconds wait) {
  const auto deadline = clock_.Monotonic() + wait;
  for (;;) {
    const std::size_t end = readAhead_.find_first_of("\r\n");
    if (end != std::string::npos) {
      const char paired = readAhead_[end] == '\r' ? '\n' : '\r';
      line.assign(readAhead_, 0, end);
      readAhead_.erase(0, end + 1);
      if (readAhead_.empty()) {
        pairedEnd_ = paired;
      } else if (readAhead_[0] == paired) {
        readAhead_.erase(0, 1);
      }
      SetError(kTcpOk);
      return true;
    }
    // A server that never ends its line must not make us hold all it sends.
    if (readAhead_.size() >= kTcpBufferSize) {
      SetError(kTcpMessageTooLong);
      return false;
    }
    if (!Fill(deadline - clock_.Monotonic())) return false;
  }
}

bool StreamTcpConnection::ReceiveAvailable(std::string& bytes, std::chrono::milliseconds wait) {
  const auto deadline = clock_.Monotonic() + wait;
  // A packet that held only the rest of a line end leaves nothing to return.
  while (readAhead_.empty()) {
    if (!Fill(deadline - clock_.Monotonic())) return false;
  }
  bytes = std::move(readAhead_);
  readAhead_.clear();
  SetError(kTcpOk);
  return true;
}

}  // namespace dw
