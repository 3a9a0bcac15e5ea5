// The outside Ogg playback library, loaded by name as the system does: "Vox.dll" resolves to
// a built-in module whose "CreateVox" makes playback objects over libvorbisfile, mixed into
// the shared audio output.
#pragma once

#include "platform/wintypes.h"

struct HINSTANCE__;
typedef HINSTANCE__* HMODULE;
// A function of the library, to be cast to its own type.
typedef void (*FARPROC)();

// One playback object: one Ogg Vorbis file at a time, decoded ahead on a thread of its own and
// played at unity gain. Operations the system never calls are left out.
class IVox {
 public:
  // Opens a file (a stored Shift-JIS name, relative to the working folder), closing the one
  // open before; ready to play from its start, once. Nonzero when it opened.
  virtual BYTE Open(const char* lpszFileName) = 0;
  // Starts or continues playing the open file.
  virtual void Play() = 0;
  // Stops playing; the object stays at its position.
  virtual void Stop() = 0;
  // Called before every Open: stops and closes the open file.
  virtual void Close() = 0;
  // How often the file plays again after its end: 0 once, 0x7FFFFFFF endlessly, n n times
  // more. Each pass follows the one before without a gap.
  virtual void SetLoop(int nCount) = 0;
  // Stops and frees the object; nothing of it runs afterwards.
  virtual void Destroy() = 0;

 protected:
  virtual ~IVox() = default;
};

constexpr int VOX_LOOP_ENDLESS = 0x7FFFFFFF;

// The signature of the "CreateVox" export: a new idle object, or null.
typedef IVox* (*LPCREATEVOX)();

// Stands in for LoadLibraryA: only the Ogg library "Vox.dll" (any case) is known.
HMODULE LoadLibraryA(const char* lpLibFileName);
// Stands in for GetProcAddress: "CreateVox" of the Ogg library (as LPCREATEVOX).
FARPROC GetProcAddress(HMODULE hModule, const char* lpProcName);
// Stands in for FreeLibrary.
BOOL FreeLibrary(HMODULE hLibModule);

// Tests: what "CreateVox" resolves to from now on (null: the library lacks it);
// UseBuiltinVox() restores the built-in objects.
void SetCreateVoxForTests(LPCREATEVOX lpfnCreate);
void UseBuiltinVox();
