// Files and paths. Every file name the system stores is Shift-JIS with backslashes and was
// made on a case-insensitive file system; the resolver below turns such a name into a path
// on disk, and every file the system opens goes through FileOpen. Names go between the disk
// and the system through the one mapping of disk_name.h, both ways.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wintypes.h"

// Turns a stored name into a path on disk: "\" (and "/") as separators, never inside a two-byte
// character; each component as the disk holds it: its disk name (SjisNameToDisk), else its raw
// Shift-JIS bytes (SjisNameToRawDisk), else the entry that is the same name without regard to
// case. A leading separator makes the path absolute. The components that do not exist are kept
// in their disk names, so the result can name a file to create.
std::string ResolvePath(std::string_view sjisPath);

// Stands in for the C run-time fopen with an ANSI (Shift-JIS) file name. The text-mode
// letter "t" is accepted and ignored: files are written with LF line ends.
FILE* FileOpen(const char* path, const char* mode);

// Stands in for GetFileAttributesA.
DWORD GetFileAttributesA(const char* path);

// Stands in for GetCurrentDirectoryA: the working folder as Shift-JIS with backslashes,
// with a leading backslash in place of a drive. Returns the length without the zero, the
// size needed (with the zero) when the buffer is too small, or 0 on failure.
DWORD GetCurrentDirectoryA(DWORD nBufferLength, char* lpBuffer);

// Stands in for GetFullPathNameA: the path made absolute against the working folder, with
// "." and ".." components folded; a trailing separator is kept. Same results as
// GetCurrentDirectoryA; lpFilePart, when given, points at the last component in the buffer
// (null for a path that ends with a separator).
DWORD GetFullPathNameA(const char* lpFileName, DWORD nBufferLength, char* lpBuffer, char** lpFilePart);

// Stands in for PathIsRelativeA: false for a path that starts with a separator or a drive.
BOOL PathIsRelativeA(const char* path);

// Stands in for PathIsDirectoryA.
BOOL PathIsDirectoryA(const char* path);

// Stands in for CreateDirectoryA: creates one folder, whose parent must exist. FALSE when it
// exists already or cannot be made. The security attributes are not used.
BOOL CreateDirectoryA(const char* lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);

// Stands in for PathRelativePathToA: the path from pszFrom to pszTo, both absolute, compared
// without regard to case. The result starts with ".\" when it goes down from pszFrom, and
// with "..\" for each level it goes up. pszFrom is taken as a folder when dwAttrFrom has
// FILE_ATTRIBUTE_DIRECTORY, else its last component is dropped. Fails when the two paths
// share no root. pszPath must hold MAX_PATH bytes.
BOOL PathRelativePathToA(char* pszPath, const char* pszFrom, DWORD dwAttrFrom, const char* pszTo, DWORD dwAttrTo);

// The names in a folder as the system sees them (DiskNameToSjis), for callers that would
// otherwise probe many names one by one. Empty when the folder does not exist.
std::vector<std::string> ListFolder(const char* sjisFolder);

// True when two Shift-JIS file names are the same name on a case-insensitive file system.
bool SameFileName(std::string_view a, std::string_view b);
