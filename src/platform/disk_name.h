// Names on the disk and the Shift-JIS names the system uses: one mapping, lossless both ways,
// for every name a folder can hold.
//
// A name on the disk that is valid UTF-8 is read character by character: a character of code
// page 932 takes its code; any other character, and the backslash (which the system takes for a
// separator), takes a code of the user-defined area (0xF040-0xF9FC). A name that is not valid
// UTF-8 is read as Shift-JIS, as an archive made on Windows unpacks it: its characters keep their
// bytes, and a byte that starts no character takes a code of the user-defined area likewise.
// Back on the disk each code becomes what it stood for, so a name from the disk goes back to the
// disk unchanged.
//
// The codes are given as the names are met and kept for the life of the process, for every
// thread: a character first asks for the code its own number hashes to, then the next free one,
// so the same names give the same codes. A code of the area that no name has taken stands for
// its own private-use character (U+E000-U+E757), as on Windows. When the area has no code left
// for a character, the character's UTF-8 bytes take the codes of bytes (128 are kept for them).
#pragma once

#include <string>
#include <string_view>

// One name on the disk (no '/') as the system's Shift-JIS name.
std::string DiskNameToSjis(std::string_view disk);

// A path on the disk: each name between the '/' as DiskNameToSjis gives it, the '/' kept.
std::string DiskPathToSjis(std::string_view disk);

// A path a person gave on the command line: '/' and '\' separate its names and are kept.
std::string ArgumentPathToSjis(std::string_view arg);

// A name or path from the disk or the command line as a person reads it: valid UTF-8.
std::string DiskNameToUtf8(std::string_view disk);

// One name of the system (no separator) as it is written to the disk: its characters in UTF-8,
// each user-defined code as what it stands for, a byte that is no character as itself.
std::string SjisNameToDisk(std::string_view sjis);

// The same name as raw Shift-JIS on the disk: the characters of code page 932 keep their bytes.
// Equal to SjisNameToDisk for a name of ASCII alone.
std::string SjisNameToRawDisk(std::string_view sjis);

// True when the name holds a user-defined code that no name has taken yet (a stored name from
// another run): a folder it names is read first, so that its names take their codes.
bool HasUnmetUserCode(std::string_view sjis);

// The name's characters folded to lower case (ASCII, Latin-1, Greek, Cyrillic and the full-width
// Latin letters), for comparing names as a case-insensitive file system does; a byte that is no
// character stays itself.
std::u32string FoldedName(std::string_view sjis);

// What a person sees for a user-defined code: the character it stands for in names, U+FFFD for
// a byte, else its own private-use character.
char32_t UserCodeShown(unsigned code);
