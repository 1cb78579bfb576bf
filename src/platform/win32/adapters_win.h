// Factories of the Win32 adapters of the ports.
#pragma once

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/data_files.h"
#include "platform/elevation.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/ras_library.h"
#include "platform/shell.h"

struct HINSTANCE__;

namespace dw {

std::unique_ptr<Environment> MakeWin32Environment();
std::unique_ptr<WindowMessages> MakeWin32WindowMessages();
// Shell links need COM initialised on the calling thread.
std::unique_ptr<Shell> MakeWin32Shell();
std::unique_ptr<FileSystem> MakeWin32FileSystem();
// A program as administrator (ShellExecuteExA, the verb "runas"): `program`
// by its path, or this one when empty.
std::unique_ptr<Elevation> MakeWin32Elevation(std::string program = {});
std::unique_ptr<DataFiles> MakeWin32DataFiles();

// A system DLL by its full path in the system directory, never through the
// search path: the program runs from a shared folder at every log-on, and a
// DLL planted beside it would otherwise run with the user's rights. Never
// freed. nullptr if it cannot be loaded.
HINSTANCE__* LoadSystemLibrary(const char* file);
// rasapi32.dll so.
std::unique_ptr<RasLibrary> LoadSystemRasLibrary();

}  // namespace dw
