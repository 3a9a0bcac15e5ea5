// Finds the installed font file for a Windows face name. The face names the system uses are
// Japanese and Latin Windows faces; each is mapped onto a Japanese face of the same kind
// (gothic or mincho, fixed or proportional pitch) and looked up with fontconfig.
#pragma once

#include <string>

namespace gfx {

// The kind of face a Windows face name stands for.
struct FaceKind {
  bool mincho = false;      // serif faces (明朝 and the like); otherwise gothic
  bool fixedPitch = false;  // every character one or two half-width cells
};
// face: Shift-JIS, as stored.
FaceKind ClassifyFaceName(const char* face);

// The fontconfig family asked for a kind: IPAGothic, IPAPGothic, IPAMincho or IPAPMincho.
const char* FamilyOfKind(const FaceKind& kind);

// A font file and the face's index in it (font collections hold several).
struct FontFileRef {
  std::string path;
  int index = 0;
  std::string family;
};

// The font file for a face name. fontconfig is asked for the kind's family with the Japanese
// language, and a match counts only when it is that family and its character set covers
// Japanese; otherwise the gothic face of the same pitch is used, with one report line per face
// name. False (with a report line) when not even that exists. Results are remembered.
bool MatchFontFace(const char* face, FontFileRef* out);
// The same with the family and pitch given: the family when it is installed and covers
// Japanese, otherwise the gothic face of that pitch with the report line.
bool MatchFontFamily(const char* face, const char* family, bool fixedPitch, FontFileRef* out);

// Where the report lines go (the report log, set by the drawing layer).
void SetFontReportHook(void (*hook)(const char* line));

}  // namespace gfx
