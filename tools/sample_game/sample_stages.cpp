// The stages of the sample game, drawn as rows of characters: one character per cell.
//   #  ground (grass where nothing solid lies above)   B brick   S stone   K castle wall
//   ^  spikes   J spring   =  bridge   c  cloud
//   o  coin   +  heart   k  key   g  gem
//   H  hero   w  walker   j  jumper   t  shooter   X  boss   i  sign   G  goal flag
//   C  crate (a block that breaks and leaves a coin)
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "project/stage_records.h"
#include "sample_game.h"

namespace sample {

namespace {

struct StageLayout {
  std::vector<std::string> rows;
  const char* sign;
  const char* background;
  int bgm;
  int timeLimit;  // seconds; 0 none
};

// Stage 1: a meadow that scrolls to the right, with walkers, a jumper, springs, spiked pits
// and a goal flag.
const StageLayout kMeadow = {
    {
        "",
        "",
        "",
        "",
        "",
        "                              ooo              o o",
        "                             =====             ===",
        "                                                    +",
        "               o o                     oo",
        "              =====      o            BBBBBB                  ooo",
        "                        ===                                  =====",
        "",
        " H  i      w              w                 w       j             w   o o o  G",
        "############J######  ############   #####################J  ####################",
        "###################^^############^^^######################^^####################",
    },
    "Z jumps, X shoots.\nRun right to the flag!",
    "bmp\\back\\Meadow.bmp",
    BGM_FIELD,
    0,
};

// Stage 2: a brick cave with jumpers, shooters, crates to break and spikes.
const StageLayout kCave = {
    {
        "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",
        "B                                                                          B",
        "B                                                                          B",
        "B                        o o o                         +                   B",
        "B                       BBBBBBB                       BBB      g           B",
        "B                                       t                     BBBB         B",
        "B               t                     BBBBB                                B",
        "B             BBBBB                        oo                              B",
        "B                                         BBBB                  t          B",
        "B         o                 ooo                               BBBBB        B",
        "B        BBBB              BBBBB    C                                      B",
        "B               CC                  C                   C                  B",
        "B H  i     w    CC           j      C   w       j       C          w   C G B",
        "SSSSSSSSSSSSSSSSSSSSSS^^^SSSSSSSSSSSSSSSSSSSSSSSSS^^^SSSSSSSSSSSSSSSSSSSSSSS",
        "SSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSS",
    },
    "Shoot the crates open.\nMind the spikes!",
    "bmp\\back\\Cave.bmp",
    BGM_CAVE,
    300,
};

// Stage 3: clouds in the sky, with nothing below them; the key at the far end ends the stage.
// The gaps between the low clouds are three cells, one jump; the high clouds, with the gem, coins
// and a heart, are reached from the springs and lie above the height of a plain jump.
const StageLayout kSky = {
    {
        "",
        "",
        "",
        "            g                                   o o +",
        "          cccccc                               cccccc",
        "",
        "",
        "",
        "                 o        o        o                  o        o        o",
        "",
        " H i                 w        j         t                 w         t        k",
        "ccccccJ   cccccc   cccccc   cccccc   ccccccJ   cccccc   cccccc   cccccc   cccccc",
        "",
        "",
        "",
    },
    "Don't fall off the clouds!\nThe key at the end clears.",
    "bmp\\back\\Sky.bmp",
    BGM_SKY,
    240,
};

// Stage 4: the castle hall of the boss; defeating it clears the game.
const StageLayout kCastle = {
    {
        "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK",
        "K                            K",
        "K                            K",
        "K                            K",
        "K                            K",
        "K       KKK          KKK     K",
        "K                            K",
        "K                            K",
        "K   +                     +  K",
        "K  KKK    KKKKKKKKKKKK   KKK K",
        "K i                          K",
        "K H                     X    K",
        "K                            K",
        "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK",
        "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKK",
    },
    "Garm guards the castle.\nShoot it down!",
    "bmp\\back\\Castle.bmp",
    BGM_BOSS,
    180,
};

const StageLayout* const kLayouts[] = {&kMeadow, &kCave, &kSky, &kCastle};

bool Solid(const std::vector<std::string>& rows, int x, int y) {
  if (y < 0 || y >= static_cast<int>(rows.size())) return false;
  const std::string& r = rows[static_cast<size_t>(y)];
  if (x < 0 || x >= static_cast<int>(r.size())) return false;
  const char c = r[static_cast<size_t>(x)];
  return c == '#' || c == 'J';
}

}  // namespace

// Each stage is a series of its own named as the challenge mode's stage select names its stages
// ("data\stg4\c<two digits>-1.stg4"); the world map leads from one to the next.
const std::vector<StageInfo>& Stages() {
  static const std::vector<StageInfo> stages = {
      {"Green Meadow", "c01-1"},
      {"Brick Cave", "c02-1"},
      {"Sky Garden", "c03-1"},
      {"Garm's Castle", "c04-1"},
  };
  return stages;
}

cStage BuildStage(size_t n) {
  const StageLayout& layout = *kLayouts[n];
  int width = 0;
  for (const std::string& r : layout.rows) width = std::max(width, static_cast<int>(r.size()));
  const int height = static_cast<int>(layout.rows.size());
  cStage stage = fixture::Stage(width, height);
  // The field reaches over the whole map grid: without it everything beyond the first 640 dots
  // of either axis would be outside the field, and the hero would fall out of it at once.
  fixture::EncloseGrid(stage);
  stage.m_nBgm = layout.bgm;
  stage.m_bBgmLoop = 1;
  stage.m_bShowStageBanner = 1;
  stage.m_bTimeLimit = layout.timeLimit > 0 ? 1 : 0;
  if (layout.timeLimit > 0) stage.m_nTimeLimit = layout.timeLimit;
  stage.m_strText = Stages()[n].title;

  cBgData& bg = stage.m_vBg.CheckedAt(0);
  bg.m_bShow = 1;
  bg.m_bFill = 0;
  bg.m_strImage = layout.background;
  bg.m_dScrollX = 0.5;
  bg.m_dScrollY = 0;

  // The stage palette: one entry of everything the stage may place.
  const cBlockData grass = fixture::Block(CHIP_GRASS);
  const cBlockData dirt = fixture::Block(CHIP_DIRT);
  const cBlockData brick = fixture::Block(CHIP_BRICK);
  const cBlockData stone = fixture::Block(CHIP_STONE);
  const cBlockData castle = fixture::Block(CHIP_CASTLE);
  const cBlockData spikes = fixture::DeadlyBlock(CHIP_SPIKES);
  cBlockData spring = fixture::Block(CHIP_SPRING);
  // Throws the hero up 16 half-blocks, well above a plain jump: onto the high ledges, or over a
  // pit. Springs lie level with the ground, so walkers cross them as floor.
  spring.m_byEffect = 1;
  spring.m_nEffectX = 16;
  const cBlockData bridge = fixture::Block(CHIP_BRIDGE);
  const cBlockData cloud = fixture::Block(CHIP_CLOUD);
  for (const cBlockData* b : std::initializer_list<const cBlockData*>{&grass, &dirt, &brick, &stone, &castle, &spikes,
                                                                      &spring, &bridge, &cloud})
    stage.m_vBlock.push_back(*b);

  const cItemData coin = CoinDef(), heart = HeartDef(), key = KeyDef(), gem = GemDef(), sign = SignDef(layout.sign),
                  goal = GoalDef();
  for (const cItemData* i : std::initializer_list<const cItemData*>{&coin, &heart, &key, &gem, &sign, &goal})
    stage.m_vItem.push_back(*i);
  // The fanfare, which the boss's defeat summons by its palette entry, comes first.
  const int fanfareIndex = static_cast<int>(stage.m_vChara.size());
  stage.m_vChara.push_back(FanfareDef());
  const cCharaData hero = HeroDef(), walker = WalkerDef(), jumper = JumperDef(), shooter = ShooterDef(),
                   boss = BossDef(fanfareIndex), crate = CrateDef();
  for (const cCharaData* c : std::initializer_list<const cCharaData*>{&hero, &walker, &jumper, &shooter, &boss, &crate})
    stage.m_vChara.push_back(*c);

  for (int y = 0; y < height; ++y) {
    const std::string& row = layout.rows[static_cast<size_t>(y)];
    for (int x = 0; x < static_cast<int>(row.size()); ++x) {
      switch (row[static_cast<size_t>(x)]) {
        case '#': fixture::Place(stage, Solid(layout.rows, x, y - 1) ? dirt : grass, x, y); break;
        case 'B': fixture::Place(stage, brick, x, y); break;
        case 'S': fixture::Place(stage, stone, x, y); break;
        case 'K': fixture::Place(stage, castle, x, y); break;
        case '^': fixture::Place(stage, spikes, x, y); break;
        case 'J': fixture::Place(stage, spring, x, y); break;
        case '=': fixture::Place(stage, bridge, x, y); break;
        case 'c': fixture::Place(stage, cloud, x, y); break;
        case 'o': fixture::Place(stage, coin, x, y); break;
        case '+': fixture::Place(stage, heart, x, y); break;
        case 'k': fixture::Place(stage, key, x, y); break;
        case 'g': fixture::Place(stage, gem, x, y); break;
        case 'H': fixture::Place(stage, hero, x, y); break;
        case 'w': fixture::Place(stage, walker, x, y); break;
        case 'j': fixture::Place(stage, jumper, x, y); break;
        case 't': fixture::Place(stage, shooter, x, y); break;
        case 'X': fixture::Place(stage, boss, x, y); break;
        case 'i': fixture::Place(stage, sign, x, y); break;
        case 'G': fixture::Place(stage, goal, x, y); break;
        case 'C': {
          // The crate carries a coin, which appears when it breaks.
          fixture::Place(stage, coin, x, y);
          const int carried = static_cast<int>(stage.m_vPlacedItem.size()) - 1;
          fixture::Place(stage, crate, x, y, carried);
          break;
        }
        default: break;
      }
    }
  }
  return stage;
}

}  // namespace sample
