#include "update/update_client.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <exception>

#include "text/fold.h"
#include "text/texts.h"

namespace dw {
namespace {

std::string Prefixed(TextId prefix, std::string_view reason) {
  std::string message = Text(prefix);
  message += reason;
  return message;
}

// The text after the colon of a Content-Length header: how many bytes, or
// nullopt when it is not a plain decimal count. `tooLong` when it exceeds
// `limit`, whatever its size.
std::optional<std::size_t> ParseContentLength(std::string_view value, std::size_t limit,
                                              bool& tooLong) {
  value = TrimBlanks(value);
  if (value.empty() ||
      !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  std::size_t length = 0;
  tooLong = false;
  for (char c : value) {
    length = length * 10 + static_cast<std::size_t>(c - '0');
    if (length > limit) {
      tooLong = true;
      return length;
    }
  }
  return length;
}

// Lines of a list body: CR LF, a lone LF or a lone CR ends a line; a zero byte
// ends the text.
std::vector<std::string> SplitLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

}  // namespace

std::string UpdateServer::Url(std::string_view path) const {
  std::string url = "http://" + host;
  if (port != "80") url += ":" + port;
  url += path;
  return url;
}

std::optional<UpdateServer> ParseUpdateServer(std::string_view text) {
  const std::size_t colon = text.find(':');
  UpdateServer server;
  server.host = std::string(text.substr(0, colon));
  if (server.host.empty()) return std::nullopt;
  for (char c : server.host) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 32 || u >= 127 || c == '/' || c == '@' || c == '?' || c == '#') return std::nullopt;
  }
  if (colon != std::string_view::npos) {
    const std::string_view portText = text.substr(colon + 1);
    unsigned port = 0;
    const auto [end, ec] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || ec != std::errc() || end != portText.data() + portText.size() ||
        port == 0 || port > 65535) {
      return std::nullopt;
    }
    server.port = std::to_string(port);
  }
  return server;
}

UpdateServer UpdateServerFromEnvironment() {
  const char* value = std::getenv(kUpdateServerVariable);
  if (value == nullptr || *value == '\0') return UpdateServer{};
  return ParseUpdateServer(value).value_or(UpdateServer{});
}

std::chrono::milliseconds ExchangeTimer::Left() const {
  return std::max(deadline_ - clock_.Monotonic(), std::chrono::milliseconds::zero());
}

std::chrono::milliseconds ExchangeTimer::NextWait() const {
  return std::min(limits_.perWait, Left());
}

std::string ExtractHost(std::string_view url) {
  const std::size_t slashes = url.find("//");
  if (slashes != std::string_view::npos) url.remove_prefix(slashes + 2);
  return std::string(url.substr(0, url.find('/')));
}

std::string BuildRequest(std::string_view url) {
  const std::string host = ExtractHost(url);
  const std::size_t slashes = url.find("//");
  const std::size_t hostStart = slashes == std::string_view::npos ? 0 : slashes + 2;
  std::string_view path = url.substr(std::min(url.size(), hostStart + host.size()));
  if (path.empty()) path = "/";
  std::string request;
  request += "GET ";
  request += path;
  request += " HTTP/1.0\r\n";
  request += "Host: " + host + "\r\n";
  request += "User-Agent: Mozilla/4.0 (compatible)\r\n";
  request += "Connection: Keep-Alive\r\n";
  request += "Cache-Control: no-cache\r\n";
  request += "\r\n";
  return request;
}

bool SendRequest(TcpConnection& connection, std::string_view request, std::string& error) {
  if (!connection.Send(request)) {
    error = connection.LastErrorText();
    return false;
  }
  error.clear();
  return true;
}

bool ReadResponse(TcpConnection& connection, std::string& body, std::string& error,
                  const ExchangeTimer& timer) {
  const auto timedOut = [&] {
    error = TcpErrorText(kTcpTimedOut);
    return false;
  };
  const auto transportFailed = [&] {
    error = connection.LastErrorText();
    return false;
  };

  std::string line;
  if (timer.Expired()) return timedOut();
  if (!connection.ReceiveLine(line, timer.NextWait())) return transportFailed();
  if (line.size() < 2 || AsciiUpper(line.substr(line.size() - 2)) != "OK") {
    const std::size_t blank = line.find(' ');
    error = blank == std::string::npos ? line : line.substr(blank + 1);
    return false;
  }

  constexpr std::string_view kLengthHeader = "CONTENT-LENGTH:";
  std::optional<std::size_t> contentLength;
  for (;;) {
    if (timer.Expired()) return timedOut();
    if (!connection.ReceiveLine(line, timer.NextWait())) return transportFailed();
    if (line.empty()) break;
    if (line.size() >= kLengthHeader.size() &&
        AsciiUpper(line.substr(0, kLengthHeader.size())) == kLengthHeader) {
      bool tooLong = false;
      contentLength = ParseContentLength(std::string_view(line).substr(kLengthHeader.size()),
                                         timer.MaxBody(), tooLong);
      if (!contentLength) {
        error = Text(TextId::UpdateBadFormat);
        return false;
      }
      if (tooLong) {
        error = Text(TextId::UpdateTooLong);
        return false;
      }
    }
  }

  // A known length of 0 is a complete, empty body: no read at all, or a
  // server that keeps the connection open would turn it into a failure.
  std::size_t received = 0;
  std::string chunk;
  while (!contentLength || received < *contentLength) {
    if (timer.Expired()) return timedOut();
    if (!connection.ReceiveAvailable(chunk, timer.NextWait())) {
      if (!contentLength && connection.LastError() == kTcpConnectionReset) break;
      return transportFailed();
    }
    if (chunk.empty()) break;
    if (contentLength && received + chunk.size() > *contentLength) {
      chunk.resize(*contentLength - received);
    }
    if (received + chunk.size() > timer.MaxBody()) {
      error = Text(TextId::UpdateTooLong);
      return false;
    }
    received += chunk.size();
    body += chunk;
  }
  return true;
}

int CompareApnVersions(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool IsSafeApnName(std::string_view apn) {
  if (apn.empty() || apn.size() > 100) return false;
  return std::all_of(apn.begin(), apn.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u > 32 && u < 127 && c != '"' && c != '\\' && c != ',' && c != ';';
  });
}

UpdateClient::UpdateClient(UpdateServer server, ConnectionFactory connections, const Clock& clock,
                           UpdateLimits limits)
    : server_(std::move(server)),
      connections_(std::move(connections)),
      clock_(clock),
      limits_(limits) {}

UpdateClient::UpdateClient(UpdateServer server, ConnectionFactory connections,
                           std::shared_ptr<const Clock> clock, UpdateLimits limits)
    : server_(std::move(server)),
      connections_(std::move(connections)),
      ownedClock_(std::move(clock)),
      clock_(*ownedClock_),
      limits_(limits) {}

bool UpdateClient::Exchange(TcpConnection& connection, std::string_view path,
                            const ExchangeTimer& timer, std::string& body, std::string& message) {
  if (!connection.Bind("0.0.0.0", "0")) {
    message = connection.LastErrorText();
    return false;
  }
  if (timer.Expired() || !connection.Connect(server_.host, server_.port, timer.Left())) {
    message = timer.Expired() ? TcpErrorText(kTcpTimedOut) : connection.LastErrorText();
    return false;
  }
  std::string error;
  if (!SendRequest(connection, BuildRequest(server_.Url(path)), error)) {
    message = Prefixed(TextId::UpdateRequestFailed, error);
    return false;
  }
  body.clear();
  if (!ReadResponse(connection, body, error, timer)) {
    message = Prefixed(TextId::UpdateReceiveFailed, error);
    return false;
  }
  return true;
}

bool UpdateClient::GetAPNList(std::string& version, std::vector<std::string>& list,
                              std::string& message) {
  message.clear();
  try {
    const ExchangeTimer timer(clock_, limits_);
    // k: 1-based position of the last dot, 0 without one.
    const std::size_t dot = version.rfind('.');
    const std::size_t k = dot == std::string::npos ? 0 : dot + 1;
    const std::string_view local(version);
    const std::string_view appVersion = local.substr(0, k == 0 ? 0 : k - 1);
    const std::string_view apnVersion = local.substr(k);

    const auto connection = connections_();
    std::string body;
    if (!Exchange(*connection, kVersionPath, timer, body, message)) return false;

    const std::string_view text = TrimBlanks(body);
    const std::size_t equals = text.find('=');
    const std::string_view key =
        equals == std::string_view::npos ? std::string_view() : text.substr(0, equals);
    if (AsciiUpper(key) != "VERSION") {
      message = Prefixed(TextId::UpdateReceiveFailed, Text(TextId::UpdateBadFormat));
      return false;
    }
    const std::string serverVersion(text.substr(equals + 1));
    const std::string_view server(serverVersion);
    if (server.substr(0, appVersion.size()) != appVersion) {
      message = Prefixed(TextId::UpdateReceiveFailed, Text(TextId::UpdateOtherAppVersion));
      return false;
    }
    // The character at k, meant to be the dot, is skipped unseen.
    const std::string_view serverApnVersion = k < server.size() ? server.substr(k) : "";
    if (CompareApnVersions(serverApnVersion, apnVersion) <= 0) {
      message = Text(TextId::ApnUpdateNotNeeded);
      return true;
    }

    connection->Close();
    if (!Exchange(*connection, kListPath, timer, body, message)) return false;
    std::vector<std::string> entries;
    for (const std::string& line : SplitLines(body)) {
      const std::string_view entry = TrimBlanks(line);
      if (!entry.empty()) entries.emplace_back(entry);
    }
    // The server's first line is not an APN.
    if (!entries.empty()) entries.erase(entries.begin());
    if (entries.empty()) {
      message = Prefixed(TextId::UpdateReceiveFailed, Text(TextId::UpdateEmptyApnList));
      return false;
    }
    if (!std::all_of(entries.begin(), entries.end(),
                     [](const std::string& apn) { return IsSafeApnName(apn); })) {
      message = Prefixed(TextId::UpdateReceiveFailed, Text(TextId::UpdateUnsafeApn));
      return false;
    }
    version = serverVersion;
    list = std::move(entries);
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  } catch (...) {
    message = "Unknown error";
    return false;
  }
}

void UpdateClient::NotifyFirstStart(std::string& error, std::string& body) {
  error.clear();
  body.clear();
  try {
    const ExchangeTimer timer(clock_, limits_);
    const auto connection = connections_();
    std::string received;
    if (!Exchange(*connection, kFirstStartPath, timer, received, error)) return;
    body = std::move(received);
  } catch (const std::exception& e) {
    body.clear();
    error = e.what();
  } catch (...) {
    body.clear();
    error = "Unknown error";
  }
}

}  // namespace dw
