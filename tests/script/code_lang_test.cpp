// The code language: precedence and passes, the blank rules of words, groups and rand calls,
// every error with its exact box text (answered through the message-box hook), the clamped
// and width-cut assignments of character fields and system values and their side effects.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fixture/fixture.h"
#include "platform/msgbox.h"
#include "script/code_lang.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

class CodeLang : public ::testing::Test {
 protected:
  CodeLang() : w(1, {}), me(w.chara), other(w.world.AddChara(fixture::Chara(2), 5, 5)) {
    SetMessageBoxHook([this](const char* text, const char*, UINT) {
      boxes.push_back(text);
      return IDOK;
    });
    g_SaveData.m_vCommonVar.assign(1001, 0);
    me.m_Data.m_nMaxHp = 10;
    me.m_nHp = 5;
    other.m_Data.m_nMaxHp = 8;
    other.m_nHp = 8;
    me.SetTarget(0, &other);
    me.SetTarget(3, nullptr);
  }
  ~CodeLang() override { SetMessageBoxHook(nullptr); }

  int Run(const std::string& code) { return ExecCode(code, me); }
  int32_t& C(int n) { return g_SaveData.m_vCommonVar[static_cast<size_t>(n)]; }

  ScriptWorld w;
  cStageChara& me;
  cStageChara& other;
  std::vector<std::string> boxes;
};

using Vars = std::vector<std::pair<int, int>>;
const struct {
  const char* code;
  Vars before;
  Vars after;
  const char* error;  // null: no box and success
} kTable[] = {
    {"C1 = 2 + 3 * 4", {}, {{1, 14}}, nullptr},
    {"C1 = (2 + 3) * 4", {}, {{1, 20}}, nullptr},
    {"C1 = 10 - 2 - 3", {}, {{1, 5}}, nullptr},
    {"C1 = 7 / -2", {}, {{1, -3}}, nullptr},
    {"C1 = -7 % 3", {}, {{1, -1}}, nullptr},
    {"C1 = 7 % -3", {}, {{1, 1}}, nullptr},
    {"C1 = C2 + C3 * 2", {{2, 5}, {3, -4}}, {{1, -3}}, nullptr},
    // "%" and "/" reduce in the first pass, before "+" and "-" on either side of them.
    {"C1 = 2 + 7 % 3", {}, {{1, 3}}, nullptr},
    {"C1 = 10 - 7 % 4", {}, {{1, 7}}, nullptr},
    {"C1 = 2 + 9 / 3", {}, {{1, 5}}, nullptr},
    {"C1 = 9 / 3 - 8 % 5 + 1", {}, {{1, 1}}, nullptr},
    {"C1 = 2 * (1 + (4 - 2))", {}, {{1, 6}}, nullptr},
    // Words are split at blanks only.
    {"C1 = 2+3", {}, {{1, 2}}, nullptr},
    {"C2 = C1=5", {{1, 4}}, {{1, 4}, {2, 4}}, nullptr},
    {"C1 = 2 *(1 + 2)", {{1, 9}}, {{1, 2}}, nullptr},
    {"C1 = abc(1)", {{1, 9}}, {{1, 0}}, nullptr},
    {"C1 = x7", {{1, 9}}, {{1, 0}}, nullptr},
    {"C1 = 12ab", {}, {{1, 12}}, nullptr},
    // Assignments clamp to -999999..999999; arithmetic wraps in 32 bits.
    {"C1 = 2147483647 + 1", {}, {{1, -999999}}, nullptr},
    {"C1 = 65536 * 65536 + 3", {}, {{1, 3}}, nullptr},
    {"C1 = 99999999999", {}, {{1, 999999}}, nullptr},
    {"C1 = -99999999999", {}, {{1, -999999}}, nullptr},
    {"S3 = 7", {}, {}, nullptr},
    {"", {{1, 9}}, {{1, 9}}, nullptr},
    // Errors: assignments made before the error stay.
    {"C1 = C2 = 5", {{1, 9}, {2, 3}}, {{1, 3}, {2, 3}}, "代入先が不正です！"},
    {"5 = 3", {}, {}, "代入先が不正です！"},
    {"C1 = 10 / 0", {{1, 9}}, {{1, 9}}, "0除算が行われました！(C1 = 10 / 0)"},
    {"C1 = 10 % 0", {{1, 9}}, {{1, 9}}, "0除算が行われました！(C1 = 10 % 0)"},
    {"C1 = (10 / 0)", {{1, 9}}, {{1, 0}}, "0除算が行われました！(10 / 0)"},
    {"C1 = -2147483648 / -1", {{1, 9}}, {{1, 9}}, "0除算が行われました！(C1 = -2147483648 / -1)"},
    {"C1 = -2147483648 % -1", {{1, 9}}, {{1, 9}}, "0除算が行われました！(C1 = -2147483648 % -1)"},
    {"C1 = 5 +", {{1, 9}}, {{1, 9}}, "演算子のエラー（未定義？）"},
    {"= 5", {}, {}, "演算子のエラー（未定義？）"},
    {"C1 = * 5", {{1, 9}}, {{1, 9}}, "演算子のエラー（未定義？）"},
    {"C1 = (2 + 3", {{1, 9}}, {{1, 9}}, "\")\"が見つかりません！"},
    {"C1 = rand(1)", {{1, 9}}, {{1, 9}}, "関数 rand の引数が不正です！"},
    {"C1 = rand(1, 2, 3)", {{1, 9}}, {{1, 9}}, "関数 rand の引数が不正です！"},
    {"C1 = (rand(1))", {{1, 9}}, {{1, 0}}, "関数 rand の引数が不正です！"},
    {"C1 = xx.v1", {{1, 9}}, {{1, 9}}, "オブジェクト \"xx.\" が認識できません！"},
    {"C1 = 3 + xx.v1", {{1, 9}}, {{1, 9}}, "オブジェクト \"xx.\" が認識できません！"},
    {"C1 = sys.hp", {{1, 9}}, {{1, 9}}, "オブジェクトの設定エラー!"},
};

TEST_F(CodeLang, TableOfTexts) {
  for (const auto& row : kTable) {
    SCOPED_TRACE(row.code);
    g_SaveData.m_vCommonVar.assign(1001, 0);
    for (const auto& [n, v] : row.before) C(n) = v;
    boxes.clear();
    EXPECT_EQ(Run(row.code), row.error ? 0 : 1);
    EXPECT_EQ(g_bCodeError, row.error ? 1 : 0);
    for (const auto& [n, v] : row.after) EXPECT_EQ(C(n), v) << "C" << n;
    if (row.error) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0], row.error);
    } else {
      EXPECT_TRUE(boxes.empty());
    }
  }
  EXPECT_EQ(w.world.scene.m_vStageVar[3], 7);
}

TEST_F(CodeLang, EmptyTargetSlotEndsWithoutBox) {
  C(1) = 9;
  EXPECT_EQ(Run("C1 = tg4.v1"), 0);
  EXPECT_EQ(C(1), 9);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Run("C1 = tg2.v1 + 1"), 0);
  EXPECT_EQ(C(1), 9);
}

TEST_F(CodeLang, RandDrawsBetweenTheSmallerAndLargerArgument) {
  std::srand(1);
  bool seen[7] = {};
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(Run("C1 = rand(6, 1)"), 1);
    ASSERT_GE(C(1), 1);
    ASSERT_LE(C(1), 6);
    seen[C(1)] = true;
  }
  for (int v = 1; v <= 6; ++v) EXPECT_TRUE(seen[v]) << v;
  ASSERT_EQ(Run("C1 = rand((2 + 3), 5) * 10"), 1);
  EXPECT_EQ(C(1), 50);
}

TEST_F(CodeLang, TextsLongerThanTheBuffersAreCut) {
  // The division box: its text is cut to the box's 1023 bytes.
  std::string statement = "C1 = 10 / 0" + std::string(2000, ' ');
  EXPECT_EQ(Run(statement), 0);
  ASSERT_EQ(boxes.size(), 1u);
  std::string full = "0除算が行われました！(" + statement + ")";
  EXPECT_EQ(boxes[0], full.substr(0, 1023));
  // A substituted text is cut at 5119 bytes: the " + 1" beyond it is lost.
  boxes.clear();
  EXPECT_EQ(Run("C1 = (1)" + std::string(6000, ' ') + "+ 1"), 1);
  EXPECT_EQ(C(1), 1);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(CodeLang, CharacterFieldsAreClampedAndCutToTheirWidth) {
  const struct {
    const char* code;
    const char* read;  // a text whose value lands in C1
    int expected;
  } rows[] = {
      {"my.hp = 999999", "C1 = my.hp", 10},
      {"my.hp = -5", "C1 = my.hp", 0},
      {"my.cid = 300", "C1 = my.cid", 99},
      {"my.cid = -1", "C1 = my.cid", 0},
      {"my.z = 8", "C1 = my.z", 7},
      {"my.mark = 120", "C1 = my.mark", 119},
      {"my.sight = 41", "C1 = my.sight", 40},
      {"my.imp = -30", "C1 = my.imp", -20},
      {"my.imp = 21", "C1 = my.imp", 20},
      {"my.impd = 21", "C1 = my.impd", 20},
      {"my.stop = 201", "C1 = my.stop", 200},
      {"my.def = -1", "C1 = my.def", 0},
      {"my.power = -1000000", "C1 = my.power", -999999},
      {"my.getsc = 1000000", "C1 = my.getsc", 999999},
      {"my.msp = 0", "C1 = my.msp", 1},
      {"my.v8 = 3", "C1 = my.v8", 3},
      {"tg.v1 = 4", "C1 = tg1.v1 + my.v1", 4},
      {"pl.v2 = 6", "C1 = pl.v2", 6},
  };
  w.world.AddHero(fixture::Chara(3), 1, 1);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.code);
    EXPECT_EQ(Run(row.code), 1);
    EXPECT_EQ(Run(row.read), 1);
    EXPECT_EQ(C(1), row.expected);
  }
  EXPECT_EQ(me.m_vVar[8], 3);
  EXPECT_EQ(other.m_vVar[1], 4);
  EXPECT_EQ(me.m_vVar[1], 0);
  EXPECT_EQ(w.world.Hero().m_vVar[2], 6);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(CodeLang, HitPointAssignments) {
  // Another character left without hit points asks for the death pass; the running one not.
  EXPECT_EQ(Run("tg.hp = 1"), 1);
  EXPECT_EQ(w.world.scene.m_bCheckHp, 0);
  EXPECT_EQ(Run("tg.hp = 0"), 1);
  EXPECT_EQ(other.m_nHp, 0);
  EXPECT_EQ(w.world.scene.m_bCheckHp, 1);
  w.world.scene.m_bCheckHp = 0;
  EXPECT_EQ(Run("my.hp = 0"), 1);
  EXPECT_EQ(w.world.scene.m_bCheckHp, 0);
  // A new maximum brings HP into 1..maximum.
  EXPECT_EQ(Run("my.mhp = 10"), 1);
  EXPECT_EQ(me.m_nHp, 1);
  me.m_nHp = 10;
  EXPECT_EQ(Run("my.mhp = 4"), 1);
  EXPECT_EQ(me.m_nHp, 4);
  // The running character's HP change starts its gauge; an error skips it.
  me.m_HpGauge = cGauge();
  EXPECT_EQ(Run("my.hp = 2"), 1);
  EXPECT_NE(me.m_HpGauge.nFrames, 0);
  me.m_HpGauge = cGauge();
  EXPECT_EQ(Run("my.hp = (3) C1 = (1 / 0)"), 0);
  EXPECT_EQ(me.m_nHp, 3);
  EXPECT_EQ(me.m_HpGauge.nFrames, 0);
}

TEST_F(CodeLang, SystemValues) {
  cPlayScene& scene = w.world.scene;
  scene.m_nTime = 100;
  scene.m_bTimeStop = 0;
  EXPECT_EQ(Run("sys.time = 5000"), 1);
  EXPECT_EQ(scene.m_nTime, 999);
  EXPECT_EQ(Run("sys.time = -1"), 1);
  EXPECT_EQ(scene.m_nTime, 0);
  g_SaveData.m_nTotalScore = 10;
  EXPECT_EQ(Run("sys.score = sys.score - 20"), 1);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 0);
  EXPECT_EQ(Run("sys.score = 1000000"), 1);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 999999);
  // Lives: 0..99, and unlimited lives read 0 and stay unlimited.
  g_SaveData.m_nLives = 3;
  EXPECT_EQ(Run("sys.life = 100"), 1);
  EXPECT_EQ(g_SaveData.m_nLives, 99);
  g_SaveData.m_nLives = 999999;
  EXPECT_EQ(Run("C1 = sys.life"), 1);
  EXPECT_EQ(C(1), 0);
  EXPECT_EQ(Run("sys.life = 5"), 1);
  EXPECT_EQ(g_SaveData.m_nLives, 999999);
  // Scroll speeds: with the stage's auto-scroll flag on the speed is set (480 at most) and read
  // back; with it off the scroll stays still.
  g_StageData.m_nScrollModeX = 1;
  EXPECT_EQ(Run("sys.scrlx = 600"), 1);
  EXPECT_EQ(scene.m_ScrollX.m_bAuto, 1);
  EXPECT_EQ(Run("C1 = sys.scrlx"), 1);
  EXPECT_EQ(C(1), 480);
  g_StageData.m_nScrollModeY = 0;
  EXPECT_EQ(Run("sys.scrly = -20"), 1);
  EXPECT_EQ(scene.m_ScrollY.m_bAuto, 0);
  EXPECT_EQ(Run("C1 = sys.scrly"), 1);
  EXPECT_EQ(C(1), 0);
}

}  // namespace
