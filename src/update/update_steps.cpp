#include "update/update_steps.h"

#include "log/log.h"

namespace dw {

bool UpdateApnList(UpdateClient& client, std::string& version, std::vector<std::string>& list) {
  std::string message;
  if (client.GetAPNList(version, list, message)) return true;
  WriteLog("GetAPNList", 0, message);
  return false;
}

void ReportFirstStart(UpdateClient& client) {
  std::string error, body;
  client.NotifyFirstStart(error, body);
  if (!body.empty()) {
    WriteLog("FIRST_START", 0, body);
  } else {
    WriteLog("FIRST_START", 888, error);
  }
}

}  // namespace dw
