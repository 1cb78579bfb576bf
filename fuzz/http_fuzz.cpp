// libFuzzer target: ReadResponse over a scripted connection on a fake clock.
// Input: one byte of options, one byte of packet size (0: everything in one
// packet), then what the server sends.
//   options bit 0: the server stays silent after its last packet (else it closes)
//            bit 1: a body limit of 64 bytes (else the default 64 KiB)
//            bits 2-3: a pause before every packet: 0, 1, 5 or 16 seconds
//            bit 4: the last packet is a transport error instead of bytes
// Whatever a server sends, the exchange ends within its time limit, keeps to
// the body limit, and does not depend on how the bytes were cut into packets.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/fake/fake_tcp.h"
#include "update/update_client.h"

namespace {

using std::chrono::milliseconds;

struct Options {
  bool keepOpen = false;
  bool smallBody = false;
  milliseconds pause{0};
  bool endsInError = false;
};

struct Outcome {
  bool ok = false;
  std::string body;
  std::string error;
  milliseconds elapsed{0};
};

Outcome Run(std::string_view stream, const Options& options, std::size_t packetSize) {
  dw::FakeClock clock;
  dw::FakeTcpNetwork network(clock);
  dw::FakeServerScript script;
  script.keepOpen = options.keepOpen;
  if (packetSize == 0) packetSize = stream.size();
  for (std::size_t at = 0; at < stream.size(); at += packetSize) {
    script.packets.push_back({options.pause, std::string(stream.substr(at, packetSize))});
  }
  if (options.endsInError) script.packets.push_back({options.pause, "", 10053});
  network.Expect(std::move(script));

  dw::UpdateLimits limits;
  if (options.smallBody) limits.maxBody = 64;
  const auto start = clock.Monotonic();
  const dw::ExchangeTimer timer(clock, limits);
  auto connection = network.MakeConnection();
  DW_FUZZ_CHECK(connection->Connect("update.korvana.ru", "80", timer.Left()));

  Outcome outcome;
  outcome.ok = dw::ReadResponse(*connection, outcome.body, outcome.error, timer);
  outcome.elapsed = clock.Monotonic() - start;
  DW_FUZZ_CHECK(outcome.elapsed <= limits.exchange);
  if (outcome.ok) {
    DW_FUZZ_CHECK(outcome.body.size() <= limits.maxBody);
    DW_FUZZ_CHECK(stream.find(outcome.body) != std::string_view::npos);
  }
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t bits = data[0];
  Options options;
  options.keepOpen = (bits & 1) != 0;
  options.smallBody = (bits & 2) != 0;
  constexpr milliseconds kPauses[] = {milliseconds(0), milliseconds(1000), milliseconds(5000),
                                      milliseconds(16000)};
  options.pause = kPauses[(bits >> 2) & 3];
  options.endsInError = (bits & 16) != 0;
  const std::size_t packetSize = data[1];
  const std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);

  const Outcome cut = Run(stream, options, packetSize);
  // Without pauses, time plays no part: one packet must read the same.
  if (options.pause.count() == 0 && packetSize != 0 && packetSize < stream.size()) {
    const Outcome whole = Run(stream, options, 0);
    // (What a failed read leaves in the body is nobody's business.)
    DW_FUZZ_CHECK(cut.ok == whole.ok);
    DW_FUZZ_CHECK(!cut.ok || cut.body == whole.body);
    DW_FUZZ_CHECK(cut.ok || cut.error == whole.error);
  }
  return 0;
}
