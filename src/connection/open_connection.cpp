#include "connection/open_connection.h"

#include "text/texts.h"

namespace dw::connection {

ErrorReport ErrorReportFor(std::uint32_t errorCode) {
  if (errorCode == 0) return {Text(TextId::ConnError), true};
  if (errorCode == 734) return {Text(TextId::ConnServiceUnavailable), false};
  return {Text(TextId::ConnErrorCode) + std::to_string(errorCode), true};
}

}  // namespace dw::connection
