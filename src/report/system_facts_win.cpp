#include "platform/win32/win.h"  // first: the SDK headers below need it

#include "platform/win32/unique_handle.h"
#include "report/report.h"

namespace dw::report {
namespace {

// Looked up: 9x lacks the security functions (importing one would stop the
// program loading there), and CheckTokenMembership is new in 2000.
template <typename F>
F Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

using AllocateSidFn = BOOL(WINAPI*)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD,
                                    DWORD, DWORD, DWORD, PSID*);
using CheckMembershipFn = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
using FreeSidFn = PVOID(WINAPI*)(PSID);
using OpenTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using TokenInfoFn = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID, DWORD, PDWORD);

// TOKEN_INFORMATION_CLASS values of Vista's headers.
constexpr DWORD kTokenElevationType = 18;
constexpr DWORD kTokenElevation = 20;
constexpr DWORD kElevationTypeLimited = 3;

class Win32SystemFacts final : public SystemFacts {
 public:
  Win32SystemFacts(std::uint32_t platformId, std::uint32_t winVer)
      : platformId_(platformId), winVer_(winVer) {}

  WindowsVersion Version() const override {
    WindowsVersion v;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return v;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    // On 9x the high word repeats the major and minor version.
    v.build = info.dwPlatformId == VER_PLATFORM_WIN32_NT ? info.dwBuildNumber : LOWORD(info.dwBuildNumber);
    v.servicePack = info.szCSDVersion;
    while (!v.servicePack.empty() && v.servicePack.back() == ' ') v.servicePack.pop_back();
    while (!v.servicePack.empty() && v.servicePack.front() == ' ') v.servicePack.erase(0, 1);
    return v;
  }

  UserRights Rights() const override {
    UserRights rights;
    if (platformId_ != VER_PLATFORM_WIN32_NT) return rights;
    const HMODULE advapi = GetModuleHandleA("advapi32.dll");
    const auto allocate = Lookup<AllocateSidFn>(advapi, "AllocateAndInitializeSid");
    const auto check = Lookup<CheckMembershipFn>(advapi, "CheckTokenMembership");
    const auto freeSid = Lookup<FreeSidFn>(advapi, "FreeSid");
    if (allocate && check && freeSid) {
      SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
      PSID administrators = nullptr;
      if (allocate(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                   &administrators)) {
        BOOL member = FALSE;
        if (check(nullptr, administrators, &member)) {
          rights.administrator = member ? Answer::kYes : Answer::kNo;
        }
        freeSid(administrators);
      }
    }
    if (winVer_ >= 600) Elevation(advapi, rights);
    return rights;
  }

 private:
  static void Elevation(HMODULE advapi, UserRights& rights) {
    const auto open = Lookup<OpenTokenFn>(advapi, "OpenProcessToken");
    const auto info = Lookup<TokenInfoFn>(advapi, "GetTokenInformation");
    HANDLE token = nullptr;
    if (!open || !info || !open(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    const UniqueKernelHandle owned(token);
    DWORD value = 0;
    DWORD size = 0;
    if (info(token, kTokenElevation, &value, sizeof value, &size)) {
      rights.elevated = value ? Answer::kYes : Answer::kNo;
    }
    if (info(token, kTokenElevationType, &value, sizeof value, &size)) {
      rights.limitedAdministrator = value == kElevationTypeLimited;
    }
  }

  std::uint32_t platformId_;
  std::uint32_t winVer_;
};

}  // namespace

std::unique_ptr<SystemFacts> MakeWin32SystemFacts(std::uint32_t platformId, std::uint32_t winVer) {
  return std::make_unique<Win32SystemFacts>(platformId, winVer);
}

}  // namespace dw::report
