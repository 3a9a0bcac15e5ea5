// The description of the machine at the head of the report log ("Report_Game.txt"): the
// operating system, the processor with its measured clock, memory and disk space, and once the
// drawing device runs, the display mode, colour depth, video memory and refresh rate, with the
// Direct3D device's details under Direct3D. The facts come from the running system: uname,
// /proc/meminfo, statvfs, the processor's CPUID, SDL's video driver and the graphics device.
#pragma once

#include <string>

#include "draw/surface.h"
#include "platform/wintypes.h"
#include "ui/windows_version.h"

class IDirectDraw7;
class IDirect3D9;
class IDirect3DDevice9;

// The processor as CPUID reports it, and its clock in Hz.
struct CpuInfo {
  char szBrand[256] = {};
  char szVendor[256] = {};
  int32_t bMMX = 0;
  int32_t bSSE = 0;
  int32_t bSSE2 = 0;
  int32_t b3DNow = 0;
  int32_t b3DNowEx = 0;
  double dClock = 0.0;
};

// Everything the machine lines show.
struct SystemFacts {
  std::string osName;
  CpuInfo cpu;
  double memTotal = 0, memFree = 0, virTotal = 0, virFree = 0;  // bytes
  int32_t diskFree = 0;                                          // bytes, at most 2^31 − 1
};

void GetCpuInfo(CpuInfo* info);
// Time-stamp cycles per second, measured over waitMs milliseconds (1000 at start-up).
double MeasureCpuClock(int waitMs = 1000);
// Bytes free to the program on the disk of directory (null: the working folder's), capped at
// 0x7FFFFFFF; 0 when unknown.
int32_t GetDiskFreeBytes(const char* directory);

// Reads the facts (the clock measured over clockMs milliseconds).
SystemFacts ReadSystemFacts(int clockMs = 1000);
// The machine lines of the facts.
std::string FormatSystemInfo(const SystemFacts& facts);
// Appends the machine lines to the report log; 0 when it cannot be opened.
int ReportSystemInfo();

// The head of the report log at program start: the log made empty at path, "App : ver 790",
// then the machine lines. 0 when the log cannot be created.
int BeginReportLog(const char* path);

// What the display lines read of the drawing layer.
struct DisplayReportSource {
  int windowMode = 1;  // 0 full screen
  int bpp = 32;
  IDirectDraw7* lpDD = nullptr;           // the DirectDraw object, when DirectDraw runs
  IDirect3D9* lpD3D = nullptr;            // the Direct3D object and device, under Direct3D
  IDirect3DDevice9* lpDevice = nullptr;
};
// The display lines: mode, depth, video memory and refresh rate with a DirectDraw object, and
// under Direct3D the device's lines (bFull adds the format-support table).
std::string FormatDisplayInfo(const DisplayReportSource& source, int bFull);
int ReportDisplayInfo(const DisplayReportSource& source, int bFull);

// The display driver's DDI version for the Direct3D set-up's check: 9 (the graphics device
// here is a Direct3D 9 device).
int GetDisplayDdiVersion();

