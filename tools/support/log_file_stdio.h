// The reading both systems share, once the file is open.
#pragma once

#include <cstdio>

#include "support/log_file.h"

namespace dw::support {

inline LogFile ReadWholeFile(std::FILE* in) {
  LogFile file;
  if (in == nullptr) {
    file.error = LogFileError::kCannotOpen;
    return file;
  }
  char block[16384];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, in)) > 0) file.content.append(block, got);
  if (std::ferror(in) != 0) file.error = LogFileError::kCannotRead;
  std::fclose(in);
  return file;
}

}  // namespace dw::support
