// Owners the tests need and the program does not: other processes and their
// mutexes, the program's module loaded as data.
#pragma once

#include "platform/win32/unique_handle.h"

namespace dw {

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};

using UniqueModule = UniqueHandle<ModuleTraits>;

}  // namespace dw
