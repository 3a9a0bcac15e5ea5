#include "script/code_lang.h"

#include <climits>
#include <cstring>
#include <vector>

#include "core/log.h"
#include "core/text.h"
#include "core/rand_range.h"
#include "engine/chara.h"
#include "engine/object.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/save_data.h"
#include "project/stage.h"
#include "script/conditions.h"

int32_t g_bCodeError = 0;

namespace {

enum { TOKEN_CONSTANT = 0, TOKEN_VARIABLE = 1, TOKEN_FIELD = 2, TOKEN_SYSTEM = 3, TOKEN_OPERATOR = 4 };
enum { OP_ASSIGN = 0, OP_ADD = 1, OP_SUB = 2, OP_MUL = 3, OP_DIV = 4, OP_MOD = 5 };
enum { FIELD_HP = 8, FIELD_SP = 9, FIELD_MHP = 10, FIELD_MSP = 11, FIELD_SIGHT = 15 };
enum { SYS_TIME = 0, SYS_SCRLX = 1, SYS_SCRLY = 2, SYS_SCORE = 3, SYS_LIFE = 4 };

const char* const kOperatorName[] = {"=", "+", "-", "*", "/", "%", ""};
const int kOperatorPass[] = {2, 1, 1, 0, 0, 0};
const char* const kObjectName[] = {"my", "tg", "tg1", "tg2", "tg3", "tg4", "pl", "sys", ""};
const char* const kFieldName[] = {"v1",  "v2",    "v3",  "v4",   "v5",  "v6",  "v7",  "v8",
                                  "hp",  "sp",    "mhp", "msp",  "cid", "z",   "mark", "sight",
                                  "power", "imp", "def", "impd", "stop", "getsc", ""};
const char* const kSystemName[] = {"time", "scrlx", "scrly", "score", "life", ""};

int FindName(const char* const* table, const std::string& word) {
  for (int i = 0; table[i][0]; ++i)
    if (word == table[i]) return i;
  return -1;
}

void Fail() { g_bCodeError = 1; }

// The decimal number at the start of text as atoi reads it (leading blanks, one sign, digits
// up to the first other character), held to the int range instead of overflowing.
int ParseInt(const char* p) {
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  long long v = 0;
  for (; *p >= '0' && *p <= '9'; ++p)
    if (v <= 0x80000000LL) v = v * 10 + (*p - '0');
  if (negative) v = -v;
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

int Wrap(long long v) { return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

// The index just past the ")" that closes the "(" at open, or npos.
size_t FindClose(const std::string& s, size_t open) {
  int depth = 0;
  for (size_t i = open; i < s.size(); ++i) {
    if (s[i] == '(') ++depth;
    if (s[i] == ')' && --depth == 0) return i;
  }
  return std::string::npos;
}

cChara* OwnerOf(int object, cChara& chara, bool& missing) {
  missing = false;
  cChara* owner = nullptr;
  if (object == 0) return &chara;
  if (object >= 1 && object <= 5) {
    owner = chara.Target(object == 1 ? 0 : object - 2);
  } else if (object == 6) {
    owner = g_vPlayer.empty() ? nullptr : &g_vPlayer[0];
  } else {
    return nullptr;
  }
  missing = owner == nullptr;
  return owner;
}

void MakeField(cCodeToken& t, int field, cChara& owner) {
  cCharaData& d = owner.m_Data;
  t.m_nTokenKind = TOKEN_FIELD;
  t.m_nField = field;
  t.m_pOwner = &owner;
  t.m_nStorageWidth = 4;
  t.m_nLow = -999999;
  t.m_nHigh = 999999;
  auto set = [&t](void* storage, int width, int value, int low, int high) {
    t.m_pStorage = storage;
    t.m_nStorageWidth = width;
    t.m_nTokenValue = value;
    t.m_nLow = low;
    t.m_nHigh = high;
  };
  if (field < 8) {
    int32_t& v = owner.m_vVar.CheckedAt(field + 1);
    set(&v, 4, v, -999999, 999999);
    return;
  }
  switch (field) {
    case FIELD_HP: set(&owner.m_nHp, 4, owner.m_nHp, 0, d.m_nMaxHp); break;
    case FIELD_SP: set(&owner.m_nSp, 4, owner.m_nSp, 0, d.m_nMaxSp); break;
    case FIELD_MHP: set(&d.m_nMaxHp, 4, d.m_nMaxHp, 1, 999999); break;
    case FIELD_MSP: set(&d.m_nMaxSp, 4, d.m_nMaxSp, 1, 999999); break;
    case 12: set(&d.m_byCharaId, 1, d.m_byCharaId, 0, 99); break;
    case 13: set(&d.m_byZ, 1, d.m_byZ, 0, 7); break;
    case 14: set(&d.m_wMark, 2, d.m_wMark, 0, 119); break;
    case FIELD_SIGHT: set(&d.m_bySight, 1, d.m_bySight, 0, 40); break;
    case 16: set(&d.m_nPower, 4, d.m_nPower, -999999, 999999); break;
    case 17: set(&d.m_cImpact, 1, d.m_cImpact, -20, 20); break;
    case 18: set(&d.m_nDefence, 4, d.m_nDefence, 0, 999999); break;
    case 19: set(&d.m_byImpactResist, 1, d.m_byImpactResist, 0, 20); break;
    case 20: set(&d.m_sStop, 2, d.m_sStop, 0, 200); break;
    default: set(&d.m_nScore, 4, d.m_nScore, -999999, 999999); break;
  }
}

void MakeSystem(cCodeToken& t, int index, cPlayScene& scene) {
  t.m_nTokenKind = TOKEN_SYSTEM;
  t.m_nSystem = index;
  t.m_nStorageWidth = 4;
  switch (index) {
    case SYS_TIME:
      t.m_pStorage = &scene.m_nTime;
      t.m_nTokenValue = scene.m_bTimeStop ? 999 : scene.m_nTime;
      t.m_nLow = 0;
      t.m_nHigh = 999;
      break;
    case SYS_SCRLX:
    case SYS_SCRLY:
      ReadSystemValue(index, t.m_nTokenValue);
      t.m_nLow = -480;
      t.m_nHigh = 480;
      break;
    case SYS_SCORE:
      t.m_pStorage = &g_SaveData.m_nTotalScore;
      t.m_nTokenValue = g_SaveData.m_nTotalScore;
      t.m_nLow = 0;
      t.m_nHigh = 999999;
      break;
    default: {
      bool unlimited = g_SaveData.m_nLives == UNLIMITED_LIVES;
      t.m_pStorage = &g_SaveData.m_nLives;
      t.m_nTokenValue = unlimited ? 0 : g_SaveData.m_nLives;
      t.m_nLow = unlimited ? UNLIMITED_LIVES : 0;
      t.m_nHigh = unlimited ? UNLIMITED_LIVES : 99;
      break;
    }
  }
}

void Store(const cCodeToken& t, int w) {
  if (!t.m_pStorage) return;
  if (t.m_nStorageWidth == 1) {
    uint8_t b = static_cast<uint8_t>(w);
    std::memcpy(t.m_pStorage, &b, 1);
  } else if (t.m_nStorageWidth == 2) {
    uint16_t h = static_cast<uint16_t>(w);
    std::memcpy(t.m_pStorage, &h, 2);
  } else {
    int32_t v = w;
    std::memcpy(t.m_pStorage, &v, 4);
  }
}

// The effects of an assignment beyond the stored value.
void AfterAssign(const cCodeToken& t, cChara& running) {
  cChara* owner = t.m_pOwner;
  cPlayScene* scene = g_lpPlayScene;
  if (t.m_nTokenKind == TOKEN_FIELD && owner) {
    if (t.m_nField == FIELD_MHP) ClampInt(owner->m_nHp, 1, owner->m_Data.m_nMaxHp);
    if (t.m_nField == FIELD_MSP) ClampInt(owner->m_nSp, 1, owner->m_Data.m_nMaxSp);
    if ((t.m_nField == FIELD_HP || t.m_nField == FIELD_MHP) && owner != &running && owner->m_nHp < 1 && scene)
      scene->m_bCheckHp = 1;
    if (t.m_nField == FIELD_SIGHT && !g_vPlayer.empty() && owner == &g_vPlayer[0])
      g_vPlayer[0].UpdateSight();
  }
  if (t.m_nTokenKind == TOKEN_SYSTEM && scene) {
    if (t.m_nSystem == SYS_SCRLX) scene->m_ScrollX.SetAutoSpeed(g_StageData.m_nScrollModeX, t.m_nTokenValue);
    if (t.m_nSystem == SYS_SCRLY) scene->m_ScrollY.SetAutoSpeed(g_StageData.m_nScrollModeY, t.m_nTokenValue);
  }
}

// One operator applied to its neighbours; false after an error.
bool Reduce(int op, const cCodeToken& left, const cCodeToken& right, const std::string& statement,
            cChara& running, int& w) {
  long long a = left.m_nTokenValue;
  long long b = right.m_nTokenValue;
  switch (op) {
    case OP_ADD: w = Wrap(a + b); return true;
    case OP_SUB: w = Wrap(a - b); return true;
    case OP_MUL: w = Wrap(a * b); return true;
    case OP_DIV:
    case OP_MOD:
      // INT_MIN / -1 has no int result either: it is refused like a division by zero.
      if (b == 0 || (a == INT_MIN && b == -1)) {
        ErrorBoxF("0除算が行われました！(%s)", statement.c_str());
        Fail();
        return false;
      }
      w = static_cast<int>(op == OP_DIV ? a / b : a % b);
      return true;
    default: {
      if (left.m_nTokenKind == TOKEN_CONSTANT || left.m_nTokenKind == TOKEN_OPERATOR) {
        ErrorBox("代入先が不正です！");
        Fail();
        return false;
      }
      int v = right.m_nTokenValue;
      ClampInt(v, left.m_nLow, left.m_nHigh);
      w = v;
      Store(left, w);
      cCodeToken assigned = left;
      assigned.m_nTokenValue = w;
      AfterAssign(assigned, running);
      return true;
    }
  }
}

}  // namespace

void cCodeToken::Init(int value, void* storage, int kind) {
  m_nTokenKind = kind;
  m_nTokenValue = value;
  m_pStorage = storage;
  m_nStorageWidth = 4;
  m_nLow = -999999;
  m_nHigh = 999999;
  m_pOwner = nullptr;
}

void ClampInt(int& value, int low, int high) {
  if (value < low) value = low;
  if (value > high) value = high;
}

int ExecCode(const std::string& text, cChara& chara) {
  g_bCodeError = 0;
  int hp = chara.m_nHp;
  int sp = chara.m_nSp;
  EvalCodeText(text, chara);
  if (g_bCodeError) return 0;
  if (chara.m_nHp != hp) chara.StartGaugeAnim(chara.m_nHp - hp);
  if (chara.m_nSp != sp) chara.StartSpGaugeAnim(chara.m_nSp - sp);
  return 1;
}

int EvalCodeText(const std::string& text, cChara& chara) {
  std::string s = text;
  size_t w = 0;
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (c == ' ') {
      w = ++i;
      continue;
    }
    if (c != '(') {
      ++i;
      continue;
    }
    size_t close = FindClose(s, i);
    if (close == std::string::npos) {
      ErrorBox("\")\"が見つかりません！");
      Fail();
      return 0;
    }
    std::string head = s.substr(0, w);
    std::string tail = s.substr(close + 1);
    int value = 0;
    if (i == w) {
      value = EvalCodeText(s.substr(i + 1, close - i - 1), chara);
    } else {
      std::string name = s.substr(w, i - w);
      if (name != "rand") {
        ++i;
        continue;
      }
      // The arguments: split at the commas outside nested parentheses.
      std::vector<int> args;
      size_t start = i + 1;
      int depth = 0;
      for (size_t k = i + 1; k <= close; ++k) {
        if (s[k] == '(') ++depth;
        if (s[k] == ')' && k < close) --depth;
        if ((s[k] == ',' && depth == 0) || k == close) {
          if (k > start) args.push_back(EvalCodeText(s.substr(start, k - start), chara));
          start = k + 1;
        }
      }
      if (args.size() != 2) {
        ErrorBoxF("関数 %s の引数が不正です！", name.c_str());
        Fail();
        return 0;
      }
      value = RandRange(args[0] < args[1] ? args[0] : args[1], args[0] < args[1] ? args[1] : args[0]);
    }
    FormatString(s, "%s%d%s", head.c_str(), value, tail.c_str());
    i = w;
  }
  return EvalCodeStatement(s, chara);
}

int EvalCodeStatement(const std::string& statement, cChara& chara) {
  std::vector<cCodeToken> tokens;
  std::string word;
  int object = 0;
  cPlayScene* scene = g_lpPlayScene;

  // Completes the pending word into a token; false when the statement ends.
  auto complete = [&]() -> bool {
    if (word.empty()) return true;
    cCodeToken t;
    int op = FindName(kOperatorName, word);
    if (op >= 0) {
      t.Init(op, nullptr, TOKEN_OPERATOR);
      t.m_nField = op;
    } else {
      bool missing = false;
      cChara* owner = OwnerOf(object, chara, missing);
      if (missing) {
        Fail();
        return false;
      }
      int field = FindName(kFieldName, word);
      int system = FindName(kSystemName, word);
      if ((word[0] == 'C' || word[0] == 'S') && (word[0] == 'C' || scene)) {
        cSafeVector<int32_t>& bank = word[0] == 'C' ? g_SaveData.m_vCommonVar : scene->m_vStageVar;
        int32_t& v = bank.CheckedAt(ParseInt(word.c_str() + 1));
        t.Init(v, &v, TOKEN_VARIABLE);
      } else if (field >= 0) {
        if (!owner) {
          ErrorBox("オブジェクトの設定エラー!");
          Fail();
          return false;
        }
        MakeField(t, field, *owner);
      } else if (system >= 0 && scene) {
        MakeSystem(t, system, *scene);
      } else {
        t.Init(ParseInt(word.c_str()), nullptr, TOKEN_CONSTANT);
      }
    }
    tokens.push_back(t);
    word.clear();
    object = 0;
    return true;
  };

  for (size_t i = 0; i <= statement.size(); ++i) {
    char c = i < statement.size() ? statement[i] : ' ';
    if (c == '.') {
      int found = FindName(kObjectName, word);
      if (found < 0) {
        // An unknown prefix is reported wherever it stands, so that a misspelt object never
        // silently reads or writes the running character.
        ErrorBoxF("オブジェクト \"%s.\" が認識できません！", word.c_str());
        Fail();
        return 0;
      }
      object = found;
      word.clear();
      continue;
    }
    if (c == ' ') {
      if (!complete()) return 0;
      continue;
    }
    word += c;
  }

  int result = tokens.empty() ? 0 : tokens.back().m_nTokenValue;
  for (int pass = 0; pass < 3; ++pass) {
    for (;;) {
      size_t k = 0;
      while (k < tokens.size() &&
             !(tokens[k].m_nTokenKind == TOKEN_OPERATOR && kOperatorPass[tokens[k].m_nField] == pass))
        ++k;
      if (k == tokens.size()) break;
      // An operator needs a value on each side.
      if (k == 0 || k + 1 == tokens.size() || tokens[k - 1].m_nTokenKind == TOKEN_OPERATOR ||
          tokens[k + 1].m_nTokenKind == TOKEN_OPERATOR) {
        ErrorBox("演算子のエラー（未定義？）");
        Fail();
        return 0;
      }
      int w = 0;
      if (!Reduce(tokens[k].m_nField, tokens[k - 1], tokens[k + 1], statement, chara, w)) return 0;
      cCodeToken t;
      t.Init(w, nullptr, TOKEN_CONSTANT);
      tokens[k - 1] = t;
      tokens.erase(tokens.begin() + static_cast<long>(k), tokens.begin() + static_cast<long>(k) + 2);
      result = w;
    }
  }
  return result;
}
