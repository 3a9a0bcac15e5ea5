// The world map: its file in every data version, the sizes and the cell addressing, the bounds a
// loaded map is brought into, and the node searches.
#include "project/world_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "defs/defs_fixture.h"
#include "fixture/fixture.h"
#include "support/bytes.h"
#include "support/layout_gates.h"

namespace {

// A stage entry in the layout of a data version: ten fields, the clear total from 209, the
// condition from 758, two texts.
struct EntryBytes {
  int32_t kind = 0, icon = 0, clearFlag = 0, manual = 0, replay = 0, afterClear = 0, needFlag = 0;
  int32_t var = 0, varValue = 0, varOp = 0, needClears = 0, cond = 0, condVar = 1, condValue = 0;
  std::string title, file;

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(10 + (v >= 209) + 3 * (v >= 758));
    w.I32(kind).I32(icon).I32(clearFlag).I32(manual).I32(replay).I32(afterClear).I32(needFlag);
    w.I32(var).I32(varValue).I32(varOp);
    if (v >= 209) w.I32(needClears);
    if (v >= 758) w.I32(cond).I32(condVar).I32(condValue);
    return w.I32(2).Str(title).Str(file).str();
  }
};

struct NodeBytes {
  int32_t x = 0, y = 0;
  std::string name;
  std::vector<EntryBytes> entries = {EntryBytes()};

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(2).I32(x).I32(y).I32(1).Str(name).U32(static_cast<uint32_t>(entries.size()));
    for (const EntryBytes& e : entries) w.Bytes(e.Body(v));
    return w.str();
  }
};

// A whole "data\WorldMap.dat"; the cells default to height × pitch zeros.
struct WorldMapBytes {
  int version = 790;
  int32_t width = 20, height = 15, pitch = 32, shift = 5, cursorX = 9, cursorY = 7, back = 16, backImage = 0;
  std::string name = "map", backFile;
  // Terrain i: blocked below 5, chip i, the name.
  std::vector<std::string> terrains = std::vector<std::string>(10, "t");
  std::vector<int32_t> cells = std::vector<int32_t>(480, 0);
  std::vector<NodeBytes> nodes, spares;

  std::string File() const {
    ByteWriter w;
    w.I32(version).I32(8).I32(width).I32(height).I32(pitch).I32(shift).I32(cursorX).I32(cursorY).I32(back);
    w.I32(backImage).I32(2).Str(name).Str(backFile);
    w.U32(static_cast<uint32_t>(terrains.size()));
    for (size_t i = 0; i < terrains.size(); ++i) w.I32(3).I32(0).I32(i < 5).I32(static_cast<int32_t>(i)).I32(2).Str("").Str(terrains[i]);
    w.U32(static_cast<uint32_t>(cells.size()));
    for (int32_t c : cells) w.I32(c);
    for (const std::vector<NodeBytes>* list : {&nodes, &spares}) {
      w.U32(static_cast<uint32_t>(list->size()));
      for (const NodeBytes& n : *list) w.Bytes(n.Body(version));
    }
    return w.str();
  }
};

class WorldMapTest : public DefsTest {
 protected:
  // Loads a file into a map; the result of LoadFile.
  int Load(cWorldMap& map, const std::string& bytes) {
    const std::string path = env.dir() / "WorldMap.dat";
    WriteFileBytes(path, bytes);
    return map.LoadFile(path.c_str());
  }
};

TEST_F(WorldMapTest, SetSizeTakesThePitchFromTheWidth) {
  struct Case {
    int width, height, ok, pitch, shift;
  } cases[] = {
      {1, 1, 1, 1, 0},   {2, 1, 1, 2, 1},  {3, 1, 1, 4, 2},   {17, 3, 1, 32, 5},      {20, 15, 1, 32, 5},
      {32, 2, 1, 32, 5}, {33, 2, 1, 64, 6}, {0, 5, 0, 32, 5}, {5, 0, 0, 32, 5},       {-3, 4, 0, 32, 5},
      {4, -1, 0, 32, 5}, {1 << 22, 1, 1, 1 << 22, 22},         {(1 << 22) + 1, 1, 0, 32, 5}, {2048, 2049, 0, 32, 5},
  };
  for (const Case& c : cases) {
    cWorldMap map;
    EXPECT_EQ(map.SetSize(c.width, c.height), c.ok) << c.width << "x" << c.height;
    EXPECT_EQ(map.m_nPitch, c.pitch) << c.width;
    EXPECT_EQ(map.m_nPitchShift, c.shift) << c.width;
    EXPECT_EQ(map.m_nWidth, c.ok ? c.width : 20) << c.width;
    EXPECT_EQ(map.m_vCell.size(), static_cast<size_t>(map.m_nHeight) * map.m_nPitch) << c.width;
  }
  cWorldMap map;
  ASSERT_EQ(map.SetSize(17, 3), 1);
  EXPECT_EQ(map.m_vCell.size(), 96u);
}

TEST_F(WorldMapTest, ResizingKeepsTheCellsInsideBoth) {
  for (auto [width, height] : {std::pair{40, 20}, std::pair{10, 10}, std::pair{33, 15}}) {
    cWorldMap map;
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 20; ++x) map.Cell(x, y) = x + 100 * y;
    ASSERT_EQ(map.SetSize(width, height), 1);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(map.Cell(x, y), x < 20 && y < 15 ? x + 100 * y : 0) << width << ": " << x << "," << y;
  }
}

// What a loaded map cannot hold is brought onto it: the cursor start, nodes off the map, and the
// cell addressing, which follows from the width whatever pitch, shift and count the file gives.
TEST_F(WorldMapTest, ALoadedMapIsBroughtOntoItsGrid) {
  WorldMapBytes b;
  b.cursorX = 30;
  b.cursorY = 20;
  b.nodes.resize(5);
  const int xy[5][2] = {{3, 4}, {25, 2}, {-1, 3}, {19, 14}, {2, 15}};
  for (int i = 0; i < 5; ++i) {
    b.nodes[i].x = xy[i][0];
    b.nodes[i].y = xy[i][1];
    b.nodes[i].name = std::to_string(i);
  }
  b.spares.resize(1);
  b.spares[0].x = 99;
  b.pitch = 16;
  b.shift = 4;
  b.cells.assign(100, 0);
  b.cells[33] = 7;  // cell (1, 1) with a pitch of 32
  cWorldMap map;
  ASSERT_EQ(Load(map, b.File()), 1);
  EXPECT_EQ(map.m_nCursorX, 19);
  EXPECT_EQ(map.m_nCursorY, 14);
  ASSERT_EQ(map.m_vNode.size(), 2u);
  EXPECT_EQ(map.m_vNode[0].m_strName, "0");
  EXPECT_EQ(map.m_vNode[1].m_strName, "3");
  ASSERT_EQ(map.m_vSpareNode.size(), 1u) << "spare nodes are not checked";
  EXPECT_EQ(map.m_vSpareNode[0].m_nX, 99);
  EXPECT_EQ(map.m_nPitch, 32);
  EXPECT_EQ(map.m_nPitchShift, 5);
  EXPECT_EQ(map.m_vCell.size(), 480u);
  EXPECT_EQ(map.Cell(1, 1), 7);

  b.cursorX = -4;
  b.cursorY = -1;
  ASSERT_EQ(Load(map, b.File()), 1);
  EXPECT_EQ(map.m_nCursorX, 0);
  EXPECT_EQ(map.m_nCursorY, 0);

  // Sizes that address no cells, or more than the map may hold, refuse the file.
  for (auto [width, height] : {std::pair{0, 15}, std::pair{20, -2}, std::pair{1 << 20, 1 << 10}}) {
    b.width = width;
    b.height = height;
    cWorldMap refused;
    refused.m_strName = "before";
    EXPECT_EQ(Load(refused, b.File()), 0) << width << "x" << height;
    EXPECT_EQ(refused.m_nWidth, 20);
    EXPECT_EQ(refused.m_vCell.size(), 480u);
    EXPECT_EQ(refused.m_strName, "ワールド");
  }
}

TEST_F(WorldMapTest, TheFileRoundTripsAndOlderEntriesLoad) {
  cWorldMap map;
  ASSERT_EQ(map.SetSize(3, 2), 1);
  map.m_strName = "map";
  map.Cell(2, 1) = 4;
  map.m_vNode.resize(1);
  map.m_vNode[0].m_nX = 2;
  map.m_vNode[0].m_nY = 1;
  map.m_vNode[0].m_strName = "n";
  cWorldStage& e = map.m_vNode[0].m_vStage[0];
  e.m_nKind = 2, e.m_nIcon = 3, e.m_nClearFlag = 4, e.m_bManualStart = 1, e.m_bReplay = 1, e.m_nAfterClear = 2;
  e.m_nNeedFlag = 5, e.m_nVar = 6, e.m_nVarValue = 7, e.m_nVarOp = 6, e.m_nNeedClears = 800, e.m_bStageCond = 1;
  e.m_nCondVar = 9, e.m_nCondValue = -1, e.m_strTitle = "T", e.m_strStageFile = "s-1.stg4";
  const std::string path = env.dir() / "WorldMap.dat";
  ASSERT_EQ(map.SaveFile(path.c_str()), 1);
  const std::string bytes = ReadFileBytes(path);

  WorldMapBytes b;
  b.width = 3, b.height = 2, b.pitch = 4, b.shift = 2;
  b.cells.assign(8, 0);
  b.cells[6] = 4;
  b.nodes.resize(1);
  b.nodes[0] = NodeBytes{2, 1, "n", {EntryBytes{2, 3, 4, 1, 1, 2, 5, 6, 7, 6, 800, 1, 9, -1, "T", "s-1.stg4"}}};
  b.spares.resize(1);
  b.spares[0].name = "デフォルト";
  for (int i = 0; i < 10; ++i) b.terrains[i] = i < 5 ? "通行不可" : "通行可";
  // The cursor start (9, 7) lies off a 3 x 2 map: it is written as (2, 1).
  b.cursorX = 2;
  b.cursorY = 1;
  const std::string expected = b.File();
  EXPECT_EQ(Hex(bytes), Hex(expected));

  cWorldMap again;
  ASSERT_EQ(again.LoadFile(path.c_str()), 1);
  const std::string path2 = env.dir() / "again.dat";
  ASSERT_EQ(again.SaveFile(path2.c_str()), 1);
  EXPECT_EQ(Hex(ReadFileBytes(path2)), Hex(bytes));

  // Entries of older versions: no clear total before 209, no condition before 758. Every
  // version at which the layout changes, and the version before it.
  const std::vector<int> versions = LayoutGateVersions(
      [](int v) {
        WorldMapBytes old;
        old.version = v;
        old.nodes.resize(1);
        return old.File().substr(4);
      },
      150, DATA_VERSION);
  for (int v : versions) {
    WorldMapBytes old;
    old.version = v;
    old.nodes.resize(1);
    old.nodes[0].entries[0] = EntryBytes{0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 30, 1, 5, 6, "t", "f"};
    cWorldMap m;
    ASSERT_EQ(Load(m, old.File()), 1) << v;
    cWorldStage registered;
    registered.Register(v);
    EXPECT_EQ(registered.GetFieldCount(), StoredFieldCount(old.nodes[0].entries[0].Body(v))) << v;
    const cWorldStage& entry = m.m_vNode[0].m_vStage[0];
    EXPECT_EQ(entry.m_nNeedClears, v >= 209 ? 30 : 0) << v;
    EXPECT_EQ(entry.m_bStageCond, v >= 758 ? 1 : 0) << v;
    EXPECT_EQ(entry.m_nCondVar, v >= 758 ? 5 : 1) << v;
    EXPECT_EQ(entry.m_strStageFile, "f") << v;
  }
  EXPECT_EQ(cWorldStage().m_nCondVar, 1);
}

TEST(WorldMap, TheDefaultMap) {
  cWorldMap map;
  EXPECT_EQ(map.m_strName, "ワールド");
  EXPECT_EQ(map.m_nWidth, 20);
  EXPECT_EQ(map.m_nHeight, 15);
  EXPECT_EQ(map.m_vCell, cSafeVector<int32_t>(480, 0));
  EXPECT_EQ(map.m_nCursorX, 9);
  EXPECT_EQ(map.m_nCursorY, 7);
  EXPECT_EQ(map.m_nBackColor, 16);
  ASSERT_EQ(map.m_vTerrain.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(map.m_vTerrain[i].m_nChip, i);
    EXPECT_EQ(map.m_vTerrain[i].m_bBlocked, i < 5 ? 1 : 0);
  }
  EXPECT_TRUE(map.m_vNode.empty());
  ASSERT_EQ(map.m_vSpareNode.size(), 1u);
  EXPECT_EQ(map.m_vSpareNode[0].m_strName, "デフォルト");
  EXPECT_EQ(map.m_vSpareNode[0].m_vStage.size(), 1u);

  // A map set back to the default keeps nothing of the cells before.
  map.Cell(3, 3) = 5;
  map.SetSize(5, 5);
  map.SetDefault();
  EXPECT_EQ(map.m_vCell, cSafeVector<int32_t>(480, 0));
}

TEST(WorldMap, NodesAndStagesAreFoundInListOrder) {
  cWorldMap map;
  map.m_vNode.resize(3);
  const int xy[3][2] = {{1, 2}, {4, 4}, {1, 2}};
  for (int i = 0; i < 3; ++i) map.m_vNode[i].m_nX = xy[i][0], map.m_vNode[i].m_nY = xy[i][1];
  EXPECT_EQ(map.FindNode(POINT{1, 2}), &map.m_vNode[0]);
  EXPECT_EQ(map.FindNodeAt(4, 4), &map.m_vNode[1]);
  EXPECT_EQ(map.FindNodeAt(2, 1), nullptr);

  auto entry = [](int kind, const char* file, int cond = 0, int var = 1, int value = 0) {
    cWorldStage e;
    e.m_nKind = kind;
    e.m_strStageFile = file;
    e.m_bStageCond = cond;
    e.m_nCondVar = var;
    e.m_nCondValue = value;
    return e;
  };
  map.m_vNode[0].m_vStage = {entry(0, "data\\stg4\\stage01-1.stg4"), entry(1, "data\\stg4\\road.stg4")};
  map.m_vNode[1].m_vStage = {entry(0, "data\\stg4\\stage02.stg4"), entry(0, "data\\stg4\\s3-1x.stg4_001", 1, 4, 2)};
  struct Case {
    const char* name;
    int cond, var, value, found;
  } cases[] = {
      {"data\\stg4\\stage01.", 0, 0, 0, 1},  {"data\\stg4\\stage02.", 0, 0, 0, 1},
      {"data\\stg4\\Stage02.", 0, 0, 0, 0},  {"data\\stg4\\stage01-1.", 0, 0, 0, 0},
      {"data\\stg4\\road.", 0, 0, 0, 0},     {"data\\stg4\\stage02.", 1, 1, 0, 0},
      {"data\\stg4\\s3.", 1, 4, 2, 1},       {"data\\stg4\\s3.", 1, 4, 3, 0},
      {"data\\stg4\\s3.", 0, 0, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(map.HasStageNode(c.name, c.cond, c.var, c.value), c.found) << c.name;
}

}  // namespace
