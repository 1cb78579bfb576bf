#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/fake/fake_tcp.h"
#include "update/check_update.h"
#include "update/update_client.h"

namespace dw {
namespace {

TEST(UpdateRequest, HostAndRequestBytes) {
  EXPECT_EQ(ExtractHost("http://update.korvana.ru/apn/list/"), "update.korvana.ru");
  EXPECT_EQ(ExtractHost("http://10.0.0.1:8080/apn/"), "10.0.0.1:8080");
  EXPECT_EQ(ExtractHost("http://host"), "host");
  EXPECT_EQ(BuildRequest("http://update.korvana.ru/apn/first/"),
            "GET /apn/first/ HTTP/1.0\r\n"
            "Host: update.korvana.ru\r\n"
            "User-Agent: Mozilla/4.0 (compatible)\r\n"
            "Connection: Keep-Alive\r\n"
            "Cache-Control: no-cache\r\n"
            "\r\n");
  EXPECT_EQ(BuildRequest("http://host").substr(0, 20), "GET / HTTP/1.0\r\nHost");
}

TEST(UpdateServerAddress, HostHeaderCarriesThePortOnlyWhenNot80) {
  const struct {
    const char* text;
    const char* url;  // nullptr: refused
  } cases[] = {
      {"example.net", "http://example.net/apn/"},
      {"example.net:80", "http://example.net/apn/"},
      {"127.0.0.1:8080", "http://127.0.0.1:8080/apn/"},
      {"host:08080", "http://host:8080/apn/"},
      {"", nullptr},
      {":80", nullptr},
      {"host:", nullptr},
      {"host:0", nullptr},
      {"host:65536", nullptr},
      {"host:80x", nullptr},
      {"a/b", nullptr},
      {"a b", nullptr},
      {"user@host", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto server = ParseUpdateServer(c.text);
    ASSERT_EQ(server.has_value(), c.url != nullptr);
    if (server) {
      EXPECT_EQ(server->Url("/apn/"), c.url);
    }
  }
  const UpdateServer fallback;
  EXPECT_EQ(fallback.Url("/apn/"), "http://" + std::string(kDefaultUpdateHost) + "/apn/");
}

// Empty removes the variable.
void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  if (value.empty()) {
    unsetenv(name);
  } else {
    setenv(name, value.c_str(), 1);
  }
#endif
}

TEST(UpdateServerAddress, EnvironmentVariableOverridesTheDefault) {
  const char* saved = std::getenv(kUpdateServerVariable);
  const std::string keep = saved ? saved : "";
  SetVariable(kUpdateServerVariable, "127.0.0.1:18080");
  EXPECT_EQ(UpdateServerFromEnvironment().Url("/"), "http://127.0.0.1:18080/");
  SetVariable(kUpdateServerVariable, "bad host");
  EXPECT_EQ(UpdateServerFromEnvironment().host, kDefaultUpdateHost);
  SetVariable(kUpdateServerVariable, "");
  EXPECT_EQ(UpdateServerFromEnvironment().host, kDefaultUpdateHost);
  EXPECT_EQ(UpdateServerFromEnvironment().port, "80");
  SetVariable(kUpdateServerVariable, keep);
}

TEST(ApnVersionOrder, IsByTextNotByNumber) {
  EXPECT_GT(CompareApnVersions("9", "10"), 0);
  EXPECT_LT(CompareApnVersions("07", "7"), 0);
  EXPECT_LT(CompareApnVersions("7", "70"), 0);
  EXPECT_EQ(CompareApnVersions("7", "7"), 0);
  EXPECT_LT(CompareApnVersions("", "0"), 0);
  // Unsigned bytes: 0xE0 comes after 'z'.
  EXPECT_GT(CompareApnVersions("\xE0", "z"), 0);
}

TEST(SafeApnName, RefusesWhatCouldBreakOutOfTheModemCommand) {
  for (const char* good : {"internet.kvr", "a", "m-wap", "internet_1", "http://172.18.83.129",
                           "wap.voicestream.com", "a!#$%&'()*+-./:<=>?@[]^_`{|}~"}) {
    EXPECT_TRUE(IsSafeApnName(good)) << good;
  }
  EXPECT_TRUE(IsSafeApnName(std::string(100, 'a')));
  const std::string bad[] = {"",
                             std::string(101, 'a'),
                             "internet\"",
                             "a,b",
                             "a;b",
                             "a\\b",
                             "two words",
                             " lead",
                             "tab\there",
                             "cr\rlf",
                             std::string("nul\0x", 5),
                             "del\x7f",
                             "\xE8\xED\xF2\xE5\xF0\xED\xE5\xF2"};  // Cyrillic in 1251
  for (const std::string& apn : bad) EXPECT_FALSE(IsSafeApnName(apn)) << apn;
}

TEST(SafeApnName, AcceptsEveryApnOfTheProviderDatabase) {
#ifdef _WIN32
  // Wine's Z: drive is the Unix root, whatever the current drive.
  const char* path = "Z:\\usr\\share\\mobile-broadband-provider-info\\serviceproviders.xml";
#else
  const char* path = "/usr/share/mobile-broadband-provider-info/serviceproviders.xml";
#endif
  std::ifstream file(path);
  // scripts/setup installs it: without it this test would check nothing.
  ASSERT_TRUE(file) << path << " is absent: install the Debian package "
                              "mobile-broadband-provider-info (scripts/setup does)";
  std::stringstream content;
  content << file.rdbuf();
  const std::string xml = content.str();
  const std::regex apnTag(R"(<apn\s+value\s*=\s*"([^"]*)\")");
  int count = 0;
  for (std::sregex_iterator it(xml.begin(), xml.end(), apnTag), end; it != end; ++it) {
    std::string apn = (*it)[1];
    // Trim as the client does (codes 0-32).
    const auto first = apn.find_first_not_of(std::string("\0 \t\r\n", 5));
    apn = first == std::string::npos ? "" : apn.substr(first);
    apn.erase(apn.find_last_not_of(std::string("\0 \t\r\n", 5)) + 1);
    if (apn.empty()) continue;
    EXPECT_TRUE(IsSafeApnName(apn)) << apn;
    ++count;
  }
  EXPECT_GT(count, 500);
}

TEST(CheckUpdate, PrintsTheOutcomeInUtf8) {
  FakeClock clock;
  FakeTcpNetwork network(clock);
  UpdateClient client(
      UpdateServer{}, [&] { return network.MakeConnection(); }, clock);
  const std::string head = "HTTP/1.0 200 OK\r\n\r\n";

  network.Expect({kTcpOk, {{{}, head + "VERSION=1.0.0"}}});
  std::ostringstream out, err;
  EXPECT_EQ(RunCheckUpdate({}, "1.0", client, out, err), 0);
  EXPECT_EQ(out.str(),
            "result=true\nmessage=Обновление списка APN не требуется\nversion=1.0.0\n"
            "apn=internet.kvr\napn=internet.ltkvr\n");

  network.Expect({kTcpOk, {{{}, head + "VERSION=1.0.3"}}});
  network.Expect({kTcpOk, {{{}, head + "list\nnew.apn\n"}}});
  out.str("");
  EXPECT_EQ(RunCheckUpdate({"--apns", "a,b", "--version", "1.0.2"}, "1.0", client, out, err), 0);
  EXPECT_EQ(out.str(), "result=true\nmessage=\nversion=1.0.3\napn=new.apn\n");

  network.Expect({kTcpOk, {{{}, head + "VERSION=2.0.0"}}});
  out.str("");
  EXPECT_EQ(RunCheckUpdate({"--apns", "x.y"}, "1.0", client, out, err), 1);
  EXPECT_EQ(out.str(),
            "result=false\nmessage=Ошибка при получении обновлений: версия приложения "
            "отличается от запрошенной\nversion=1.0.0\napn=x.y\n");
  EXPECT_EQ(err.str(), "");

  EXPECT_EQ(RunCheckUpdate({"--version"}, "1.0", client, out, err), 2);
  EXPECT_EQ(RunCheckUpdate({"--bogus", "1"}, "1.0", client, out, err), 2);
  EXPECT_NE(err.str(), "");
}

}  // namespace
}  // namespace dw
