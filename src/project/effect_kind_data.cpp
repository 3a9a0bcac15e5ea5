#include "project/effect_kind_data.h"

#include "core/log.h"

const char* const g_lpszCharaEffectKindName[CHARA_EFFECT_KIND_MAX] = {
    "破裂", "分割（横）", "分割（縦）", "波（横）", "波（縦）", "点滅", "回転A", "回転B",
    "回転（奥）", "円", "拡大", "レンズ", "色変化", "半透明", "モザイク", "ぼかし",
};

const char* const g_lpszScrEffectKindName[SCR_EFFECT_KIND_MAX] = {
    "移動", "振動（横）", "振動（縦）", "分割（横）", "分割（縦）", "波（横）", "波（縦）",
    "点滅", "回転", "円", "拡大", "レンズ", "モザイク",
};

void cEffectKindData::RegisterFields(int) {
  AddField(&m_nKind);
  AddField(m_nParam, 5);
  AddStringField(&m_strName);
}

void cEffectKindData::CheckKind(int nMax, const char* lpszRecord) {
  if (m_nKind >= 0 && m_nKind <= nMax) return;
  ReportLog("%s: kind %d is out of range and was set to 0", lpszRecord, m_nKind);
  m_nKind = 0;
}

void cCharaEffectData::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  if (g_nFileVersion <= 510) {
    if (m_nKind == 4 || m_nKind == 5) m_nParam[4] = 2;
    if (m_nKind == 10) m_nParam[3] = 2;
  }
  CheckKind(CHARA_EFFECT_KIND_MAX, "CharaEffect");
}

void cScrEffectData::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  if (g_nFileVersion <= 510) {
    if (m_nKind == 6) m_nParam[4] = 8;
    if (m_nKind == 7) m_nParam[4] = 10;
    if (m_nKind == 10) m_nParam[3] = 8;
  }
  CheckKind(SCR_EFFECT_KIND_MAX, "ScrEffect");
}
