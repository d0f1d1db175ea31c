#pragma once

// The rasterizer's inner loops take four pixels at a time where the
// processor has SSE2, as every x86-64 one does; elsewhere they go one by one.

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TVK_RASTER_SSE2 1
#endif
