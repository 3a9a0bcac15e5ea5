// One sub-step of the play frame, in its fixed order: appearance, lifetimes, pauses and saved
// positions, scrolls, the block characters, the hero with its deadly tests, the other
// characters, the shots, off-screen removal, the block item and the damage pass, the pick-up.
// A result that ends the frame stops the remaining walks at once; objects taken out of play are
// only marked, and freed by the sweep after the sub-step.
#include <climits>

#include "core/log.h"
#include "core/sound_request.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "project/stage.h"
#include "project/system_data.h"

namespace {

constexpr int SE_DEFEAT = 9;
constexpr int EDGE_REMOVE_X = 4;
constexpr int EDGE_DIES_Y = 7;
constexpr int EDGE_REMOVE_Y = 8;
constexpr int DEADLY = 2;

bool IsCrushed(const cChara& c) {
  return ((c.m_bPressLeft && c.m_bPressRight) || (c.m_bPressTop && c.m_bPressBottom)) && c.m_nModeCountdown == 0;
}

}  // namespace

void cPlayScene::MoveChara(cStageChara& c, int& remove, int& death) {
  if (c.StepX() == EDGE_REMOVE_X) remove = 1;
  if (MoveMapX(c) == DEADLY) death = 1;
  c.ApplyGravity();
  const int y = c.StepY();
  if (y == EDGE_DIES_Y) death = 1;
  if (y == EDGE_REMOVE_Y) remove = 1;
}

int cPlayScene::SubStep(int i) {
  const cStage& st = g_StageData;
  cPlayer& hero = g_vPlayer.CheckedAt(0);
  // Set when a result ends the frame: every walk still running passes its objects by.
  bool end = false;

  m_nSubStep = i;
  ++m_nSubStepCount;
  UpdateAppearance();

  // Lifetimes.
  if (!hero.m_bDead) {
    g_lChara.ForEach([&](cStageChara& c) {
      if (c.m_bDead || c.m_nLife == LIFETIME_UNLIMITED) return;
      if (--c.m_nLife < 0) EraseCharaNode(c);
    });
    g_lItem.ForEach([](cItem& item) {
      if (item.m_nLife == LIFETIME_UNLIMITED) return;
      if (--item.m_nLife < 0) cObjectList<cItem>::Remove(item);
    });
  }

  // Pauses, pressed flags and the position before the move.
  g_lChara.ForEach([](cStageChara& c) {
    c.AgePauses();
    c.ClearPressed();
    c.SavePosition();
  });
  hero.AgePauses();
  hero.ClearPressed();
  hero.SavePosition();
  hero.SaveFacing();
  hero.SaveLastChip();

  m_ScrollX.Advance();
  m_ScrollY.Advance();

  // A defeated character: result 1 erases it, the frame ends on any non-zero result.
  auto defeat = [&](cStageChara& c) {
    PlaySysSe(SE_DEFEAT);
    const int r = DefeatChara(c, g_lChara);
    if (r == 1) EraseCharaNode(c);
    if (r) end = true;
  };
  // The character's Act ended it: a character that a command made vanish (its remove-now
  // flag) is taken out of play without a defeat; otherwise its hit points ran out.
  auto actEnded = [&](cStageChara& c) {
    if (c.m_bRemoveNow) {
      EraseCharaNode(c);
      return;
    }
    const int r = DefeatChara(c, g_lChara);
    if (g_SystemData.m_bOption272) {
      if (r == 1)
        EraseCharaNode(c);
      else
        PlaySysSe(SE_DEFEAT);
    } else {
      EraseCharaNode(c);
    }
    if (r) end = true;
  };

  // The block characters.
  if (!hero.m_bDead) {
    g_lChara.ForEach([&](cStageChara& c) {
      if (end || !c.m_Data.m_bBlockChara || c.m_bDead || !c.m_bActive || !c.m_bInRange) return;
      int remove = 0, death = 0;
      c.FireEvent(TRIGGER_ALWAYS);
      if (c.Act(0)) {
        actEnded(c);
        return;
      }
      if (m_bCheckHp && CheckHp()) {
        end = true;
        return;
      }
      MoveChara(c, remove, death);
      if (MoveMapY(c) == DEADLY || death) {
        defeat(c);
        return;
      }
      if (remove) {
        EraseCharaNode(c);
      } else {
        c.DecayKnockX();
        c.DecayKnockY();
      }
    });
    if (end) return 1;
  }

  // The hero.
  if (!hero.m_bDead) {
    auto dies = [&](const char* line) {
      ErrorLog("%s", line);
      if (KillHero()) end = true;
    };
    auto crushTest = [&](const char* line) {
      if (end || !IsCrushed(hero)) return;
      ErrorLog("Player[P1].LRUD = %d,%d,%d,%d", hero.m_bPressLeft, hero.m_bPressRight, hero.m_bPressTop,
               hero.m_bPressBottom);
      hero.RestorePosition();
      dies(line);
    };
    auto mayDie = [&]() { return !end && !hero.m_bDead && hero.m_nModeCountdown == 0; };

    hero.FireEvent(TRIGGER_ALWAYS);
    if (hero.Act(0) && KillHero()) return 1;
    if (m_nStageResult == 1) {
      EndPlay();
      m_nState = 4;
      return 1;
    }
    if (m_nStageResult == 2 && KillHero()) return 1;
    if (m_bCheckHp && CheckHp()) return 1;
    ApplyBlockEffect(hero);
    if (hero.m_bRiding) CarryRider(hero, g_lChara);
    hero.StepX();
    ScreenEdgeX(hero);
    if (MoveMapX(hero) == DEADLY) dies("Dead 1");
    ScreenEdgeX(hero);
    hero.ApplyGravity();
    if (!end && hero.StepY() == EDGE_DIES_Y) dies("Dead 2");
    if (!end && ScreenEdgeY(hero) == DEADLY) dies("Dead 3");
    if (!end && MoveMapY(hero) == DEADLY) dies("Dead 4");
    if (!end && ScreenEdgeY(hero) == DEADLY) dies("Dead 5");
    crushTest("Dead SP");
    if (!end && ResolveContacts(hero, g_lChara) == DEADLY && mayDie()) dies("Dead 6");
    if (!end && (hero.m_bPressLeft || hero.m_bPressRight) && RetestX(hero) == DEADLY && mayDie()) dies("Dead 7");
    if (!end && (hero.m_bPressTop || hero.m_bPressBottom) && RetestY(hero) == DEADLY && mayDie()) dies("Dead 8");
    crushTest("Dead 9");
    if (end) return 1;
    hero.DecayKnockX();
    hero.DecayKnockY();
  }

  // The other characters.
  if (!hero.m_bDead) {
    g_lChara.ForEach([&](cStageChara& c) {
      if (end || c.m_Data.m_bBlockChara || c.m_bDead || !c.m_bActive || !c.m_bInRange) return;
      int remove = 0, death = 0;
      c.FireEvent(TRIGGER_ALWAYS);
      if (c.Act(0)) {
        actEnded(c);
        return;
      }
      if (m_bCheckHp && CheckHp()) {
        end = true;
        return;
      }
      if (c.m_bRiding) CarryRider(c, g_lChara);
      MoveChara(c, remove, death);
      if (MoveMapY(c) == DEADLY) death = 1;
      if (ResolveContacts(c, g_lChara) == DEADLY) death = 1;
      RetestX(c);
      RetestY(c);
      if ((c.m_bPressTop && c.m_bPressBottom) || (c.m_bShifted && c.m_bRiding) || death) {
        defeat(c);
        return;
      }
      if (remove) {
        EraseCharaNode(c);
      } else {
        c.DecayKnockX();
        c.DecayKnockY();
      }
    });
    if (end) return 1;
  }

  // Shots and swords move even while the hero is dead.
  // On the first sub-step a shot beyond its side's removal range goes (not while the hero is
  // dead); a side without any removal side set keeps its shots.
  auto anySide = [](const cRemovalRule& r) { return r.m_bLeft || r.m_bRight || r.m_bTop || r.m_bBottom; };
  const bool rangeStep = i == 1 && !hero.m_bDead;
  const bool removeHeroShots = rangeStep && anySide(st.m_RuleHeroShot);
  const bool removeCharaShots = rangeStep && anySide(st.m_RuleCharaShot);
  m_lShot.ForEach([&](cShot& s) {
    // A sword is placed beside its owner by its own step.
    if (s.m_bShot ? s.Move() : s.MoveSword()) {
      cObjectList<cShot>::Remove(s);
      return;
    }
    s.ApplyGravity();
    s.StepY();
    s.StepX();
    if ((s.m_nKind == 0 ? removeHeroShots : removeCharaShots) && s.IsOutOfShotRange()) {
      cObjectList<cShot>::Remove(s);
      return;
    }
    if (s.HitMap()) cObjectList<cShot>::Remove(s);
  });

  // Off-screen removal, on the first sub-step of a frame only.
  if (i == 1 && !hero.m_bDead) {
    g_lChara.ForEach([&](cStageChara& c) {
      if (c.m_bDead || !c.m_bActive) return;
      const bool block = c.m_Data.m_bBlockChara != 0;
      if (block ? !m_bRemoveBlockChara : !m_bRemoveChara) return;
      if (c.IsOutOfRange(block ? st.m_RuleBlockChara : st.m_RuleChara)) EraseCharaNode(c);
    });
    if (m_bRemoveItem) {
      g_lItem.ForEach([&](cItem& item) {
        if (item.IsOutOfRange(st.m_RuleItem)) cObjectList<cItem>::Remove(item);
      });
    }
  }

  // 1: end of play; 2: the hero dies. 1 when the frame ends.
  auto outcome = [&](int r) {
    if (r == 1) {
      EndPlay();
      m_nState = 4;
      return 1;
    }
    if (r == 2) return KillHero();
    return 0;
  };
  if (!hero.m_bDead) {
    if (outcome(TakeBlockItem(hero))) return 1;
    if (outcome(StepHits(g_lChara))) return 1;
  }
  if (!hero.m_bDead) {
    if (outcome(PickUpItems(hero))) return 1;
  }
  return 0;
}
