#include "platform/fake/fake_tcp.h"

#include <algorithm>
#include <cstring>

namespace dw {

class FakeTcpConnection final : public StreamTcpConnection {
 public:
  explicit FakeTcpConnection(FakeTcpNetwork& network)
      : StreamTcpConnection(network.clock_), network_(network) {}

  bool Bind(std::string_view, std::string_view) override {
    SetError(kTcpOk);
    return true;
  }

  bool Connect(std::string_view host, std::string_view port, std::chrono::milliseconds) override {
    network_.targets_.push_back(std::string(host) + ":" + std::string(port));
    network_.sent_.emplace_back();
    index_ = network_.sent_.size() - 1;
    if (network_.scripts_.empty()) {
      SetError(kTcpConnectionRefused);
      return false;
    }
    script_ = std::move(network_.scripts_.front());
    network_.scripts_.pop_front();
    if (script_.connectError != kTcpOk) {
      SetError(script_.connectError);
      return false;
    }
    connected_ = true;
    next_ = 0;
    SetError(kTcpOk);
    return true;
  }

  bool Send(std::string_view text) override {
    if (!connected_) {
      SetError(kTcpNotConnected);
      return false;
    }
    network_.sent_[index_] += text;
    SetError(kTcpOk);
    return true;
  }

 protected:
  bool Connected() const override { return connected_; }
  void Disconnect() override { connected_ = false; }

  std::size_t ReceiveSome(char* buffer, std::size_t capacity,
                          std::chrono::milliseconds wait) override {
    if (next_ >= script_.packets.size()) {
      if (!script_.keepOpen) {
        SetError(kTcpConnectionReset);
        return 0;
      }
      network_.clock_.Advance(wait);
      SetError(kTcpTimedOut);
      return 0;
    }
    FakePacket& packet = script_.packets[next_];
    if (packet.after > wait) {
      network_.clock_.Advance(wait);
      packet.after -= wait;
      SetError(kTcpTimedOut);
      return 0;
    }
    network_.clock_.Advance(packet.after);
    packet.after = std::chrono::milliseconds::zero();
    if (packet.error != kTcpOk) {
      ++next_;
      SetError(packet.error);
      return 0;
    }
    if (packet.bytes.empty()) {
      ++next_;
      return ReceiveSome(buffer, capacity, wait);
    }
    const std::size_t count = std::min(capacity, packet.bytes.size());
    std::memcpy(buffer, packet.bytes.data(), count);
    packet.bytes.erase(0, count);
    if (packet.bytes.empty()) ++next_;
    return count;
  }

 private:
  FakeTcpNetwork& network_;
  FakeServerScript script_;
  std::size_t next_ = 0;
  std::size_t index_ = 0;
  bool connected_ = false;
};

std::unique_ptr<TcpConnection> FakeTcpNetwork::MakeConnection() {
  return std::make_unique<FakeTcpConnection>(*this);
}

}  // namespace dw
