#include "draw/effect_pixels.h"

#include <algorithm>

bool BeginEffectQuad(DDSURFACEDATA* lpDst, DTDATA* vbOwner, const DDVERTEX* quad) {
  if (!vbOwner || !vbOwner->lpVB) return false;
  void* p = nullptr;
  if (FAILED(vbOwner->lpVB->Lock(0, DD_QUAD_BYTES, &p, 0))) return false;
  std::copy(quad, quad + 4, static_cast<DDVERTEX*>(p));
  vbOwner->lpVB->Unlock();
  return DDBeginScene() && DDSetRenderTarget(0, lpDst);
}

bool DrawEffectQuad(DTDATA* vbOwner, IDirect3DTexture9* lpTexture) {
  lpDevice->SetTexture(0, lpTexture);
  lpDevice->SetStreamSource(0, vbOwner->lpVB, 0, sizeof(DDVERTEX));
  lpDevice->SetFVF(DD_VERTEX_FVF);
  lpDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  return DDSetRenderTarget(0, lpDTCon->lpDefaultTargetSD) != 0;
}

void SetStageStates(DWORD colorOp, DWORD colorArg1, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg1, DWORD alphaArg2) {
  lpDevice->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
  lpDevice->SetTextureStageState(0, D3DTSS_COLORARG1, colorArg1);
  lpDevice->SetTextureStageState(0, D3DTSS_COLORARG2, colorArg2);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, alphaArg1);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, alphaArg2);
}

void MakeQuad(DDVERTEX* v, float l, float t, float r, float b, D3DCOLOR color, float u0, float v0, float u1, float v1) {
  v[0] = DDVERTEX{l, t, 0.0f, 1.0f, color, u0, v0};
  v[1] = DDVERTEX{l, b, 0.0f, 1.0f, color, u0, v1};
  v[2] = DDVERTEX{r, t, 0.0f, 1.0f, color, u1, v0};
  v[3] = DDVERTEX{r, b, 0.0f, 1.0f, color, u1, v1};
}
