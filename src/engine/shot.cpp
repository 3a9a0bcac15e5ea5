#include "engine/shot.h"

#include <algorithm>

cShot::cShot(const cShot& other) : cObject(other) {
  m_nOwnerId = other.m_nOwnerId;
  m_bShot = other.m_bShot;
  m_Box = other.m_Box;
  m_Shot = other.m_Shot;
  m_bReport = other.m_bReport;
  m_byReportValue = other.m_byReportValue;
}

void cShot::Link(cChara* lpOwner, cChara* lpTarget) {
  Unlink();
  m_lpOwner = lpOwner;
  m_lpTarget = lpTarget;
  if (lpOwner) lpOwner->m_vShotLink.push_back({this, SUMMONER_SLOT});
  if (lpTarget) lpTarget->m_vShotLink.push_back({this, 0});
}

void cShot::Unlink() {
  auto drop = [this](cChara* c) {
    if (!c) return;
    auto& v = c->m_vShotLink;
    v.erase(std::remove_if(v.begin(), v.end(), [this](const cShotLink& l) { return l.lpShot == this; }), v.end());
  };
  drop(m_lpOwner);
  drop(m_lpTarget);
  m_lpOwner = nullptr;
  m_lpTarget = nullptr;
}
