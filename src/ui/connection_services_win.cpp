#include "ui/connection_services_win.h"

#include "connection/after_connect.h"
#include "connection/current_connection.h"
#include "connection/presence.h"
#include "connection/statistics.h"
#include "connection/traffic_sampler.h"
#include "modem/modems.h"
#include "platform/tcp.h"
#include "platform/win32/adapters_win.h"
#include "ui/framework/message_loop_win.h"
#include "ui/open_connection_win.h"
#include "update/update_client.h"

namespace dw::ui {
namespace {

class TrafficSamplerAdapter final : public StatisticsThread {
 public:
  explicit TrafficSamplerAdapter(connection::TrafficSampler::Setup setup)
      : thread_(std::move(setup)) {}
  void SetBaseline(std::uint32_t received, std::uint32_t sent) override {
    thread_.SetBaseline(received, sent);
  }
  void Restart() override { thread_.Restart(); }
  void Resume() override { thread_.Resume(); }
  void Suspend() override { thread_.Pause(); }
  void Accumulate() override { thread_.Accumulate(); }
  std::uint32_t CurrentSpeed() const override { return thread_.CurrentSpeed(); }
  std::chrono::milliseconds ConnectedTime() const override { return thread_.ConnectedTime(); }
  bool Running() const override { return thread_.Running(); }
  void Terminate() override { thread_.Terminate(); }

 private:
  connection::TrafficSampler thread_;
};

}  // namespace

SystemConnectionServices::SystemConnectionServices(Setup setup) : setup_(std::move(setup)) {}
SystemConnectionServices::~SystemConnectionServices() = default;

ras::Dword SystemConnectionServices::EnumDevices(std::vector<std::string>& names) {
  return modem::EnumDevices(names);
}

ras::Handle SystemConnectionServices::CheckAlreadyConnected(const std::string& modem,
                                                            std::string& entryName,
                                                            const std::vector<std::string>& apnList) {
  return connection::CheckAlreadyConnected(modem, entryName, apnList);
}

bool SystemConnectionServices::ConnIsOpen(ras::Handle conn) { return connection::ConnIsOpen(conn); }

bool SystemConnectionServices::CloseConnection(ras::Handle conn) {
  return connection::CloseConnection(conn);
}

ras::Dword SystemConnectionServices::GetStatistics(std::uint32_t& received, std::uint32_t& sent,
                                                   ras::Handle conn) {
  return connection::GetStatistics(received, sent, conn);
}

std::unique_ptr<UpdateClient> SystemConnectionServices::MakeUpdateClient() const {
  return std::make_unique<UpdateClient>(setup_.updateServer, [] { return MakeTcpConnection(); },
                                        std::shared_ptr<const Clock>(setup_.clock));
}

connection::ConnectResult SystemConnectionServices::OpenConnection(
    const connection::ConnectRequest& request) {
  connection::OpenConnectionContext context;
  context.mainWindow = mainWindow_;
  context.registry = setup_.registry;
  context.platformId = setup_.platformId;
  context.messages = setup_.messages.get();
  context.clock = setup_.clock.get();
  context.progressLock = setup_.progressLock;
  context.updateClient = [this] { return MakeUpdateClient(); };
  return connection::OpenConnection(request, context);
}

void SystemConnectionServices::CancelOpenConnection() { connection::CancelOpenConnection(); }

WindowHandle SystemConnectionServices::ProgressWindow() const {
  return reinterpret_cast<WindowHandle>(connection::OpenConnectionDialog());
}

void SystemConnectionServices::SetMainConnectionHandle(ras::Handle conn) {
  connection::SetMainConnectionHandle(conn);
}

std::unique_ptr<StatisticsThread> SystemConnectionServices::CreateStatThread() {
  connection::TrafficSampler::Setup setup;
  setup.messages = setup_.messages;
  setup.clock = setup_.clock;
  setup.target = reinterpret_cast<WindowHandle>(mainWindow_);
  setup.connIsOpen = [](ras::Handle conn) { return connection::ConnIsOpen(conn); };
  return std::make_unique<TrafficSamplerAdapter>(std::move(setup));
}

// On a worker, the window served meanwhile; the program's end leaves it
// behind.
void SystemConnectionServices::NotifyFirstStart(std::string& error, std::string& body) {
  connection::AfterConnectRequest request;
  request.notifyFirstStart = true;
  connection::AfterConnectJob job(MakeUpdateClient(), std::move(request), setup_.messages->NewEvent());
  while (!job.Finished()) {
    setup_.messages->WaitServing(job.Done(), std::chrono::milliseconds(100));
    if (!DrainMessages()) {
      error = "abandoned";
      return;
    }
  }
  if (std::optional<connection::AfterConnectResult> done = job.Take()) {
    error = std::move(done->firstStartError);
    body = std::move(done->firstStartBody);
  }
}

}  // namespace dw::ui
