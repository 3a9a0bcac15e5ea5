// Functions for file names: Shift-JIS paths with backslashes, in place on 260-byte buffers
// (MAX_PATH) unless a destination is given. Results: 1 done, 0 failed.
#pragma once

#include <string>

int MakeRelativePath(char* path);
int MakeRelativePathStr(std::string& path);
int MakeFullPath(char* path);
void StripDirectory(char* path);
int ChangeExtension(char* dst, const char* src, const char* ext);
int RemoveExtension(char* path);
int RemoveExtensionStr(std::string& path);
int GetExtension(char* dst, const char* path);
int MakeNumberedName(char* dst, const char* src, int a, int b);
int FindLastNumberedFile(char* dst, const char* base, const char* ext);
int FindLastNumberedFileStr(std::string& out, const char* base, const char* ext);
