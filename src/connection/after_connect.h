// What follows a connection: the first-start notice and the APN list
// refresh. They talk to a server that may never answer, so they run on a
// worker of their own that owns copies of everything it needs; the results
// come back as one value, and a caller that stops waiting simply drops the
// job.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "update/update_client.h"

namespace dw::connection {

struct AfterConnectRequest {
  bool notifyFirstStart = false;
  bool refreshApns = false;
  std::string versionKey;            // BuildVersionKey
  std::vector<std::string> apnList;  // the list as the dial left it
};

struct AfterConnectResult {
  bool firstStartNotified = false;  // the notice was sent, whatever came back
  std::string firstStartBody;
  std::string firstStartError;
  bool apnsRefreshed = false;       // GetAPNList succeeded
  std::string version;              // as GetAPNList left it
  std::vector<std::string> apnList; // as GetAPNList left it
  std::string apnMessage;           // GetAPNList's reason on failure
};

// Both exchanges in order, on the calling thread. Logs nothing.
AfterConnectResult RunAfterConnect(UpdateClient& client, AfterConnectRequest request);

// The log lines of a finished run ("FIRST_START", "GetAPNList").
void LogAfterConnect(const AfterConnectResult& result);

// RunAfterConnect on a worker thread. The worker owns the client and the
// request; destroying the job before it is done abandons it: the worker ends
// on its own within the client's limits and its result is dropped.
class AfterConnectJob {
 public:
  AfterConnectJob(std::unique_ptr<UpdateClient> client, AfterConnectRequest request,
                  std::unique_ptr<Event> done);
  ~AfterConnectJob();
  AfterConnectJob(const AfterConnectJob&) = delete;
  AfterConnectJob& operator=(const AfterConnectJob&) = delete;

  // Set when the result is ready.
  const Event& Done() const;
  bool Finished() const;
  // The result once finished, else nullopt.
  std::optional<AfterConnectResult> Take();

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace dw::connection
