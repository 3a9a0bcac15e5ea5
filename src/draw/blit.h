// Blits and sprite batches: a rectangle of a source surface copied into a rectangle of a
// destination surface, optionally scaled, mirrored and with the source's transparent pixels
// left out; the scene and render-target calls every Direct3D drawing operation uses; and the
// sprite batch that queues Direct3D blits and draws runs of them from one vertex buffer.
//
// Under Direct3D a blit is a textured quad when the destination is a render target and the
// source texture is not in system memory, otherwise a pixel copy between locked surfaces.
// Under DirectDraw it is the surface's BltFast or Blt. Flags: 0 copies transparent source
// pixels as transparent pixels, 1 leaves them out.
#pragma once

#include "draw/surface_data.h"
#include "platform/d3d9.h"

// The vertex of every Direct3D quad of the layer (FVF XYZRHW | DIFFUSE | TEX1).
struct DDVERTEX {
  float x = 0;
  float y = 0;
  float z = 0;
  float rhw = 1;
  D3DCOLOR color = 0;
  float u = 0;
  float v = 0;
};
static_assert(sizeof(DDVERTEX) == 28, "the blit vertex layout");

constexpr DWORD DD_VERTEX_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT DD_QUAD_BYTES = 4 * sizeof(DDVERTEX);

// The extras of DDBltFastEx and DDBltEx: a vertex colour and a colour operation.
struct DDBLTEX {
  D3DCOLOR dwDiffuse = 0xFFFFFFFFu;
  int nColorOp = D3DTOP_MODULATE;
};

// Opens the Direct3D scene of the frame once; 1 while a scene is open.
int DDBeginScene();
// Closes the scene when one is open.
void DDEndScene();
// Makes the record's surface render target 0 (nIndex is ignored); 0 when the record is not a
// render target or the device refuses.
int DDSetRenderTarget(int nIndex, DDSURFACEDATA* lpSD);

// Turns a source rectangle of a mirrored alias record into the flipped rectangle of its
// substitute sheet (Direct3D only).
void DDMirrorCoords(DDSURFACEDATA* lpSD, int* pSrcX, int* pSrcY, int* pSrcWidth, int* pSrcHeight);
// Clips both rectangles in place; 1 when something is left to draw.
int DDClipBlt(DDSURFACEDATA* lpDstSD, int* px, int* py, int* pWidth, int* pHeight, DDSURFACEDATA* lpSrcSD, int* pSrcX,
              int* pSrcY, int* pSrcWidth, int* pSrcHeight);

void DDBltFast(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
               int nSrcY, int nFlags);
// A negative source width (height) mirrors: nSrcX (nSrcY) is then the right (bottom) edge,
// exclusive.
void DDBlt(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY,
           int nSrcWidth, int nSrcHeight, int nFlags);
void DDBltFastEx(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
                 int nSrcY, int nFlags, const DDBLTEX* lpEx);
void DDBltEx(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
             int nSrcY, int nSrcWidth, int nSrcHeight, int nFlags, const DDBLTEX* lpEx);

// Draws n quads (four vertices each, strip order) onto lpTarget from one vertex and one index
// buffer made for the run; prepare(ctx) sets the states and the texture once the target is
// set. False when a buffer, the scene or the target failed.
bool DDDrawQuadRun(DDSURFACEDATA* lpTarget, const DDVERTEX* lpVertices, int n, void (*prepare)(const void*),
                   const void* ctx);

// The sprite batch (Direct3D only). While it is open, quad blits are queued; the flush draws
// them in queue order (nMode 0) or grouped by the textures registered with
// DDAddBatchTexture, in registration order, after the unregistered ones (nMode non-zero).
void DDBeginSpriteBatch(int nMode);
void DDAddBatchTexture(DDSURFACEDATA* lpSD);
void DDFlushSpriteBatch();
