#pragma once
// The host directory, snap-in image checks on real files, and descriptions
// from version resources.
#include "files/ImageInspection.h"
#include "framework/String.h"

// The host executable's directory with its trailing backslash; 0 or a Win32 code.
int GetHostDirectory(CString& directory);

// 0 for a snap-in (kind set), -1 for a file that is not one, or a Win32 code.
int CheckSnapinImage(const char* path, int32_t& kind);

// As CheckSnapinImage, and also tells why a mapped image was rejected
// (`verdict` is meaningful only when the result is 0 or -1).
int InspectSnapinFile(const char* path, int32_t& kind, ImageVerdict& verdict);

// The U.S. English FileDescription; 0, -1, -2 or a Win32 code.
int GetFileDescription(const char* fileName, CString& description);
