// A blocking TCP client connection with line reading: what the update client
// needs of the network, and no more.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace dw {

// Socket send and receive buffers; also the longest line ReceiveLine accepts.
inline constexpr int kTcpBufferSize = 65536;

// Error codes are Winsock's on every platform, so texts and tests agree.
inline constexpr int kTcpOk = 0;
inline constexpr int kTcpMessageTooLong = 10040;   // a line longer than the buffer
inline constexpr int kTcpConnectionReset = 10054;  // also: the peer closed the connection
inline constexpr int kTcpNotConnected = 10057;
inline constexpr int kTcpTimedOut = 10060;
inline constexpr int kTcpConnectionRefused = 10061;
inline constexpr int kTcpHostNotFound = 11001;

// English text of a Winsock code; "Other Winsock error (N)" for the rest.
std::string TcpErrorText(int code);

class TcpConnection {
 public:
  virtual ~TcpConnection() = default;

  // Every call sets LastError (0 on success). Text goes over the wire as is.
  virtual bool Bind(std::string_view address, std::string_view port) = 0;
  // Resolves `host` (a name or dotted address). `wait` bounds the connect,
  // and on Windows the name look-up with it.
  virtual bool Connect(std::string_view host, std::string_view port,
                       std::chrono::milliseconds wait) = 0;
  virtual bool Send(std::string_view text) = 0;
  // One line without its end. A line ends at CR or LF; CR LF and LF CR count
  // as one end, also when split between packets. `wait` bounds the whole line.
  virtual bool ReceiveLine(std::string& line, std::chrono::milliseconds wait) = 0;
  // Bytes read ahead by ReceiveLine first, else whatever arrives, waiting at
  // most `wait` for the first byte. Replaces `bytes`; never empty on success.
  virtual bool ReceiveAvailable(std::string& bytes, std::chrono::milliseconds wait) = 0;
  virtual int LastError() const = 0;
  std::string LastErrorText() const { return TcpErrorText(LastError()); }
  // Afterwards the same object may Bind and Connect again.
  virtual void Close() = 0;
};

// The line and read-ahead logic all adapters share; an adapter supplies the
// raw receive.
class StreamTcpConnection : public TcpConnection {
 public:
  explicit StreamTcpConnection(const Clock& clock) : clock_(clock) {}

  bool ReceiveLine(std::string& line, std::chrono::milliseconds wait) final;
  bool ReceiveAvailable(std::string& bytes, std::chrono::milliseconds wait) final;
  int LastError() const final { return lastError_; }
  void Close() final;

 protected:
  virtual bool Connected() const = 0;
  // Up to `capacity` bytes into `buffer` of a connected socket, waiting at
  // most `wait` for the first. Returns the count, or 0 after SetError (a
  // closed peer is 10054, an expired wait 10060).
  virtual std::size_t ReceiveSome(char* buffer, std::size_t capacity,
                                  std::chrono::milliseconds wait) = 0;
  virtual void Disconnect() = 0;
  void SetError(int code) { lastError_ = code; }

 private:
  // Reads one packet into readAhead_, swallowing the second half of a line
  // end split between packets.
  bool Fill(std::chrono::milliseconds wait);

  const Clock& clock_;
  std::vector<char> packet_;  // what Fill receives into
  std::string readAhead_;
  // After a line ended by CR (or LF), an LF (or CR) right behind it is the
  // rest of the same line end; 0 when no line end is pending.
  char pairedEnd_ = 0;
  int lastError_ = kTcpOk;
};

// The system's connection (Winsock 2 on Windows, POSIX sockets elsewhere).
std::unique_ptr<TcpConnection> MakeTcpConnection();

}  // namespace dw
