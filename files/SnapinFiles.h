#pragma once
// The host directory, snap-in image checks on real files, and descriptions
// from version resources.
#include "files/ImageInspection.h"
#include "framework/String.h"

#include <windows.h>

// The full path of a module, null for the process's executable; 0 or a
// Win32 code. A path the platform had to cut is a failure, never a wrong name.
int GetModulePath(HINSTANCE module, CString& path);
// The text of a path after its last backslash (the whole path without one),
// read as multibyte text of the active code page.
CString FileNameOfPath(const CString& path);
// A module's directory, the host executable's for null, with its trailing
// backslash; 0 or a Win32 code.
int GetModuleDirectory(HINSTANCE module, CString& directory);
inline int GetHostDirectory(CString& directory) { return GetModuleDirectory(nullptr, directory); }

// 0 for a snap-in (kind set), -1 for a file that is not one, or a Win32 code.
int CheckSnapinImage(const char* path, int32_t& kind);

// As CheckSnapinImage, and also tells why a mapped image was rejected
// (`verdict` is meaningful only when the result is 0 or -1).
int InspectSnapinFile(const char* path, int32_t& kind, ImageVerdict& verdict);

// The U.S. English FileDescription; 0, -1, -2 or a Win32 code.
int GetFileDescription(const char* fileName, CString& description);

// A dialog row's text for an entry: the description of the file its data names,
// or else its name; empty data (of an entry that could not be read) names none.
CString RowText(const char* data, const CString& name);

// As GetFileDescription, but a version block whose own length does not fit
// what the platform read gives kCorruptVersionBlock rather than -2, which
// then means only that the block has no U.S. English description.
constexpr int kCorruptVersionBlock = -3;
int ReadFileDescription(const char* fileName, CString& description);
