#include "platform/font_match.h"

#include <fontconfig/fontconfig.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>


namespace gfx {
namespace {

std::atomic<void (*)(const char*)> g_reportHook{nullptr};

void Report(const std::string& line) {
  if (auto hook = g_reportHook.load()) hook(line.c_str());
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

bool ContainsAny(const std::string& s, std::initializer_list<const char*> parts) {
  for (const char* p : parts) {
    if (Contains(s, p)) return true;
  }
  return false;
}

// Characters of kana, kanji and full-width forms that a Japanese face must have.
bool CoversJapanese(FcPattern* font) {
  FcCharSet* set = nullptr;
  if (FcPatternGetCharSet(font, FC_CHARSET, 0, &set) != FcResultMatch || !set) return false;
  for (FcChar32 c : {0x3042u, 0x30A2u, 0x6F22u, 0x5B57u, 0xFF10u, 0x3001u}) {
    if (!FcCharSetHasChar(set, c)) return false;
  }
  return true;
}

// Asks fontconfig for a family with the Japanese language; true when the match is that family
// and covers Japanese.
bool FindFamily(const char* family, FontFileRef* out) {
  static std::once_flag init;
  std::call_once(init, [] {
    FcInit();
    // The configuration lives until the process ends; freed then so that nothing is left over.
    std::atexit(FcFini);
  });
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcLangSet* langs = FcLangSetCreate();
  FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddLangSet(pat, FC_LANG, langs);
  FcLangSetDestroy(langs);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* font = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  bool ok = false;
  if (font) {
    FcChar8* file = nullptr;
    FcChar8* fam = nullptr;
    int index = 0;
    bool sameFamily = false;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &fam) == FcResultMatch; ++i) {
      if (FcStrCmpIgnoreCase(fam, reinterpret_cast<const FcChar8*>(family)) == 0) sameFamily = true;
    }
    if (sameFamily && CoversJapanese(font) && FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(font, FC_INDEX, 0, &index);
      out->path = reinterpret_cast<const char*>(file);
      out->index = index;
      out->family = family;
      ok = true;
    }
    FcPatternDestroy(font);
  }
  return ok;
}

}  // namespace

FaceKind ClassifyFaceName(const char* face) {
  // Compared as Shift-JIS: the literals are compiled to it too.
  const std::string name = face ? face : "";
  FaceKind kind;
  const bool gothic = ContainsAny(name, {"ゴシック", "ｺﾞｼｯｸ", "Gothic", "Sans", "Gulim", "Dotum", "SimHei"});
  kind.mincho = !gothic && ContainsAny(name, {"明朝", "Mincho", "Times", "Roman", "Serif", "Century", "Garamond",
                                              "Georgia", "Book", "Palatino", "Batang", "Gungsuh", "SimSun",
                                              "MingLiU", "教科書", "楷書", "行書"});
  // Japanese faces are fixed-pitch unless their name marks them proportional (Ｐ, P, S or UI).
  const bool msFixed = name.rfind("ＭＳ ", 0) == 0 && !Contains(name, "Ｐ");
  const bool hgFixed = name.rfind("HG", 0) == 0 && name.size() > 2 && name[2] != 'P' && name[2] != 'S';
  kind.fixedPitch = msFixed || hgFixed ||
                    ContainsAny(name, {"Courier", "Console", "Terminal", "FixedSys", "Che", "NSimSun", "OCRB"}) ||
                    (name.rfind("MingLiU", 0) == 0);
  return kind;
}

const char* FamilyOfKind(const FaceKind& kind) {
  if (kind.mincho) return kind.fixedPitch ? "IPAMincho" : "IPAPMincho";
  return kind.fixedPitch ? "IPAGothic" : "IPAPGothic";
}

bool MatchFontFace(const char* face, FontFileRef* out) {
  const FaceKind kind = ClassifyFaceName(face);
  return MatchFontFamily(face, FamilyOfKind(kind), kind.fixedPitch, out);
}

bool MatchFontFamily(const char* face, const char* family, bool fixedPitch, FontFileRef* out) {
  static std::mutex mutex;
  static std::map<std::string, FontFileRef> known;
  const std::string key = face ? face : "";
  std::lock_guard<std::mutex> lock(mutex);
  auto it = known.find(key);
  if (it != known.end()) {
    *out = it->second;
    return !out->path.empty();
  }
  FontFileRef ref;
  if (!FindFamily(family, &ref)) {
    const char* gothic = FamilyOfKind(FaceKind{false, fixedPitch});
    if (FindFamily(gothic, &ref)) {
      Report("Font face \"" + key + "\": " + family + " not found; " + gothic + " used");
    } else {
      Report("Font face \"" + key + "\": no Japanese font (" + family + ", " + gothic + ") found; text is not drawn");
      ref = FontFileRef{};
    }
  }
  known[key] = ref;
  *out = ref;
  return !ref.path.empty();
}

void SetFontReportHook(void (*hook)(const char* line)) { g_reportHook.store(hook); }

}  // namespace gfx
