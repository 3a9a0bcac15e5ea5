// The small code language of the code command: one line of assignments and arithmetic over
// the common and stage variables, character fields and system values, for example
// "C12 = tg.hp / 2" or "my.v1 = rand(1, 6) * 10". Groups in parentheses and rand calls are
// replaced by their values as text, then the flat statement is split at blanks into tokens and
// reduced by three operator passes (* / %, then + -, then = from the left). Values are 32-bit
// signed ints; errors show an error box and set g_bCodeError.
#pragma once

#include <cstdint>
#include <string>

class cChara;

// One token of a statement: 0 constant, 1 variable, 2 character field, 3 system value,
// 4 operator. Storage is where an assignment writes (null for constants, operators and the
// scroll speeds, which are set through their scroll axis).
struct cCodeToken {
  int32_t m_nTokenKind = 0;
  int32_t m_nTokenValue = 0;
  void* m_pStorage = nullptr;
  int32_t m_nStorageWidth = 4;
  int32_t m_nLow = -999999;
  int32_t m_nHigh = 999999;
  int32_t m_nField = 0;
  int32_t m_nSystem = 0;
  cChara* m_pOwner = nullptr;

  // Width 4, bounds -999999..999999, no owner.
  void Init(int value, void* storage, int kind);
};

// Cleared by ExecCode, set by every error of the language.
extern int32_t g_bCodeError;

// Runs a code text for a character: 1 on success, 0 when an error was reported (assignments
// made before the error stay). HP and SP changes of the character start its gauge animations.
int ExecCode(const std::string& text, cChara& chara);
// Resolves groups and rand calls by substitution, then evaluates the flat statement.
int EvalCodeText(const std::string& text, cChara& chara);
// Tokenises and reduces one flat statement.
int EvalCodeStatement(const std::string& statement, cChara& chara);
void ClampInt(int& value, int low, int high);
