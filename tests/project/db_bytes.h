// Record bodies of the game database built by hand, in the layouts the files hold.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/bytes.h"

// A record body of int32 fields and strings.
inline std::string Body(const std::vector<int32_t>& fields, const std::vector<std::string>& strings) {
  ByteWriter w;
  w.I32(static_cast<int32_t>(fields.size()));
  for (int32_t v : fields) w.I32(v);
  w.I32(static_cast<int32_t>(strings.size()));
  for (const std::string& s : strings) w.Str(s);
  return w.str();
}

// A uint32 count and the bodies.
inline std::string List(const std::vector<std::string>& bodies) {
  ByteWriter w;
  w.U32(static_cast<uint32_t>(bodies.size()));
  for (const std::string& b : bodies) w.Bytes(b);
  return w.str();
}

// An animation of data version 55 or later with the default carried values; frames are
// {pattern, time, flag}.
inline std::string AnimeBody(const std::string& name, const std::vector<std::vector<int32_t>>& frames) {
  std::vector<std::string> bodies;
  for (const std::vector<int32_t>& f : frames) bodies.push_back(Body(f, {}));
  return ByteWriter().I32(3).U16(0).U8(1).U16(0).I32(1).Str(name).Bytes(List(bodies)).str();
}

// A database file: the data version, the count, the bodies.
inline std::string DatabaseFile(int version, const std::vector<std::string>& bodies) {
  return ByteWriter().I32(version).Bytes(List(bodies)).str();
}

// A character-effect or screen-effect record: two field entries, the kind and the five
// parameters as one entry.
inline std::string KindBody(int32_t kind, const std::vector<int32_t>& params, const std::string& name) {
  ByteWriter w;
  w.I32(2).I32(kind);
  for (int32_t p : params) w.I32(p);
  return w.I32(1).Str(name).str();
}
