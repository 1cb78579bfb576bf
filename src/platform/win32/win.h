// The one gateway to <windows.h>. Everything that includes it is a *_win.cpp
// file or a Windows-only header; the portable core refuses it below.
#pragma once

#ifdef DW_PORTABLE_CORE
#error "The portable core must not include <windows.h>; put this code in a *_win.cpp file."
#endif

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// The generations the program supports end with XP. mingw-w64 defaults to
// 0x0A00, which also gives RASDIALPARAMSA a newer size than any we speak.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#endif
#ifndef WINVER
#define WINVER 0x0501
#endif

#include <windows.h>
