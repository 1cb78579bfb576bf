// The runtime linked into the programs (libgcc's locks under the exception
// unwinder and thread-safe statics; mingw-w64's msvcrt helpers, which look up
// newer msvcrt functions by name) calls three UTF-16 functions that Windows
// 95/98/ME export only as stubs failing with ERROR_CALL_NOT_IMPLEMENTED:
// CreateSemaphoreW, GetModuleHandleW and LoadLibraryW. This object, linked
// ahead of the libraries, defines their import slots itself and points them
// at the ANSI functions every target has, so those calls work on 9x too and
// the W names leave the import table. The runtime only ever passes ASCII
// names (or none).
//
// Only the i686 product needs it; other builds keep the real imports.
#include "platform/win32/win.h"

#if defined(__i386__)

namespace {

// An ASCII name from the runtime, in the ANSI code page; false if it does not
// fit, in which case the call fails as the missing name would.
bool Narrow(LPCWSTR wide, char (&out)[MAX_PATH]) {
  return WideCharToMultiByte(CP_ACP, 0, wide, -1, out, MAX_PATH, nullptr, nullptr) > 0;
}

HANDLE WINAPI CreateSemaphoreAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                                  LPCWSTR name) {
  if (name == nullptr) return CreateSemaphoreA(attributes, initial, maximum, nullptr);
  char narrow[MAX_PATH];
  if (!Narrow(name, narrow)) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  return CreateSemaphoreA(attributes, initial, maximum, narrow);
}

HMODULE WINAPI GetModuleHandleAnsi(LPCWSTR name) {
  if (name == nullptr) return GetModuleHandleA(nullptr);
  char narrow[MAX_PATH];
  if (!Narrow(name, narrow)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return GetModuleHandleA(narrow);
}

HMODULE WINAPI LoadLibraryAnsi(LPCWSTR name) {
  char narrow[MAX_PATH];
  if (name == nullptr || !Narrow(name, narrow)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return LoadLibraryA(narrow);
}

}  // namespace

// The slots' names as the i686 import libraries spell them (stdcall
// decoration: @ and the argument bytes).
extern "C" {
extern void* const dw_imp_CreateSemaphoreW __asm__("__imp__CreateSemaphoreW@16");
extern void* const dw_imp_GetModuleHandleW __asm__("__imp__GetModuleHandleW@4");
extern void* const dw_imp_LoadLibraryW __asm__("__imp__LoadLibraryW@4");
void* const dw_imp_CreateSemaphoreW = reinterpret_cast<void*>(&CreateSemaphoreAnsi);
void* const dw_imp_GetModuleHandleW = reinterpret_cast<void*>(&GetModuleHandleAnsi);
void* const dw_imp_LoadLibraryW = reinterpret_cast<void*>(&LoadLibraryAnsi);
}

#endif
