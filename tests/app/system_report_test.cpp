// The report log's machine and display lines.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/d3d9.h"
#include "support/temp_dir.h"
#include "app/system_report.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

TEST(SystemReport, MachineLinesInTheirFormats) {
  SystemFacts f;
  f.osName = "Linux 6.1.0 #1 SMP PID 2 Build 0";
  std::snprintf(f.cpu.szVendor, sizeof f.cpu.szVendor, "GenuineIntel");
  std::snprintf(f.cpu.szBrand, sizeof f.cpu.szBrand, "Some CPU @ 3.00GHz");
  f.cpu.dClock = 2999999999.9;                       // truncated to whole MHz
  f.memTotal = 8192.0 * 1048576.0 + 524288.0;       // 8192.5 MB
  f.memFree = 1.4 * 1048576.0;                       // "%3.f": two blanks and 1
  f.virTotal = 2047.0 * 1048576.0 + 1048.576;        // 2047.001
  f.virFree = 999.6 * 1048576.0;
  f.diskFree = 0x7FFFFFFF;                           // the cap: 2048 MB
  EXPECT_EQ(FormatSystemInfo(f),
            "OS : Linux 6.1.0 #1 SMP PID 2 Build 0\n"
            "CPU : GenuineIntel Some CPU @ 3.00GHz 2999\n"
            "Mem Total : 8192.500MB\n"
            "Mem Free :   1MB\n"
            "Vir Total : 2047.001MB\n"
            "Vir Free : 1000MB\n"
            "HD Free : 2048MB\n");
}

TEST(SystemReport, ReportLogStartsWithTheVersionAndHasEveryMachineLine) {
  CoreTestEnv env;
  const std::string path = env.dir() / "Report_Game.txt";
  ASSERT_EQ(BeginReportLog(path.c_str()), 1);
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  const std::vector<std::string> lines = Lines(text.str());
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "App : ver 790");
  const char* const formats[] = {
      "OS : .* PID 2 Build 0",       "CPU : .* [0-9]+",         "Mem Total : [0-9]+\\.[0-9]{3}MB",
      "Mem Free : +[0-9]+MB",         "Vir Total : [0-9]+\\.[0-9]{3}MB", "Vir Free : +[0-9]+MB",
      "HD Free : +[0-9]+MB",
  };
  for (size_t i = 0; i < 7; ++i) EXPECT_TRUE(std::regex_match(lines[i + 1], std::regex(formats[i]))) << lines[i + 1];
}

TEST(SystemReport, DiskFreeIsCappedAndAMissingFolderGivesZero) {
  const int32_t free = GetDiskFreeBytes(nullptr);
  EXPECT_GE(free, 0);
  EXPECT_LE(free, 0x7FFFFFFF);
  EXPECT_EQ(GetDiskFreeBytes("/no/such/folder/here"), 0);
}

TEST(SystemReport, ClockIsMeasured) {
  // A processor of this century runs above 100 MHz and below 100 GHz.
  const double hz = MeasureCpuClock(20);
  EXPECT_GT(hz, 1e8);
  EXPECT_LT(hz, 1e11);
}

TEST(SystemReport, DisplayLinesUnderDirect3D) {
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  DisplayReportSource source;
  source.windowMode = 0;
  source.bpp = 16;
  source.lpD3D = d3d;
  const std::vector<std::string> lines = Lines(FormatDisplayInfo(source, 1));
  d3d->Release();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Mode : Fullscreen");
  EXPECT_EQ(lines[1], "Bpp : 16");
  int table = 0;
  bool ddi = false, size = false;
  const std::regex row("([A-Z]{2})-SU(○|×|？|－) \\1-TE(○|×|？|－) ");
  for (const std::string& l : lines) {
    table += std::regex_match(l, row) ? 1 : 0;
    ddi = ddi || l == "DDI : 9";
    size = size || std::regex_match(l, std::regex("TextureMaxSize : \\([0-9]+,[0-9]+\\)"));
  }
  EXPECT_EQ(table, 11);
  EXPECT_TRUE(ddi);
  EXPECT_TRUE(size);
  EXPECT_EQ(lines.back(), "AGP : ×");
  EXPECT_EQ(GetDisplayDdiVersion(), 9);  // passes the Direct3D set-up's check (at least 9)
}

TEST(SystemReport, WindowedWithoutDevicesHasTwoLines) {
  DisplayReportSource source;
  EXPECT_EQ(FormatDisplayInfo(source, 1), "Mode : Window\nBpp : 32\n");
  int total = -1, free = -1;
  GetVideoMemoryMB(nullptr, &total, &free);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(free, 0);
}

}  // namespace
