#include "app/system_report.h"

#include <SDL.h>
#include <sys/statvfs.h>
#include <time.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define TW_HAVE_CPUID 1
#endif

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/log.h"
#include "core/text.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"

namespace {

constexpr double kMB = 1024.0 * 1024.0;

// One value of /proc/meminfo in bytes (its lines are "Name:  value kB"); -1 when absent.
double MemInfo(const std::string& text, const char* name) {
  std::istringstream in(text);
  std::string line;
  const std::string key = std::string(name) + ":";
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    return std::strtod(line.c_str() + key.size(), nullptr) * 1024.0;
  }
  return -1.0;
}

// The performance counter: a monotonic clock in seconds.
double Counter() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

uint64_t CycleCounter() {
#ifdef TW_HAVE_CPUID
  return __rdtsc();
#else
  return static_cast<uint64_t>(Counter() * 1e9);
#endif
}

const char* Mark(bool on) { return on ? "○" : "×"; }

}  // namespace

namespace {

// The CPUID part of the processor record (texts empty and flags 0 without CPUID).
void ReadCpuId(CpuInfo* info) {
  *info = CpuInfo{};
#ifdef TW_HAVE_CPUID
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(0, &a, &b, &c, &d) && a >= 1) {
    std::memcpy(info->szVendor, &b, 4);
    std::memcpy(info->szVendor + 4, &d, 4);
    std::memcpy(info->szVendor + 8, &c, 4);
    __get_cpuid(1, &a, &b, &c, &d);
    info->bMMX = (d >> 23) & 1;
    info->bSSE = (d >> 25) & 1;
    info->bSSE2 = (d >> 26) & 1;
    unsigned top = 0;
    if (__get_cpuid(0x80000000u, &top, &b, &c, &d) && top >= 0x80000001u) {
      __get_cpuid(0x80000001u, &a, &b, &c, &d);
      info->b3DNow = (d >> 31) & 1;
      info->b3DNowEx = (d >> 30) & 1;
      if (top >= 0x80000004u) {
        unsigned regs[12];
        for (unsigned i = 0; i < 3; ++i) __get_cpuid(0x80000002u + i, &regs[i * 4], &regs[i * 4 + 1], &regs[i * 4 + 2], &regs[i * 4 + 3]);
        std::memcpy(info->szBrand, regs, 48);
      }
    }
  }
#endif
}

}  // namespace

void GetCpuInfo(CpuInfo* info) {
  ReadCpuId(info);
  info->dClock = MeasureCpuClock();
}

double MeasureCpuClock(int waitMs) {
  const double q0 = Counter();
  const double q1 = Counter();
  const uint64_t c0 = CycleCounter();
  while (Counter() - q1 < waitMs * 1e-3) {
  }
  const double q2 = Counter();
  const uint64_t c1 = CycleCounter();
  // The cost of one counter read is taken off the time.
  const double seconds = (q2 - q1) - (q1 - q0);
  return seconds > 0 ? static_cast<double>(c1 - c0) / seconds : 0.0;
}

int32_t GetDiskFreeBytes(const char* directory) {
  struct statvfs s {};
  if (statvfs(directory && *directory ? directory : ".", &s) != 0) return 0;
  const unsigned long long bytes = static_cast<unsigned long long>(s.f_bavail) * s.f_frsize;
  return bytes < 0x80000000ull ? static_cast<int32_t>(bytes) : 0x7FFFFFFF;
}

SystemFacts ReadSystemFacts(int clockMs) {
  SystemFacts f;
  GetWindowsName(&f.osName, nullptr, nullptr);
  ReadCpuId(&f.cpu);
  f.cpu.dClock = MeasureCpuClock(clockMs);
  std::ifstream in("/proc/meminfo");
  std::stringstream text;
  text << in.rdbuf();
  const std::string mem = text.str();
  f.memTotal = std::max(0.0, MemInfo(mem, "MemTotal"));
  f.memFree = std::max(0.0, MemInfo(mem, "MemAvailable"));
  // The virtual memory the program may commit: the commit limit and what is left of it.
  f.virTotal = std::max(0.0, MemInfo(mem, "CommitLimit"));
  f.virFree = std::max(0.0, f.virTotal - std::max(0.0, MemInfo(mem, "Committed_AS")));
  f.diskFree = GetDiskFreeBytes(nullptr);
  return f;
}

std::string FormatSystemInfo(const SystemFacts& f) {
  std::string out;
  AppendFormat(out, "OS : %s\n", f.osName.c_str());
  AppendFormat(out, "CPU : %s %s %d\n", f.cpu.szVendor, f.cpu.szBrand, static_cast<int>(f.cpu.dClock * 1e-6));
  AppendFormat(out, "Mem Total : %.3fMB\n", f.memTotal / kMB);
  AppendFormat(out, "Mem Free : %3.fMB\n", f.memFree / kMB);
  AppendFormat(out, "Vir Total : %.3fMB\n", f.virTotal / kMB);
  AppendFormat(out, "Vir Free : %3.fMB\n", f.virFree / kMB);
  AppendFormat(out, "HD Free : %3.fMB\n", f.diskFree / kMB);
  return out;
}

namespace {

// The text without its last line end, for the report log (which ends each write with one).
int WriteReport(const std::string& text) {
  std::string t = text;
  if (!t.empty() && t.back() == '\n') t.pop_back();
  return ReportLog("%s", t.c_str());
}

}  // namespace

int ReportSystemInfo() { return WriteReport(FormatSystemInfo(ReadSystemFacts())); }

int BeginReportLog(const char* path) {
  if (!SetReportLogPath(path)) return 0;
  ReportLog("App : ver %s", "790");
  ReportSystemInfo();
  return 1;
}

std::string FormatDisplayInfo(const DisplayReportSource& s, int bFull) {
  std::string out;
  out += s.windowMode ? "Mode : Window\n" : "Mode : Fullscreen\n";
  AppendFormat(out, "Bpp : %d\n", s.bpp);
  if (s.lpDD) {
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_VIDEOMEMORY;
    DWORD total = 0, free = 0;
    if (s.lpDD->GetAvailableVidMem(&caps, &total, &free) == 0) {
      AppendFormat(out, "VRAM Total : %.3fMB\n", total / kMB);
      AppendFormat(out, "VRAM Free : %.3fMB\n", free / kMB);
    }
    DWORD rate = 0;
    if (s.lpDD->GetMonitorFrequency(&rate) == 0) AppendFormat(out, "RR : %u\n", static_cast<unsigned>(rate));
  }
  if (!s.lpD3D) return out;
  // The device lines: the graphics library's version in place of DirectX's, the device as SDL
  // shows it, and what the Direct3D object reports.
  SDL_version v;
  SDL_GetVersion(&v);
  const char* driver = SDL_GetCurrentVideoDriver();
  AppendFormat(out, "SDL %d.%d.%d (%s)\n", v.major, v.minor, v.patch, driver ? driver : "none");
  if (s.lpDevice) AppendFormat(out, "TextureMem : %dMB\n", static_cast<int>(s.lpDevice->GetAvailableTextureMem() >> 20));
  AppendFormat(out, "---デバイス%d\n", 0);
  SDL_RendererInfo info{};
  if (SDL_GetNumRenderDrivers() > 0 && SDL_GetRenderDriverInfo(0, &info) == 0 && info.name) {
    AppendFormat(out, "Destination : %s\n", info.name);
  }
  D3DADAPTER_IDENTIFIER9 id{};
  if (s.lpD3D->GetAdapterIdentifier(0, 0, &id) == D3D_OK) {
    const DWORD hi = static_cast<DWORD>(id.DriverVersion.HighPart), lo = id.DriverVersion.LowPart;
    AppendFormat(out, "Driver : %s %1d.%02d.%04d.%04d\n", id.Driver, static_cast<int>(hi >> 16),
                 static_cast<int>(hi & 0xFFFF), static_cast<int>(lo >> 16), static_cast<int>(lo & 0xFFFF));
  }
  AppendFormat(out, "DDI : %d\n", GetDisplayDdiVersion());
  D3DCAPS9 caps{};
  if (s.lpD3D->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps) == D3D_OK) {
    AppendFormat(out, "TextureMaxSize : (%d,%d)\n", static_cast<int>(caps.MaxTextureWidth),
                 static_cast<int>(caps.MaxTextureHeight));
    AppendFormat(out, "TextureMaxBlend : (%d,%d)\n", static_cast<int>(caps.MaxTextureBlendStages),
                 static_cast<int>(caps.MaxSimultaneousTextures));
    if (caps.Caps3 & 0x20) out += "D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD\n";
    if (caps.TextureCaps & 0x2) out += "D3DPTEXTURECAPS_POW2\n";
    if (caps.TextureCaps & 0x20) out += "D3DPTEXTURECAPS_SQUAREONLY\n";
    if (caps.Caps2 & 0x20000000) out += "D3DCAPS2_DYNAMICTEXTURES\n";
  }
  D3DDISPLAYMODE mode{};
  if (bFull && s.lpD3D->GetAdapterDisplayMode(0, &mode) == D3D_OK) {
    static const struct {
      const char* surface;
      const char* texture;
      DWORD usage;
    } kRows[] = {{"AU-SU", "AU-TE", 0x400}, {"DE-SU", "DE-TE", 2},    {"DM-SU", "DM-TE", 0x4000},
                 {"DO-SU", "DO-TE", 0x20},  {"DY-SU", "DY-TE", 0x200}, {"NP-SU", "NP-TE", 0x100},
                 {"PO-SU", "PO-TE", 0x40},  {"RT-SU", "RT-TE", 0x80},  {"RE-SU", "RE-TE", 1},
                 {"SO-SU", "SO-TE", 0x10},  {"WR-SU", "WR-TE", 8}};
    for (const auto& row : kRows) {
      for (int col = 0; col < 2; ++col) {
        out += col ? row.texture : row.surface;
        const HRESULT r = s.lpD3D->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, row.usage,
                                                     col ? D3DRTYPE_TEXTURE : D3DRTYPE_SURFACE, mode.Format);
        out += r == D3D_OK ? "○ " : r == D3DERR_NOTAVAILABLE ? "× " : r == D3DERR_INVALIDCALL ? "？ " : "－ ";
      }
      out += "\n";
    }
  }
  // The device draws in software: no DirectDraw or 3D acceleration and no AGP.
  AppendFormat(out, "DirectDraw : %s\n", Mark(false));
  AppendFormat(out, "Direct3D : %s\n", Mark(false));
  AppendFormat(out, "AGP : %s\n", Mark(false));
  return out;
}

int ReportDisplayInfo(const DisplayReportSource& source, int bFull) {
  return WriteReport(FormatDisplayInfo(source, bFull));
}

int GetDisplayDdiVersion() { return 9; }

