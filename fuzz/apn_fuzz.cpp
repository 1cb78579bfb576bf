// libFuzzer target: GetAPNList against a server whose two answers come from
// the input: the version body, then the list body, each in a well-formed
// 200 response. Input: the local version, the version body and the list body,
// the first two ended by a backslash and one more character ("\\" is a
// backslash), the list body running to the end.
// A failed update changes nothing; a successful one brings a newer version of
// the same application and a list of safe APN names taken from the body.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/fake/fake_tcp.h"
#include "text/texts.h"
#include "update/update_client.h"

namespace {

dw::FakeServerScript Answer(const std::string& body) {
  dw::FakeServerScript script;
  script.packets.push_back({std::chrono::milliseconds(0),
                            "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                                "\r\n\r\n" + body});
  return script;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string local = input.ConsumeRandomLengthString(64);
  const std::string versionBody = input.ConsumeRandomLengthString(512);
  const std::string listBody = input.ConsumeRemainingBytesAsString();

  dw::FakeClock clock;
  dw::FakeTcpNetwork network(clock);
  network.Expect(Answer(versionBody));
  network.Expect(Answer(listBody));
  dw::UpdateClient client(dw::UpdateServer{}, [&] { return network.MakeConnection(); }, clock);

  const std::vector<std::string> before = {"internet.kvr", "internet.ltkvr"};
  std::string version = local;
  std::vector<std::string> list = before;
  std::string message;
  const bool ok = client.GetAPNList(version, list, message);

  const bool updated = ok && network.Sent().size() == 2;
  if (!updated) {
    DW_FUZZ_CHECK(version == local);
    DW_FUZZ_CHECK(list == before);
    DW_FUZZ_CHECK(!message.empty());
    DW_FUZZ_CHECK(!ok || message == dw::Text(dw::TextId::ApnUpdateNotNeeded));
    return 0;
  }

  // Same application (everything before the local version's last dot), and
  // an APN version after it that compares greater.
  const std::size_t dot = local.rfind('.');
  const std::size_t k = dot == std::string::npos ? 0 : dot + 1;
  const std::string app = local.substr(0, k == 0 ? 0 : k - 1);
  DW_FUZZ_CHECK(version.compare(0, app.size(), app) == 0);
  const std::string serverApn = k < version.size() ? version.substr(k) : "";
  DW_FUZZ_CHECK(dw::CompareApnVersions(serverApn, local.substr(k)) > 0);
  DW_FUZZ_CHECK(versionBody.find(version) != std::string::npos);

  DW_FUZZ_CHECK(!list.empty());
  for (const std::string& apn : list) {
    DW_FUZZ_CHECK(dw::IsSafeApnName(apn));
    DW_FUZZ_CHECK(listBody.find(apn) != std::string::npos);
  }
  return 0;
}
