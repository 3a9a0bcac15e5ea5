// The rectangle batch (Direct3D only): while it is open, filled rectangles of render targets are
// queued, and the flush draws each run of rectangles of one surface from one vertex buffer.
#pragma once

#include "draw/surface_data.h"
#include "platform/d3d9.h"

// Opens the batch (an open batch loses what it queued).
void DDBeginRectBatch();
// Draws the queue and closes the batch.
void DDFlushRectBatch();
// Queues a rectangle (already cut to the surface) while the batch is open; false when it is
// closed, and the caller draws the rectangle at once.
bool DDQueueRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, D3DCOLOR dwColor);
