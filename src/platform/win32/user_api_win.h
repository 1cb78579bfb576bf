// The one place that chooses between the ANSI and the UTF-16 functions of
// USER, GDI text and the shell. Windows 95/98/ME implement only a handful of
// UTF-16 functions (the rest are stubs that fail), so there the program's
// windows are ANSI and take the code page 1251 bytes as they are; on NT every
// user-visible text goes through the W functions, so that Russian shows on
// any locale. The choice is made once, from the platform id. Texts are code
// page 1251; class and property names are ASCII and use the A functions on
// both families.
#pragma once

#include "platform/win32/win.h"

#include <string>
#include <string_view>

namespace dw::user {

// True on the 95/98/ME family: the program's windows are ANSI windows.
bool UsesAnsi();

// Window classes and windows.
struct WindowClass {
  const char* name = nullptr;
  WNDPROC procedure = nullptr;
  UINT style = 0;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
};
// False when it fails; a class already registered by this module is kept.
bool RegisterWindowClass(const WindowClass& wc);
HWND CreateWindowText(DWORD exStyle, const char* className, std::string_view text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menu,
                      void* createParam = nullptr);
LRESULT DefProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Classic subclassing: the procedure replaced and called in the variant that
// matches the family, so the window stays of its family.
WNDPROC WindowProc(HWND window);
WNDPROC SetWindowProc(HWND window, WNDPROC procedure);
LRESULT CallProc(WNDPROC previous, HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The calling thread's message queue.
bool PeekRemove(MSG& msg);
LRESULT Dispatch(const MSG& msg);
bool IsDialogMsg(HWND dialog, MSG& msg);

// Texts.
void SetText(HWND window, std::string_view cp1251);
std::string GetText(HWND window);
// A top-level window by class and (when given) title.
HWND FindTopLevel(const char* className, const std::string* cp1251Title);
// The new item's index, or LB_ERR.
int AddListItem(HWND list, std::string_view cp1251);
// Empty for an index out of range.
std::string ListItem(HWND list, int index);
bool AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, std::string_view cp1251);
int MessageBoxText(HWND owner, std::string_view cp1251Text, std::string_view cp1251Caption,
                   UINT type);
// DrawText with the text in the family's encoding; returns the height drawn.
int DrawTextIn(HDC dc, std::string_view cp1251, RECT& rect, UINT format);

// comctl32.dll from the system directory on first use, and its classes
// (ICC_*) registered. Not an import: loading it registers every common
// control and starts the theme engine, a tenth of the way to the first
// paint, and a start shows none of its controls.
bool EnsureCommonControls(DWORD classes);

// Tooltips: the oldest TOOLINFO layout, which every comctl32 takes. The
// tooltip copies the text.
HWND CreateTooltip(DWORD style, HWND owner);
bool AddTool(HWND tooltip, UINT flags, HWND owner, UINT_PTR id, std::string_view cp1251);
void SetToolText(HWND tooltip, HWND owner, UINT_PTR id, std::string_view cp1251);
// Activates a tracking tool (TTF_TRACK) at its position.
void TrackTool(HWND tooltip, HWND owner, UINT_PTR id, bool active);
std::string ToolText(HWND tooltip, HWND owner, UINT_PTR id);

// The notification-area icon, in the first layout every shell takes; the tip
// is cut to the layout's 63 characters.
bool NotifyIcon(DWORD command, HWND owner, UINT id, UINT flags, UINT callbackMessage, HICON icon,
                std::string_view cp1251Tip);
// A warning balloon from the icon, in the shell 5.0 layout (ME, 2000 and
// later; 98's shell ignores or refuses it, so callers there use a box).
bool NotifyBalloon(HWND owner, UINT id, std::string_view cp1251Title, std::string_view cp1251Text);

// A system icon by its IDI_ number (the SDK spells them as UTF-16 names).
HICON SystemIcon(LPCWSTR idi);

// Opens a document or URL with its registered program.
bool ShellOpen(std::string_view cp1251Target);

}  // namespace dw::user
