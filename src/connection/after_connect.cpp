#include "connection/after_connect.h"

#include <exception>
#include <utility>

#include "log/log.h"
#include "platform/threads.h"

namespace dw::connection {

AfterConnectResult RunAfterConnect(UpdateClient& client, AfterConnectRequest request) {
  AfterConnectResult result;
  if (request.notifyFirstStart) {
    client.NotifyFirstStart(result.firstStartError, result.firstStartBody);
    result.firstStartNotified = true;
  }
  result.version = std::move(request.versionKey);
  result.apnList = std::move(request.apnList);
  if (request.refreshApns) {
    result.apnsRefreshed = client.GetAPNList(result.version, result.apnList, result.apnMessage);
  }
  return result;
}

void LogAfterConnect(const AfterConnectResult& result) {
  if (result.firstStartNotified) {
    if (!result.firstStartBody.empty()) {
      WriteLog("FIRST_START", 0, result.firstStartBody);
    } else {
      WriteLog("FIRST_START", 888, result.firstStartError);
    }
  }
  if (!result.apnsRefreshed && !result.apnMessage.empty()) {
    WriteLog("GetAPNList", 0, result.apnMessage);
  }
}

struct AfterConnectJob::State {
  std::unique_ptr<UpdateClient> client;
  AfterConnectRequest request;
  std::unique_ptr<Event> done;

  dw::Mutex mutex;
  bool finished = false;
  std::optional<AfterConnectResult> result;
};

AfterConnectJob::AfterConnectJob(std::unique_ptr<UpdateClient> client, AfterConnectRequest request,
                                 std::unique_ptr<Event> done)
    : state_(std::make_shared<State>()) {
  state_->client = std::move(client);
  state_->request = std::move(request);
  state_->done = std::move(done);
  // Detached: nobody has to wait for a server that does not answer. The
  // worker holds the state, so it outlives an abandoned job.
  dw::Thread([state = state_] {
    AfterConnectResult result;
    try {
      result = RunAfterConnect(*state->client, std::move(state->request));
    } catch (const std::exception& e) {
      result.apnMessage = e.what();
    } catch (...) {
      result.apnMessage = "unknown error";
    }
    {
      std::lock_guard lock(state->mutex);
      state->result = std::move(result);
      state->finished = true;
    }
    state->done->Set();
  }).detach();
}

AfterConnectJob::~AfterConnectJob() = default;

const Event& AfterConnectJob::Done() const { return *state_->done; }

bool AfterConnectJob::Finished() const {
  std::lock_guard lock(state_->mutex);
  return state_->finished;
}

std::optional<AfterConnectResult> AfterConnectJob::Take() {
  std::lock_guard lock(state_->mutex);
  if (!state_->finished) return std::nullopt;
  return std::move(state_->result);
}

}  // namespace dw::connection
