// The RAS library as the core sees it: loaded or not, and entry points looked
// up by their exported names on every call (never cached).
#pragma once

#include <string>

namespace dw {

class RasLibrary {
 public:
  virtual ~RasLibrary() = default;
  virtual bool IsLoaded() const = 0;
  // The entry point's address, or null when the library or the name is missing.
  virtual void* Lookup(const char* name) const = 0;
};

}  // namespace dw
