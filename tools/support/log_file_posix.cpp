#include <sys/stat.h>

#include <cstdio>

#include "support/log_file.h"
#include "support/log_file_stdio.h"

namespace dw::support {

LogFile ReadLogFile(const std::string& utf8Name) {
  struct stat s {};
  if (::stat(utf8Name.c_str(), &s) == 0 && S_ISDIR(s.st_mode)) return {{}, LogFileError::kFolder};
  return ReadWholeFile(std::fopen(utf8Name.c_str(), "rb"));
}

}  // namespace dw::support
