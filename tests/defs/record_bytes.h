// Definition records built by hand in the file layout of a data version, for the loaders'
// tests: movement and shot records, conditions, key conditions, commands, flows, and block,
// character and item entries. Each builder starts from the values of a new record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/bytes.h"

// A movement record in the layout of a data version, with the defaults of a new record.
struct MoveBytes {
  uint8_t goalMode = 0, direction = 0;
  int16_t angle = 0, angleStep = 0;
  uint8_t mirrorAngle = 1, goalX = 1, goalY = 1;
  int16_t goalXBlocks = 0, goalYBlocks = 0, goalXDots = 0, goalYDots = 0;
  uint8_t coordMode = 0, timeFromDistance = 1, noMoveX = 0, noMoveY = 0, mirrorGoalX = 1, mirrorGoalY = 0;
  uint8_t reverseWithFacing = 1, stopAtGoal = 0, keepFacing = 0, timeMode = 0;
  int16_t speed = 10, speedStep = 0, distance = 0, distanceStep = 0;
  uint8_t distanceUnit = 0;
  int16_t radius = 0, radiusStep = 0;
  uint8_t inertia = 0;
  int16_t maxSpeed = 0;
  double brake = 1.0;
  uint8_t timeFromAnime = 0, targetSlot = 0;

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(28 + (v >= 158) + (v >= 159) + 2 * (v >= 162) + (v >= 767));
    w.U8(goalMode).U8(direction).I16(angle).I16(angleStep);
    if (v >= 158) w.U8(mirrorAngle);
    w.U8(goalX).U8(goalY).I16(goalXBlocks).I16(goalYBlocks).I16(goalXDots).I16(goalYDots);
    w.U8(coordMode).U8(timeFromDistance).U8(noMoveX).U8(noMoveY).U8(mirrorGoalX).U8(mirrorGoalY);
    w.U8(reverseWithFacing).U8(stopAtGoal);
    if (v >= 162) w.U8(keepFacing);
    w.U8(timeMode).I16(speed).I16(speedStep).I16(distance).I16(distanceStep);
    if (v >= 159) w.U8(distanceUnit);
    w.I16(radius).I16(radiusStep).U8(inertia).I16(maxSpeed).F64(brake);
    if (v >= 162) w.U8(timeFromAnime);
    if (v >= 767) w.U8(targetSlot);
    w.I32(0);
    return w.str();
  }
};

// A shot record in the layout of a data version, with the defaults of a new record.
struct ShotBytes {
  uint8_t count = 0, formation = 0;
  int16_t formParam[3] = {};
  uint8_t aimOrigin = 0, direction = 0, aim = 0, aimSlot = 0;
  int16_t angle = 0, angleStep = 0;
  uint8_t mirrorAngle = 1;
  int16_t angleRandom = 0;
  uint8_t rotate = 0, volleys = 0;
  int16_t offsetX = 0, offsetXStep = 0, offsetY = 0, offsetYStep = 0;
  uint8_t mirrorOffsetX = 1, mirrorOffsetY = 0;
  int16_t graphic = 0;
  uint8_t optionA = 0, hidden = 0, ownerLayer = 1, layer = 0, optionC = 0, zoom = 1, optionD = 0, trajectory = 0;
  int16_t trajParam[3] = {};
  uint8_t targetSlot = 0, scrollBound = 0;
  int16_t speed = 0, speedStep = 0;
  uint8_t accel = 0;
  int16_t accelValue = 0, accelStep = 0, range = 0;
  uint8_t rangeOn = 0;
  int16_t rangeStep = 0;
  uint8_t stopAtRangeEnd = 0, lifetimeOn = 0;
  int16_t lifetime = 0, lifetimeStep = 0;
  uint8_t passBlocks = 0, passChara = 0, passBlockChara = 0, hitsShots = 0, shotStrength = 0;
  int32_t power = 0;
  int16_t valueE = 0;
  int8_t impact = 0;
  int16_t hitEffect = 0;
  uint8_t itemPalette = 0;
  int16_t item = 0;
  uint8_t summonOption = 0, prevBlockMode = 0, blockSummonMode = 0, summonPalette = 0;
  int16_t summonIndex = 0;
  uint8_t layerMode = 0, summonOptionC = 0, reverseFacing = 0, hitEvent = 0, hitEventId = 0;

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(52 + (v >= 671) + 2 * (v >= 767) + (v >= 158) + (v >= 211) + 3 * (v >= 213) + (v >= 636) + (v >= 197) +
          2 * (v >= 762));
    w.U8(count).U8(formation).I16(formParam[0]).I16(formParam[1]).I16(formParam[2]);
    if (v >= 671) w.U8(aimOrigin);
    w.U8(direction).U8(aim);
    if (v >= 767) w.U8(aimSlot);
    w.I16(angle).I16(angleStep);
    if (v >= 158) w.U8(mirrorAngle);
    w.I16(angleRandom).U8(rotate).U8(volleys).I16(offsetX).I16(offsetXStep).I16(offsetY).I16(offsetYStep);
    w.U8(mirrorOffsetX).U8(mirrorOffsetY).I16(graphic).U8(optionA).U8(hidden).U8(ownerLayer).U8(layer);
    w.U8(optionC).U8(zoom).U8(optionD).U8(trajectory).I16(trajParam[0]).I16(trajParam[1]).I16(trajParam[2]);
    if (v >= 767) w.U8(targetSlot);
    if (v >= 211) w.U8(scrollBound);
    w.I16(speed).I16(speedStep);
    if (v >= 213) w.U8(accel).I16(accelValue).I16(accelStep);
    w.I16(range).U8(rangeOn).I16(rangeStep).U8(stopAtRangeEnd).U8(lifetimeOn).I16(lifetime).I16(lifetimeStep);
    w.U8(passBlocks).U8(passChara);
    if (v >= 636) w.U8(passBlockChara);
    w.U8(hitsShots).U8(shotStrength).I32(power).I16(valueE).I8(impact).I16(hitEffect).U8(itemPalette).I16(item);
    w.U8(summonOption).U8(prevBlockMode);
    if (v >= 197) w.U8(blockSummonMode);
    w.U8(summonPalette).I16(summonIndex).U8(layerMode).U8(summonOptionC).U8(reverseFacing);
    if (v >= 762) w.U8(hitEvent).U8(hitEventId);
    w.I32(0);
    return w.str();
  }
};

// A condition of kind 1 with a value, in the layout of 790.
inline std::string CondBody(int32_t value, uint8_t kind = 1) {
  return ByteWriter().I32(17).U8(kind).I32(value).Zeros(4 + 4 + 4 + 2 + 4 + 2).U8(0).U8(0).U8(0).I32(0).str();
}

// A command's condition list: the rule and option bytes, from 766 the conditions.
inline std::string CondListBody(int v, uint8_t rule, uint8_t option, const std::vector<std::string>& conds = {}) {
  ByteWriter w;
  w.I32(2).U8(rule).U8(option).I32(0);
  if (v >= 766) {
    w.U32(static_cast<uint32_t>(conds.size()));
    for (const std::string& c : conds) w.Bytes(c);
  }
  return w.str();
}

// A key condition: the five fields, then the count and the key-state bytes as stored.
struct KeyListBytes {
  uint8_t followFacing = 0;
  uint16_t minFrames = 0, maxFrames = 0;
  uint8_t anyLength = 0, mode = 0;
  std::vector<uint8_t> states = std::vector<uint8_t>(19, 0);

  std::string Body() const {
    ByteWriter w;
    w.I32(5).U8(followFacing).U16(minFrames).U16(maxFrames).U8(anyLength).U8(mode).I32(0);
    w.U32(static_cast<uint32_t>(states.size()));
    for (uint8_t s : states) w.U8(s);
    return w.str();
  }
};

// A command: the eight fields and the text, the sub-record parts (the condition-list part from
// 764), the nested flows (their bodies) and the parameters.
struct CmdBytes {
  uint8_t selector = 0;
  int8_t kind = 0;
  int16_t time = 0, timePerClone = 0;
  uint8_t zeroTime = 0;
  int16_t sound = 0;
  uint8_t soundOnScreen = 1;
  int16_t anime = 0;
  std::string text;
  std::optional<std::string> move, shot, condList;
  std::vector<std::string> flows;
  std::vector<int32_t> params;

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(8).U8(selector).I8(kind).I16(time).I16(timePerClone).U8(zeroTime).I16(sound).U8(soundOnScreen).I16(anime);
    w.I32(1).Str(text);
    for (const std::optional<std::string>* part : {&move, &shot, &condList}) {
      if (part == &condList && v < 764) continue;
      w.U32(part->has_value() ? 1 : 0);
      if (part->has_value()) w.Bytes(**part);
    }
    w.U32(static_cast<uint32_t>(flows.size()));
    for (const std::string& f : flows) w.Bytes(f);
    w.U32(static_cast<uint32_t>(params.size()));
    for (int32_t p : params) w.I32(p);
    return w.str();
  }
};

// A command holding a new movement, a new shot and an empty condition list of rule 1, all in
// the layout of the version.
inline std::string CmdWithPartsBody(int v) {
  CmdBytes c;
  c.move = MoveBytes().Body(v);
  c.shot = ShotBytes().Body(v);
  c.condList = CondListBody(v, 1, 0);
  return c.Body(v);
}

// A flow: the bytes of the version (partner from 762, partner slot from 767), the name from 676,
// then the condition, key-condition and command bodies.
struct FlowBytes {
  uint8_t id = 0, group = 0, testOnly = 0, condRule = 0, condOnce = 0, trigger = 0, partner = 0, partnerSlot = 0;
  uint8_t keySlack = 3, keyRepeat = 0;
  std::string name;
  std::vector<std::string> conds, keyLists, cmds;

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(8 + (v >= 762) + (v >= 767));
    w.U8(id).U8(group).U8(testOnly).U8(condRule).U8(condOnce).U8(trigger);
    if (v >= 762) w.U8(partner);
    if (v >= 767) w.U8(partnerSlot);
    w.U8(keySlack).U8(keyRepeat);
    if (v >= 676)
      w.I32(1).Str(name);
    else
      w.I32(0);
    for (const std::vector<std::string>* list : {&conds, &keyLists, &cmds}) {
      w.U32(static_cast<uint32_t>(list->size()));
      for (const std::string& b : *list) w.Bytes(b);
    }
    return w.str();
  }
};

// A block entry in the file layout of the record: the registered fields (no version gates),
// the name, the raw head values, the flags and the conditions.
struct BlockBytes {
  uint8_t inheritKind = 0;
  int16_t inheritIndex = 0;
  uint8_t condRule = 0, condOnce = 0;
  uint16_t graphic = 1;
  uint8_t graphicKind = 0;
  uint16_t graphicSub = 0;
  uint8_t z = 0, transparent = 0, showMark = 0;
  uint16_t mark = 0;
  uint8_t hit = 1;
  int8_t exempt = -1;
  uint8_t effect = 0;
  int32_t effectX = 0;
  uint8_t itemKind = 0;
  int16_t itemIndex = 0;
  uint8_t extra = 0;
  std::string name;
  uint16_t headA = 0, headB = 0;
  std::vector<uint8_t> flags = std::vector<uint8_t>(11, 0);
  // Condition bodies, each of a condition of kind 1 with this value.
  std::vector<int32_t> conds;

  std::string Body() const {
    ByteWriter w;
    w.I32(18).U8(inheritKind).I16(inheritIndex).U8(condRule).U8(condOnce).U16(graphic).U8(graphicKind);
    w.U16(graphicSub).U8(z).U8(transparent).U8(showMark).U16(mark).U8(hit).I8(exempt).U8(effect);
    w.I32(effectX).U8(itemKind).I16(itemIndex).U8(extra);
    w.I32(1).Str(name);
    w.U16(headA).U16(headB);
    w.U32(static_cast<uint32_t>(flags.size()));
    for (uint8_t f : flags) w.U8(f);
    w.U32(static_cast<uint32_t>(conds.size()));
    for (int32_t v : conds) w.Bytes(CondBody(v));
    return w.str();
  }
};

// An item entry in the file layout (no version gates): the registered fields, the name, the raw
// head values, the flags, the conditions and the commands.
struct ItemBytes {
  uint8_t inheritKind = 0;
  int16_t inheritIndex = 0;
  uint8_t condRule = 0, condOnce = 0;
  uint16_t attrA = 0, attrB = 0;
  int16_t graphic = 0;
  uint8_t graphicKind = 2;
  uint16_t graphicSub = 0;
  uint8_t z = 6, transparent = 0, showMark = 0;
  int16_t mark = 0;
  uint8_t takePopup = 1, takeRule = 0;
  int8_t zoom = 1;
  int16_t sound = 0;
  std::string name;
  uint16_t headA = 0, headB = 0;
  std::vector<uint8_t> flags = std::vector<uint8_t>(13, 0);
  std::vector<std::string> conds, cmds;

  std::string Body() const {
    ByteWriter w;
    w.I32(17).U8(inheritKind).I16(inheritIndex).U8(condRule).U8(condOnce).U16(attrA).U16(attrB).I16(graphic);
    w.U8(graphicKind).U16(graphicSub).U8(z).U8(transparent).U8(showMark).I16(mark).U8(takePopup).U8(takeRule);
    w.I8(zoom).I16(sound);
    w.I32(1).Str(name).U16(headA).U16(headB);
    w.U32(static_cast<uint32_t>(flags.size()));
    for (uint8_t f : flags) w.U8(f);
    for (const std::vector<std::string>* list : {&conds, &cmds}) {
      w.U32(static_cast<uint32_t>(list->size()));
      for (const std::string& b : *list) w.Bytes(b);
    }
    return w.str();
  }
};

// A character entry in the layout of a data version: the registered fields (defence from 168,
// the effect modes from 196, the contact box from 201, the scroll sync from 210, the
// invincibility option from 285), the name, the three raw head values, the flags, the
// conditions and the flows.
struct CharaBytes {
  uint8_t inheritKind = 0;
  int16_t inheritIndex = 0;
  uint8_t condRule = 0, condOnce = 0, direction = 0, cpuReserved = 0;
  int16_t groupX0 = 0, groupXStep = 0, groupY0 = 0, groupYStep = 0;
  uint8_t groupMirrorX = 0, groupMirrorY = 0;
  uint16_t graphic = 0;
  uint8_t graphicKind = 1;
  uint16_t graphicSub = 0, animeSet = 0;
  uint8_t z = 3, transparent = 0;
  uint16_t appearEffect = 0;
  uint8_t appearEffectMode = 0, appearEffectValue = 1;
  uint16_t deathEffect = 0;
  uint8_t deathEffectMode = 0, showMark = 0;
  uint16_t mark = 0;
  uint8_t control = 1, playerNo = 0, layer = 1, charaId = 0, flying = 0, fixedFacing = 1, invincible = 0;
  uint8_t invincibleOption = 0, blockChara = 0, zoom = 1, scrollSync = 0, sightShape = 0, sight = 0;
  int32_t maxHp = 10, maxSp = 0;
  int16_t stop = 10;
  uint8_t contactBox = 0;
  int32_t power = 0;
  int8_t impact = 0;
  uint16_t hitEffect = 0;
  int32_t defence = 0;
  uint8_t impactResist = 0;
  int32_t score = 0;
  uint8_t boxOption = 1, actGroupOn = 0;
  uint16_t actGroup = 0;
  uint8_t actRange = 0, actRule = 0;
  std::string name;
  uint16_t headA = 0, headB = 0;
  uint32_t headExtra = 0;
  std::vector<uint8_t> flags = std::vector<uint8_t>(37, 0);
  std::vector<std::string> conds, flows;

  static int FieldCount(int v) { return 53 - (v < 168) - 2 * (v < 196) - (v < 201) - (v < 210) - (v < 285); }

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(FieldCount(v)).U8(inheritKind).I16(inheritIndex);
    w.U8(condRule).U8(condOnce).U8(direction).U8(cpuReserved).I16(groupX0).I16(groupXStep).I16(groupY0);
    w.I16(groupYStep).U8(groupMirrorX).U8(groupMirrorY).U16(graphic).U8(graphicKind).U16(graphicSub).U16(animeSet);
    w.U8(z).U8(transparent).U16(appearEffect);
    if (v >= 196) w.U8(appearEffectMode);
    w.U8(appearEffectValue).U16(deathEffect);
    if (v >= 196) w.U8(deathEffectMode);
    w.U8(showMark).U16(mark).U8(control).U8(playerNo).U8(layer).U8(charaId).U8(flying).U8(fixedFacing);
    w.U8(invincible);
    if (v >= 285) w.U8(invincibleOption);
    w.U8(blockChara).U8(zoom);
    if (v >= 210) w.U8(scrollSync);
    w.U8(sightShape).U8(sight).I32(maxHp).I32(maxSp).I16(stop);
    if (v >= 201) w.U8(contactBox);
    w.I32(power).I8(impact).U16(hitEffect);
    if (v >= 168) w.I32(defence);
    w.U8(impactResist).I32(score).U8(boxOption).U8(actGroupOn).U16(actGroup).U8(actRange).U8(actRule);
    w.I32(1).Str(name).U16(headA).U16(headB).U32(headExtra);
    w.U32(static_cast<uint32_t>(flags.size()));
    for (uint8_t f : flags) w.U8(f);
    for (const std::vector<std::string>* list : {&conds, &flows}) {
      w.U32(static_cast<uint32_t>(list->size()));
      for (const std::string& b : *list) w.Bytes(b);
    }
    return w.str();
  }
};
