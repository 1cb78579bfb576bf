// The APN update client: HTTP/1.0 exchanges with the operator's update
// server. Texts in and out are code page 1251.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/tcp.h"

namespace dw {

inline constexpr std::string_view kDefaultUpdateHost = "update.korvana.ru";
inline constexpr std::string_view kDefaultUpdatePort = "80";
// "host" or "host:port"; for staging and tests.
inline constexpr const char* kUpdateServerVariable = "DIALWAVE_UPDATE_SERVER";

inline constexpr std::string_view kVersionPath = "/apn/";
inline constexpr std::string_view kListPath = "/apn/list/";
inline constexpr std::string_view kFirstStartPath = "/apn/first/";

struct UpdateServer {
  std::string host{kDefaultUpdateHost};
  std::string port{kDefaultUpdatePort};

  // "http://" + host, with ":" + port unless it is 80, + path.
  std::string Url(std::string_view path) const;
};

// "host" or "host:port" (port 1-65535); nullopt for anything else.
std::optional<UpdateServer> ParseUpdateServer(std::string_view text);
// The server named by DIALWAVE_UPDATE_SERVER, else the default; a malformed
// value also gives the default.
UpdateServer UpdateServerFromEnvironment();

// How long a server may keep us waiting, and how much it may send.
struct UpdateLimits {
  std::chrono::milliseconds perWait{15000};  // each line or packet
  // One GetAPNList or NotifyFirstStart call, connects and name look-ups
  // included.
  std::chrono::milliseconds exchange{60000};
  std::size_t maxBody = 64 * 1024;
};

// Where an exchange stands against its limits.
class ExchangeTimer {
 public:
  ExchangeTimer(const Clock& clock, const UpdateLimits& limits)
      : clock_(clock), limits_(limits), deadline_(clock.Monotonic() + limits.exchange) {}

  // The next wait: the per-wait limit, cut to what is left of the exchange.
  // Zero when nothing is left.
  std::chrono::milliseconds NextWait() const;
  // What is left of the exchange (for a connect).
  std::chrono::milliseconds Left() const;
  bool Expired() const { return Left().count() <= 0; }
  std::size_t MaxBody() const { return limits_.maxBody; }

 private:
  const Clock& clock_;
  UpdateLimits limits_;
  std::chrono::milliseconds deadline_;
};

// The host part of a URL constant (a port stays with it).
std::string ExtractHost(std::string_view url);
// The six request lines, each ended by CR LF.
std::string BuildRequest(std::string_view url);
// Sends `request`; `error` is the transport's text on failure, empty on success.
bool SendRequest(TcpConnection& connection, std::string_view request, std::string& error);
// Reads status line, headers and body, appending the body to `body`. On
// failure `error` is the reason, without a prefix.
bool ReadResponse(TcpConnection& connection, std::string& body, std::string& error,
                  const ExchangeTimer& timer);

// Text comparison of APN list versions: byte by byte, unsigned; a prefix is
// smaller. Negative, zero or positive.
int CompareApnVersions(std::string_view a, std::string_view b);

// An APN goes verbatim into a modem command: 1 to 100 printable ASCII
// characters, none of them blank, '"', '\\', ',' or ';'.
bool IsSafeApnName(std::string_view apn);

class UpdateClient {
 public:
  using ConnectionFactory = std::function<std::unique_ptr<TcpConnection>()>;

  UpdateClient(UpdateServer server, ConnectionFactory connections, const Clock& clock,
               UpdateLimits limits = {});
  // Keeps the clock alive itself: for a client that runs on a worker which
  // may outlive whoever started it.
  UpdateClient(UpdateServer server, ConnectionFactory connections,
               std::shared_ptr<const Clock> clock, UpdateLimits limits = {});

  // `version` in: the local version key ("1.0.0"); `list` in: the current
  // APNs. True when the exchange succeeded: with a newer list, `version` and
  // `list` hold the server's; without one both stay and `message` says so.
  // False with the reason in `message`; `version` and `list` are then
  // unchanged.
  bool GetAPNList(std::string& version, std::vector<std::string>& list, std::string& message);

  // On success `body` is the response body as received (maybe empty) and
  // `error` is empty; on failure `body` is empty and `error` says why.
  void NotifyFirstStart(std::string& error, std::string& body);

 private:
  // Connects, sends the request for `path` and reads the body, with the
  // messages the operations report. False with `message` set.
  bool Exchange(TcpConnection& connection, std::string_view path, const ExchangeTimer& timer,
                std::string& body, std::string& message);

  UpdateServer server_;
  ConnectionFactory connections_;
  std::shared_ptr<const Clock> ownedClock_;
  const Clock& clock_;
  UpdateLimits limits_;
};

}  // namespace dw
