#pragma once

// The rasterizer's busiest functions are built twice on x86-64 with GCC:
// once for any x86-64 processor, and once for those of the last decade
// (AVX2, BMI, the three-operand forms), the program choosing between them
// as it loads. The newer instructions do the same work in some 7% fewer
// instructions over a frame. Both give the same pixels to the bit: the
// files that use this are built without fused multiply-adds, which would
// round differently.

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
#define TVK_RASTER_CLONED __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define TVK_RASTER_CLONED
#endif
