#include "tool.h"

#include <cstring>
#include <ostream>

#include "modems.h"
#include "simulator.h"
#include "text_util.h"

namespace dw::sim {

namespace {

namespace v501 = ras::v501;

std::string Hex(ras::Dword value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// A phone-book entry as a scenario describes it, in the newest layout.
std::vector<std::uint8_t> RecordOf(const PresetEntry& preset) {
  v501::RasEntryA e{};
  e.dwSize = sizeof e;
  e.dwfOptions = 0x10 | 0x100;
  e.dwfNetProtocols = 4;
  e.dwFramingProtocol = 1;
  SetField(e.szLocalPhoneNumber, preset.phone);
  SetField(e.szDeviceType, preset.deviceType);
  SetField(e.szDeviceName, preset.deviceName);
  std::vector<std::uint8_t> bytes(sizeof e);
  std::memcpy(bytes.data(), &e, sizeof e);
  return bytes;
}

bool InstallModems(ToolHost& host, const Scenario& scenario, std::ostream& out, std::ostream& err) {
  if (host.registry == nullptr) return true;
  const bool win9x = ras::IsWin9x(host.generation);
  int n = 0;
  for (const Device& d : scenario.devices) {
    if (!EqualsNoCase(d.type, "modem")) continue;
    const auto key = InstallModem(*host.registry, win9x, d.name);
    if (!key) {
      err << "rassim: the registry refused the modem \"" << d.name << "\"\n";
      return false;
    }
    ++n;
    out << "modem." << n << ".name=" << d.name << "\n";
    out << "modem." << n << ".key=HKLM\\" << *key << "\n";
  }
  out << "modems=" << n << "\n";
  return true;
}

int Install(ToolHost& host, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto dll = host.installDll ? host.installDll(error) : std::nullopt;
  if (!dll) {
    err << "rassim: could not install rasapi32.dll: " << error << "\n";
    return 1;
  }
  out << "generation=" << GenerationName(host.generation) << "\n";
  out << "dll=" << *dll << "\n";
  if (!InstallModems(host, host.store->ReadScenario(), out, err)) return 1;
  out << "folder=" << host.folder << "\n";
  out << "override=rasapi32=n\n";
  return 0;
}

int LoadScenario(ToolHost& host, const std::string& path, std::ostream& out, std::ostream& err) {
  const auto text = host.readFile ? host.readFile(path) : std::nullopt;
  if (!text) {
    err << "rassim: cannot read " << path << "\n";
    return 1;
  }
  std::string problem;
  const auto scenario = ParseScenario(*text, &problem);
  if (!scenario) {
    err << "rassim: " << path << ": not a scenario: " << problem << "\n";
    return 1;
  }
  host.store->SetScenario(*scenario);
  host.store->Update([&](const Scenario&, State& state) {
    for (const PresetEntry& preset : scenario->entries) {
      Entry entry{preset.name, RecordOf(preset), preset.user, preset.password};
      if (Entry* existing = state.FindEntry(preset.name)) {
        *existing = std::move(entry);
      } else {
        state.entries.push_back(std::move(entry));
      }
    }
  });
  out << "scenario=" << path << "\n";
  out << "entries=" << scenario->entries.size() << "\n";
  return InstallModems(host, *scenario, out, err) ? 0 : 1;
}

int PrintState(ToolHost& host, Simulator& sim, std::ostream& out) {
  const Scenario scenario = host.store->ReadScenario();
  out << "generation=" << GenerationName(host.generation) << "\n";
  out << "folder=" << host.folder << "\n";
  out << "strict=" << (scenario.strict ? "on" : "off") << "\n";
  out << "devices=" << scenario.devices.size() << "\n";
  int i = 0;
  for (const Device& d : scenario.devices) {
    ++i;
    out << "device." << i << ".type=" << d.type << "\n";
    out << "device." << i << ".name=" << d.name << "\n";
  }
  const std::vector<Entry> entries = sim.Entries();
  out << "entries=" << entries.size() << "\n";
  i = 0;
  for (const Entry& e : entries) {
    ++i;
    v501::RasEntryA r{};
    std::memcpy(&r, e.record.data(), std::min(e.record.size(), sizeof r));
    const std::string p = "entry." + std::to_string(i) + ".";
    out << p << "name=" << e.name << "\n";
    out << p << "phone=" << FieldText(r.szLocalPhoneNumber) << "\n";
    out << p << "device-type=" << FieldText(r.szDeviceType) << "\n";
    out << p << "device-name=" << FieldText(r.szDeviceName) << "\n";
    out << p << "options=" << Hex(r.dwfOptions) << "\n";
    out << p << "framing=" << r.dwFramingProtocol << "\n";
    out << p << "net-protocols=" << r.dwfNetProtocols << "\n";
    out << p << "dial-mode=" << r.dwDialMode << "\n";
    out << p << "type=" << r.dwType << "\n";
    out << p << "encryption=" << r.dwEncryptionType << "\n";
    out << p << "prerequisite-entry=" << FieldText(r.szPrerequisiteEntry) << "\n";
    out << p << "user=" << e.user << "\n";
    // The dwSize of the last save: which generation's record wrote the entry.
    out << p << "size=" << r.dwSize << "\n";
  }
  const auto connections = sim.Connections();
  out << "connections=" << connections.size() << "\n";
  i = 0;
  for (const auto& [c, v] : connections) {
    ++i;
    const std::string p = "connection." + std::to_string(i) + ".";
    out << p << "handle=" << c.handle << "\n";
    out << p << "entry=" << c.entry << "\n";
    out << p << "device-type=" << c.deviceType << "\n";
    out << p << "device=" << c.deviceName << "\n";
    out << p << "phone=" << c.phone << "\n";
    out << p << "apn=" << c.apn << "\n";
    out << p << "state=" << v.state << "\n";
    out << p << "error=" << v.error << "\n";
    out << p << "hung-up=" << (c.hungUpMs != 0 ? 1 : 0) << "\n";
    out << p << "received=" << v.received << "\n";
    out << p << "sent=" << v.sent << "\n";
  }
  out << "missing-calls=" << sim.MissingCalls() << "\n";
  if (host.registry != nullptr) {
    const auto modems = ListModems(*host.registry, ras::IsWin9x(host.generation));
    out << "modems=" << modems.size() << "\n";
    i = 0;
    for (const ModemKey& m : modems) {
      ++i;
      out << "modem." << i << ".name=" << m.name << "\n";
      out << "modem." << i << ".userinit=" << m.userInit << "\n";
    }
  }
  return 0;
}

int DropConnections(Simulator& sim, const std::string& which, std::ostream& out,
                    std::ostream& err) {
  std::optional<ras::Handle> handle;
  if (which != "all") {
    const auto n = ParseNumber(which);
    if (!n) {
      err << "rassim: drop takes a handle (decimal) or \"all\"\n";
      return 2;
    }
    handle = static_cast<ras::Handle>(*n);
  }
  const int dropped = sim.Drop(handle);
  out << "dropped=" << dropped << "\n";
  if (handle && dropped == 0) {
    err << "rassim: no connection " << which << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

const char* GenerationName(ras::Generation generation) {
  switch (generation) {
    case ras::Generation::kWin98:
      return "win98";
    case ras::Generation::kWinMe:
      return "winme";
    case ras::Generation::kWin2000:
      return "win2k";
    case ras::Generation::kWinXp:
      return "winxp";
    case ras::Generation::kVista:
      return "vista";  // and every later NT
  }
  return "win2k";
}

int RunTool(const std::vector<std::string>& args, ToolHost& host, std::ostream& out,
            std::ostream& err) {
  const std::string command = args.empty() ? "" : args[0];
  const std::size_t n = args.size();
  if (command == "install" && n == 1) return Install(host, out, err);
  if (command == "scenario" && n == 2) return LoadScenario(host, args[1], out, err);
  if (command == "reset" && n == 1) {
    host.store->Reset();
    out << "reset=ok\n";
    return 0;
  }
  if ((command == "state" && n == 1) || (command == "drop" && n == 2)) {
    Simulator sim(
        Host{host.generation, host.store, host.clock, host.registry, host.publishCounters});
    return command == "state" ? PrintState(host, sim, out)
                              : DropConnections(sim, args[1], out, err);
  }
  err << "usage: rassim install | scenario FILE | reset | state | drop HANDLE|all\n";
  return 2;
}

}  // namespace dw::sim
