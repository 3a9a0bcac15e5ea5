// Conditions and condition lists: the records, their files and version history, and the two
// arithmetic functions their evaluation uses. The evaluation itself belongs to the scripting
// side (the play scene's condition tests).
#pragma once

#include <cstdint>
#include <cstdio>

#include <boost/shared_ptr.hpp>

#include "core/save_record.h"

// One condition: a tested value (the left operand) compared with another (the right operand).
class cCond : public cSaveRecord {
 public:
  // 0 none, 1 common variable, 2 stage variable, 3 character variable, 4 status, 5 status 2,
  // 6 status 3, 7 distance.
  uint8_t m_byKind = 0;
  // Status kinds: source of the left operand, 0 a status, 1 a variable.
  uint8_t m_byLeftType = 0;
  // Left variable bank: 0 common, 1 stage.
  uint8_t m_byLeftBank = 0;
  // Status kinds: 0 the character itself, 1..4 targets 1..4, 5 the game; distance: 0 player 1,
  // 1..4 targets 1..4.
  uint8_t m_byLeftOwner = 0;
  // Status number (0..14 for a character, 0..4 for the game).
  uint8_t m_byLeftStatus = 0;
  // Variable number of the left operand.
  int16_t m_wIndex = 0;
  // Status kinds: source of the right operand, 0 constant, 1 random, 2 status, 3 variable.
  uint8_t m_byRightType = 0;
  // The constant; distance: the limit in half blocks.
  int32_t m_nValue = 0;
  int32_t m_nRandMin = 0;
  int32_t m_nRandMax = 0;
  uint8_t m_byRightOwner = 0;
  uint8_t m_byRightStatus = 0;
  uint8_t m_byRightBank = 0;
  // Right variable number; distance: dots added to the limit.
  int16_t m_wRightIndex = 0;
  // Comparison operator 0..7 (CompareByOp); distance: 0 within, 1 outside.
  uint8_t m_byOp = 0;
  // Status kinds: the right operand is a percentage.
  uint8_t m_bPercent = 0;
  // Distance: how it is measured, 0..6.
  uint8_t m_byDistMode = 0;

  cCond() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
  void Load(FILE* fp) override;
  // Validation of one condition: it changes nothing; the evaluation tests its own indexes.
  void Validate() {}

 private:
  // Files older than 110 hold two 2-byte values here that are read and dropped.
  int16_t m_asOldScratch[2] = {};
};

// Reads a uint32 count and that many condition bodies; the list is emptied and refilled.
void LoadCondList(cSafeVector<cCond>& list, FILE* fp);
// Writes the uint32 count and each condition's body.
void SaveCondList(cSafeVector<cCond>& list, FILE* fp);
// Resizes the destination to the source's count and copies each condition.
void AssignCondList(cSafeVector<cCond>& dst, const cSafeVector<cCond>& src);

// A condition list that a command owns: a rule and the conditions.
class cCondList : public cSaveRecord {
 public:
  // 0 all conditions must hold (an empty list holds), 1 at least one must hold.
  uint8_t m_byRule = 0;
  // Carried through load, save and copy.
  uint8_t m_byOption = 0;
  cSafeVector<cCond> m_vCond;

  cCondList() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;
};

// A new condition list, registered and cleared, in shared ownership.
boost::shared_ptr<cCondList> CreateCondList();

// 1 when a and b compare as the operator says: 0 =, 1 ≠, 2 ≥, 3 ≤, 4 >, 5 <, 6 divisible
// (b = 0 or |a| mod b = 0), 7 not divisible; any other operator gives 0.
int CompareByOp(int32_t a, int32_t b, int op);
// a × b / 100, halves rounded away from zero.
int PercentOf(int32_t a, int32_t b);
