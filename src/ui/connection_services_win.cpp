#include "ui/connection_services_win.h"

#include "modem/modems.h"
#include "platform/tcp.h"
#include "update/update_client.h"

namespace dw::ui {

SystemConnectionServices::SystemConnectionServices() : clock_(MakeSystemClock()) {}
SystemConnectionServices::~SystemConnectionServices() = default;

ras::Dword SystemConnectionServices::EnumDevices(std::vector<std::string>& names) {
  return modem::EnumDevices(names);
}

// The connection layer (presence, dial driver, statistics) is not part of
// this build yet: no connection is found or made, and none is sampled.
ras::Handle SystemConnectionServices::CheckAlreadyConnected(const std::string&, std::string&,
                                                            const std::vector<std::string>&) {
  return 0;
}
bool SystemConnectionServices::ConnIsOpen(ras::Handle) { return false; }
bool SystemConnectionServices::CloseConnection(ras::Handle) { return true; }
ras::Dword SystemConnectionServices::GetStatistics(std::uint32_t& received, std::uint32_t& sent,
                                                   ras::Handle) {
  received = 0;
  sent = 0;
  return 0;
}
ras::Handle SystemConnectionServices::OpenConnection(const std::string&, std::string&,
                                                     std::vector<std::string>&) {
  return 0;
}
void SystemConnectionServices::CancelOpenConnection() {}
void SystemConnectionServices::SetMainConnectionHandle(ras::Handle) {}
std::unique_ptr<StatisticsThread> SystemConnectionServices::CreateStatThread() { return nullptr; }

void SystemConnectionServices::NotifyFirstStart(std::string& error, std::string& body) {
  UpdateClient client(UpdateServerFromEnvironment(), [] { return MakeTcpConnection(); }, *clock_);
  client.NotifyFirstStart(error, body);
}

}  // namespace dw::ui
