#include "connection/current_connection.h"

#include <atomic>

namespace dw::connection {
namespace {

std::atomic<ras::Handle> g_mainConnection{0};

}  // namespace

ras::Handle MainConnectionHandle() { return g_mainConnection.load(); }
void SetMainConnectionHandle(ras::Handle conn) { g_mainConnection.store(conn); }

}  // namespace dw::connection
