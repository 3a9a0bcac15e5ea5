// Indexes read from files that select an entry of a fixed table or array: they are clamped when
// the record is loaded, so nothing indexes past the table later, and the change is logged.
#pragma once

#include <cstdint>

// The largest direction code: 0 front, 1 back, 2 left, 3 right, 4 front Y, 5 back Y, 6 up,
// 7 down, 8 up-left, 9 down-left, 10 up-right, 11 down-right, 12 the input direction.
constexpr int MAX_DIRECTION_CODE = 12;
// The largest target slot (targets 1..4).
constexpr int MAX_TARGET_SLOT = 3;
// The largest collision layer.
constexpr int MAX_LAYER = 7;
// The largest formation and trajectory numbers of a shot.
constexpr int MAX_FORMATION = 5;
constexpr int MAX_TRAJECTORY = 9;
// The largest flow group (groups a..z are 1..26; 0 none): it indexes a character's group lists.
constexpr int MAX_FLOW_GROUP = 26;
// The largest player number: there is one input record.
constexpr int MAX_PLAYER_NO = 0;
// The enlargement of characters and items: 1 none, 2..10 the side multiplied by that value.
constexpr int MIN_ZOOM = 1;
constexpr int MAX_ZOOM = 10;
// The largest mark number (cells of the mark sheet).
constexpr int MAX_MARK = 119;

// Clamps a stored index to 0..max; a change is written to the report log with the record's and
// the member's names.
void ClampStoredIndex(uint8_t& value, int max, const char* record, const char* member);

// Writes the clamp of a stored value to the report log.
void LogStoredClamp(const char* record, const char* member, int value, int clamped);

// Clamps a stored value of any integer width to min..max; a change is logged as above.
template <class T>
void ClampStoredRange(T& value, int min, int max, const char* record, const char* member) {
  const int v = static_cast<int>(value);
  if (v >= min && v <= max) return;
  const int clamped = v < min ? min : max;
  LogStoredClamp(record, member, v, clamped);
  value = static_cast<T>(clamped);
}
