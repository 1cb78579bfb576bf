#include "state.h"

#include <algorithm>
#include <sstream>

#include "text_util.h"

namespace dw::sim {

Entry* State::FindEntry(const std::string& name) {
  for (Entry& e : entries) {
    if (EqualsNoCase(e.name, name)) return &e;
  }
  return nullptr;
}

Connection* State::FindConnection(ras::Handle handle) {
  for (Connection& c : connections) {
    if (c.handle == handle) return &c;
  }
  return nullptr;
}

namespace {

std::string JoinStates(const std::vector<Dword>& plan) {
  std::string text;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    if (i) text += ',';
    text += std::to_string(plan[i]);
  }
  return text;
}

std::optional<std::vector<Dword>> SplitStates(const std::string& text) {
  std::vector<Dword> plan;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const auto value = ParseNumber(text.substr(start, end - start));
    if (!value || *value > 0xFFFFFFFFu) return std::nullopt;
    plan.push_back(static_cast<Dword>(*value));
    start = end + 1;
  }
  return plan;
}

// Trailing zero bytes are left out of the file.
std::string RecordHex(std::vector<std::uint8_t> record) {
  while (!record.empty() && record.back() == 0) record.pop_back();
  return ToHex(record);
}

}  // namespace

std::string FormatState(const State& s) {
  std::ostringstream out;
  out << "next-handle=" << s.nextHandle << "\n";
  out << "closed-received=" << s.closedReceived << "\n";
  out << "closed-sent=" << s.closedSent << "\n";
  out << "missing-calls=" << s.missingCalls << "\n";
  for (const Entry& e : s.entries) {
    out << "[entry]\n";
    out << "name=" << e.name << "\n";
    out << "user=" << e.user << "\n";
    out << "password=" << e.password << "\n";
    out << "record=" << RecordHex(e.record) << "\n";
  }
  for (const Connection& c : s.connections) {
    out << "[connection]\n";
    out << "handle=" << c.handle << "\n";
    out << "entry=" << c.entry << "\n";
    out << "device-type=" << c.deviceType << "\n";
    out << "device-name=" << c.deviceName << "\n";
    out << "phone=" << c.phone << "\n";
    out << "apn=" << c.apn << "\n";
    out << "started-ms=" << c.startedMs << "\n";
    out << "step-ms=" << c.stepMs << "\n";
    out << "plan=" << JoinStates(c.plan) << "\n";
    out << "error=" << c.error << "\n";
    out << "hung-up-ms=" << c.hungUpMs << "\n";
    out << "gone-ms=" << c.goneMs << "\n";
    out << "closing=" << (c.closing ? 1 : 0) << "\n";
    out << "rate-received=" << c.rateReceived << "\n";
    out << "rate-sent=" << c.rateSent << "\n";
  }
  return out.str();
}

std::optional<State> ParseState(const std::string& text) {
  State s;
  enum class Section { kTop, kEntry, kConnection } section = Section::kTop;
  for (const std::string& line : SplitLines(text)) {
    if (line.empty()) continue;
    if (line == "[entry]") {
      s.entries.emplace_back();
      section = Section::kEntry;
      continue;
    }
    if (line == "[connection]") {
      s.connections.emplace_back();
      section = Section::kConnection;
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    const auto number = ParseNumber(value);
    const auto dword = [&](Dword& field) {
      if (!number || *number > 0xFFFFFFFFu) return false;
      field = static_cast<Dword>(*number);
      return true;
    };
    const auto int64 = [&](std::int64_t& field) {
      const auto v = ParseSigned(value);
      if (!v) return false;
      field = *v;
      return true;
    };
    bool ok = true;
    if (section == Section::kTop) {
      if (key == "next-handle" && number)
        s.nextHandle = static_cast<ras::Handle>(*number);
      else if (key == "closed-received" && number)
        s.closedReceived = *number;
      else if (key == "closed-sent" && number)
        s.closedSent = *number;
      else if (key == "missing-calls" && number)
        s.missingCalls = *number;
      else
        ok = false;
    } else if (section == Section::kEntry) {
      Entry& e = s.entries.back();
      if (key == "name")
        e.name = value;
      else if (key == "user")
        e.user = value;
      else if (key == "password")
        e.password = value;
      else if (key == "record") {
        auto bytes = FromHex(value);
        ok = bytes.has_value();
        if (ok) {
          bytes->resize(sizeof(ras::v501::RasEntryA), 0);
          e.record = std::move(*bytes);
        }
      } else
        ok = false;
    } else {
      Connection& c = s.connections.back();
      if (key == "handle" && number)
        c.handle = static_cast<ras::Handle>(*number);
      else if (key == "entry")
        c.entry = value;
      else if (key == "device-type")
        c.deviceType = value;
      else if (key == "device-name")
        c.deviceName = value;
      else if (key == "phone")
        c.phone = value;
      else if (key == "apn")
        c.apn = value;
      else if (key == "started-ms")
        ok = int64(c.startedMs);
      else if (key == "step-ms" && number && *number < 0x7FFFFFFF)
        c.stepMs = static_cast<int>(*number);
      else if (key == "plan") {
        auto plan = SplitStates(value);
        ok = plan.has_value() && !plan->empty();
        if (ok) c.plan = std::move(*plan);
      } else if (key == "error")
        ok = dword(c.error);
      else if (key == "hung-up-ms")
        ok = int64(c.hungUpMs);
      else if (key == "gone-ms")
        ok = int64(c.goneMs);
      else if (key == "closing" && (value == "0" || value == "1"))
        c.closing = value == "1";
      else if (key == "rate-received")
        ok = dword(c.rateReceived);
      else if (key == "rate-sent")
        ok = dword(c.rateSent);
      else
        ok = false;
    }
    if (!ok) return std::nullopt;
  }
  for (const Connection& c : s.connections) {
    if (c.plan.empty()) return std::nullopt;
  }
  return s;
}

std::int64_t PlanEndMs(const Connection& c) {
  return c.startedMs + static_cast<std::int64_t>(c.plan.size() - 1) * c.stepMs;
}

std::size_t StatesReached(const Connection& c, std::int64_t nowMs) {
  // A hang-up stops the dial where it was.
  if (c.hungUpMs != 0 && c.hungUpMs < nowMs) nowMs = c.hungUpMs;
  if (c.stepMs <= 0) return c.plan.size();
  if (nowMs <= c.startedMs) return 1;
  const std::int64_t steps = (nowMs - c.startedMs) / c.stepMs + 1;
  return static_cast<std::size_t>(
      std::min<std::int64_t>(steps, static_cast<std::int64_t>(c.plan.size())));
}

ConnectionView ViewAt(const Connection& c, std::int64_t nowMs) {
  ConnectionView v;
  const std::size_t reached = StatesReached(c, nowMs);
  const bool complete = reached == c.plan.size();
  const bool reachedConnected = complete && c.error == 0 && c.plan[reached - 1] == ras::kConnected;
  const bool closing = c.closing && nowMs >= c.hungUpMs;
  v.state = closing ? ras::kDisconnected : c.plan[reached - 1];
  v.error = complete ? c.error : 0;
  v.connected = reachedConnected && !closing;
  v.dialing = !complete && c.hungUpMs == 0;
  if (reachedConnected) {
    v.connectedMs = PlanEndMs(c);
    // Traffic ends with the hang-up or the drop, whichever came first.
    std::int64_t until = nowMs;
    if (c.goneMs != 0 && c.goneMs < until) until = c.goneMs;
    if (c.closing && c.hungUpMs < until) until = c.hungUpMs;
    const std::int64_t ms = std::max<std::int64_t>(0, until - v.connectedMs);
    v.connectedForMs = static_cast<Dword>(ms);
    // 32-bit counters wrap as the system's do.
    v.received = static_cast<Dword>(static_cast<std::uint64_t>(ms) * c.rateReceived / 1000);
    v.sent = static_cast<Dword>(static_cast<std::uint64_t>(ms) * c.rateSent / 1000);
  }
  return v;
}

bool IsGone(const Connection& c, std::int64_t nowMs) {
  return c.goneMs != 0 && nowMs >= c.goneMs;
}

void Purge(State& state, std::int64_t nowMs) {
  auto& list = state.connections;
  for (auto it = list.begin(); it != list.end();) {
    if (IsGone(*it, nowMs)) {
      const ConnectionView last = ViewAt(*it, it->goneMs);
      state.closedReceived += last.received;
      state.closedSent += last.sent;
      it = list.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace dw::sim
