// Plays a rasapi32.dll that someone planted in the program's folder: the
// program must never load it. Its one export tells it apart, and loading it
// leaves "planted-loaded.txt" beside it, so a test that only watches a
// program from outside sees that it ran.
#include <windows.h>

extern "C" int DwPlantedMarker(void) { return 0x504C; }

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH + 32] = {};
  const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  char* slash = path + n;
  while (slash > path && slash[-1] != '\\' && slash[-1] != '/') --slash;
  lstrcpyA(slash, "planted-loaded.txt");
  const HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  return TRUE;
}
