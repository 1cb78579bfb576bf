// The update client against a scripted server on loopback, through the
// system's connection: POSIX natively; the Wine suite includes this file to run
// the same cases over Winsock. Waits are shortened to milliseconds.
#if !defined(_WIN32) || defined(DW_UPDATE_CASES_OVER_WINSOCK)
#include <gtest/gtest.h>

#include "text/cp1251.h"
#include "text/texts.h"
#include "unit/update/loopback_server.h"
#include "update/update_client.h"

namespace dw {
namespace {

using namespace std::chrono_literals;
using test::Answer;
using test::LoopbackServer;
using test::Ok;
using test::ServerScript;

const std::vector<std::string> kOldList = {"internet.kvr", "internet.ltkvr"};

std::string Utf8(std::string_view cp1251) {
  return Cp1251ToUtf8(cp1251);
}
std::string Received(std::string_view reason) {
  return Utf8(Text(TextId::UpdateReceiveFailed)) + std::string(reason);
}

class UpdateClientTest : public ::testing::Test {
 protected:
  UpdateClient Client(const LoopbackServer& server) {
    UpdateServer address;
    address.host = "127.0.0.1";
    address.port = server.Port();
    return UpdateClient(address, MakeTcpConnection, *clock_, limits_);
  }

  struct Outcome {
    bool ok;
    std::string message;  // UTF-8
    std::string version;
    std::vector<std::string> list;
  };
  Outcome Run(const LoopbackServer& server, std::string version = "1.0.0") {
    std::vector<std::string> list = kOldList;
    std::string message;
    const bool ok = Client(server).GetAPNList(version, list, message);
    return {ok, Utf8(message), version, list};
  }

  std::unique_ptr<Clock> clock_ = MakeSystemClock();
  UpdateLimits limits_{300ms, 5000ms, 64 * 1024};
};

TEST_F(UpdateClientTest, SameVersionNeedsNoUpdateAndOneConnection) {
  LoopbackServer server({Answer(Ok("VERSION=1.0.0"))});
  const Outcome r = Run(server);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.message, "Обновление списка APN не требуется");
  EXPECT_EQ(r.version, "1.0.0");
  EXPECT_EQ(r.list, kOldList);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0],
            "GET /apn/ HTTP/1.0\r\n"
            "Host: 127.0.0.1:" +
                server.Port() +
                "\r\n"
                "User-Agent: Mozilla/4.0 (compatible)\r\n"
                "Connection: Keep-Alive\r\n"
                "Cache-Control: no-cache\r\n"
                "\r\n");
}

TEST_F(UpdateClientTest, NewerVersionFetchesTheListOnASecondConnection) {
  LoopbackServer server(
      {Answer(Ok("VERSION=1.0.7")), Answer(Ok("APN list 7\r\ninternet.new\r\ninternet.kvr\r\n"))});
  const Outcome r = Run(server);
  EXPECT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(r.version, "1.0.7");
  EXPECT_EQ(r.list, (std::vector<std::string>{"internet.new", "internet.kvr"}));
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].substr(0, requests[1].find("\r\n")), "GET /apn/list/ HTTP/1.0");
}

// The version body and the decision it leads to, with no list fetched.
struct VersionCase {
  const char* name;
  const char* local;
  std::string response;
  bool ok;
  std::string message;
};

TEST_F(UpdateClientTest, VersionAnswersThatFetchNoList) {
  const std::string noUpdate = "Обновление списка APN не требуется";
  const std::string badFormat = Received("неверный формат ответа");
  const std::string otherApp = Received("версия приложения отличается от запрошенной");
  const VersionCase cases[] = {
      {"text order: 10 is older than 9", "1.0.9", Ok("VERSION=1.0.10"), true, noUpdate},
      {"07 is older than 7", "1.0.7", Ok("VERSION=1.0.07"), true, noUpdate},
      {"older server", "1.0.5", Ok("VERSION=1.0.4"), true, noUpdate},
      {"blank lines around", "1.0.0", Ok("\r\n\r\n  VERSION=1.0.0 \r\n\n"), true, noUpdate},
      {"blanks around equals", "1.0.0", Ok("VERSION = 1.0.7"), false, badFormat},
      {"no equals", "1.0.0", Ok("1.0.7"), false, badFormat},
      {"other key", "1.0.0", Ok("VERSIONS=1.0.7"), false, badFormat},
      {"empty body", "1.0.0", Ok(""), false, badFormat},
      {"other application", "1.0.0", Ok("VERSION=2.0.1"), false, otherApp},
      {"application case matters", "a.0.0", Ok("VERSION=A.0.1"), false, otherApp},
      {"too short for the application", "1.0.0", Ok("VERSION=1."), false, otherApp},
      {"404", "1.0.0", "HTTP/1.0 404 Not Found\r\nContent-Length: 3\r\n\r\nnot", false,
       Received("404 Not Found")},
      {"status line without blank", "1.0.0", "BAD\r\n\r\n", false, Received("BAD")},
      {"status ok in any case", "1.0.0", "HTTP/1.0 200 ok\r\n\r\nVERSION=1.0.0", true, noUpdate},
      {"negative length", "1.0.0", "HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nVERSION=1.0.0",
       false, badFormat},
      {"length not a number", "1.0.0",
       "HTTP/1.0 200 OK\r\nContent-Length: 12a\r\n\r\nVERSION=1.0.0", false, badFormat},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server({Answer(c.response)});
    const Outcome r = Run(server, c.local);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.version, c.local);
    EXPECT_EQ(r.list, kOldList);
    EXPECT_EQ(server.Requests().size(), 1u);
  }
}

TEST_F(UpdateClientTest, LowerCaseKeyIsAccepted) {
  LoopbackServer server({Answer(Ok("version=1.0.7")), Answer(Ok("head\ninternet.x\n"))});
  const Outcome r = Run(server);
  EXPECT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.version, "1.0.7");
  EXPECT_EQ(r.list, std::vector<std::string>{"internet.x"});
}

struct ListCase {
  const char* name;
  std::string body;
  bool ok;
  std::vector<std::string> list;  // the old list when !ok
  std::string message;
};

TEST_F(UpdateClientTest, ListBodies) {
  const ListCase cases[] = {
      {"CR LF with blanks and empty lines",
       "  head \r\n\r\n  a.one \r\n\t\r\nb.two\r\n\r\n",
       true,
       {"a.one", "b.two"},
       ""},
      {"LF only", "\n\nhead\n a.one\n\n b.two \n", true, {"a.one", "b.two"}, ""},
      {"lone CR", "head\ra.one\rb.two", true, {"a.one", "b.two"}, ""},
      {"zero byte ends the text", std::string("head\na.one\n\0b.two\n", 19), true, {"a.one"}, ""},
      {"order kept", "head\nz\ny\nx\n", true, {"z", "y", "x"}, ""},
      {"no line at all", "\r\n  \r\n", false, kOldList, Received("пустой список APN")},
      {"only the first line", "head\r\n", false, kOldList, Received("пустой список APN")},
      {"double quote", "head\ninternet\"\r\nATH\n", false, kOldList,
       Received("недопустимое имя APN в списке")},
      {"blank inside", "head\ninternet kvr\n", false, kOldList,
       Received("недопустимое имя APN в списке")},
      {"one bad among good", "head\na.one\nb;two\nc.three\n", false, kOldList,
       Received("недопустимое имя APN в списке")},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server({Answer(Ok("VERSION=1.0.7")), Answer(Ok(c.body))});
    const Outcome r = Run(server);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(r.list, c.list);
    EXPECT_EQ(r.message, c.message);
    // A refused list keeps the old version too, so nothing half-new is stored.
    EXPECT_EQ(r.version, c.ok ? "1.0.7" : "1.0.0");
  }
}

TEST_F(UpdateClientTest, FailureOfTheListExchangeKeepsVersionAndList) {
  LoopbackServer server(
      {Answer(Ok("VERSION=1.0.7")), Answer("HTTP/1.0 500 Internal Server Error\r\n\r\n")});
  const Outcome r = Run(server);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, Received("500 Internal Server Error"));
  EXPECT_EQ(r.version, "1.0.0");
  EXPECT_EQ(r.list, kOldList);
}

class FirstStartTest : public UpdateClientTest {
 protected:
  std::pair<std::string, std::string> Notify(const LoopbackServer& server) {
    std::string error = "stale", body = "stale";
    Client(server).NotifyFirstStart(error, body);
    return {Utf8(error), body};
  }
  // The server's script ends in "Connection timed out" and no body, after
  // at least `least` and well within `most`.
  void ExpectTimeOutWithin(const ServerScript& script, std::chrono::milliseconds least,
                           std::chrono::milliseconds most) {
    LoopbackServer server({script});
    const auto start = std::chrono::steady_clock::now();
    const auto [error, body] = Notify(server);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(error, Received("Connection timed out"));
    EXPECT_EQ(body, "");
    EXPECT_GE(took, least);
    EXPECT_LT(took, most);
  }
};

TEST_F(FirstStartTest, BodyWithoutLengthEndsWhenTheServerCloses) {
  LoopbackServer server({Answer("HTTP/1.0 200 OK\r\nServer: x\r\n\r\n welcome \r\n")});
  const auto [error, body] = Notify(server);
  EXPECT_EQ(error, "");
  EXPECT_EQ(body, " welcome \r\n");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")), "GET /apn/first/ HTTP/1.0");
}

TEST_F(FirstStartTest, BodyWithoutLengthOnAnOpenConnectionTimesOut) {
  ServerScript script = Answer("HTTP/1.0 200 OK\r\n\r\npartial");
  script.holdOpen = true;
  ExpectTimeOutWithin(script, 250ms, 3000ms);
}

TEST_F(FirstStartTest, ContentLength) {
  const struct {
    const char* name;
    std::string response;
    bool holdOpen;
    std::string error, body;
  } cases[] = {
      {"longer than the body, then closed", "HTTP/1.0 200 OK\r\nContent-Length: 50\r\n\r\nshort",
       false, Received("Connection reset by peer"), ""},
      {"shorter than the body", "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nabcdefgh", false, "",
       "abcd"},
      {"zero on an open connection", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", true, "", ""},
      {"zero, then closed", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", false, "", ""},
      {"empty without a length", "HTTP/1.0 200 OK\r\n\r\n", false, "", ""},
      {"no blank after the colon", "HTTP/1.0 200 OK\r\ncontent-length:5\r\n\r\nabcdefgh", false, "",
       "abcde"},
      {"last header wins", "HTTP/1.0 200 OK\r\nContent-Length: 9\r\nContent-Length: 2\r\n\r\nxyz",
       false, "", "xy"},
      {"more than 64 KiB announced", "HTTP/1.0 200 OK\r\nContent-Length: 65537\r\n\r\nx", true,
       Received("слишком длинный ответ"), ""},
      {"exactly 64 KiB", Ok(std::string(65536, 'b')), false, "", std::string(65536, 'b')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServerScript script = Answer(c.response);
    script.holdOpen = c.holdOpen;
    LoopbackServer server({script});
    const auto [error, body] = Notify(server);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(body, c.body);
  }
}

TEST_F(FirstStartTest, LineEndsSplitBetweenPacketsAreOneEnd) {
  ServerScript script;
  script.steps = {{"HTTP/1.0 200 OK\r", 30ms}, {"\nContent-Length: 3\r\n\r", 30ms}, {"\nabc"}};
  LoopbackServer server({script});
  const auto [error, body] = Notify(server);
  EXPECT_EQ(error, "");
  EXPECT_EQ(body, "abc");
}

TEST_F(FirstStartTest, ADrippingServerIsCutOffByTheExchangeLimit) {
  limits_ = {200ms, 600ms, 64 * 1024};
  ServerScript script;
  script.steps.push_back({"HTTP/1.0 200 OK\r\n\r\n"});
  for (int i = 0; i < 200; ++i) script.steps.push_back({"x", 20ms});
  ExpectTimeOutWithin(script, 550ms, 2500ms);
}

TEST_F(FirstStartTest, TenMegabytesAreRefusedAfter64KiB) {
  const std::string big(10 * 1024 * 1024, 'z');
  for (const bool withLength : {false, true}) {
    SCOPED_TRACE(withLength ? "with length" : "without length");
    LoopbackServer server({Answer(withLength ? Ok(big) : "HTTP/1.0 200 OK\r\n\r\n" + big)});
    const auto [error, body] = Notify(server);
    EXPECT_EQ(error, Received("слишком длинный ответ"));
    EXPECT_EQ(body, "");
  }
}

TEST_F(FirstStartTest, AnEndlessHeaderLineIsRefused) {
  LoopbackServer server({Answer("HTTP/1.0 200 OK\r\nX: " + std::string(200000, 'h'))});
  const auto [error, body] = Notify(server);
  EXPECT_EQ(error, Received("Message too long"));
}

TEST(UpdateClientConnect, RefusedAndUnknownHostGiveTheTransportTextAlone) {
  const auto clock = MakeSystemClock();
  std::string closedPort;
  { closedPort = LoopbackServer({}).Port(); }  // listened once, now closed
  const struct {
    const char* host;
    std::string port;
    const char* message;
  } cases[] = {{"127.0.0.1", closedPort, "Connection refused"},
               {"no-such-host.invalid", "80", "Host not found"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    UpdateClient client({c.host, c.port}, MakeTcpConnection, *clock);
    std::string version = "1.0.0", message;
    std::vector<std::string> list = kOldList;
    EXPECT_FALSE(client.GetAPNList(version, list, message));
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(list, kOldList);
    std::string error, body;
    client.NotifyFirstStart(error, body);
    EXPECT_EQ(error, c.message);
    EXPECT_EQ(body, "");
  }
}

}  // namespace
}  // namespace dw
#endif
