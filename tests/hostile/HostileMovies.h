#pragma once

// The hostile movies of the battery, one writer a family: small files that
// lie about what they hold, each written to `path`. False when the file
// could not be written.

#include <string>

namespace hostile {

// Sprites and tags.
bool writeSpriteOfTags(const std::string& path);       // 120 million ShowFrames inside one sprite
bool writeDiagnosticsBomb(const std::string& path);    // millions of broken placements
bool writeSelfPlacingSprite(const std::string& path);  // a sprite placing itself twice, a square beside it
bool writeCompressedBody(const std::string& path);     // 256 MiB declared, End the first tag

// Bitmaps.
bool writeLosslessRun(const std::string& path);        // eight honest 8192x8192 lossless bitmaps, all shown
bool writeJpegClaim(const std::string& path);          // a few kilobytes of JPEG claiming 8192x8192

// Filters.
bool writeNestedFilters(const std::string& path);      // a hundred sprites deep, a wide blur on each
bool writeManyFilters(const std::string& path);        // 255 blurs on one shape
bool writeWideBlur(const std::string& path);           // one blur of 255 pixels, 15 passes, stage-wide

// Geometry, text and stage.
bool writeMorphEdges(const std::string& path);         // a 500,000-edge morph at 200 ratios
bool writeWalkedSquare(const std::string& path);       // one square walked 65,793 times by one fill
bool writeNestedHtml(const std::string& path);         // 26 KB of nested HTML in an edit text
bool writeHugeStage(const std::string& path);          // a 16384x16384 stage in 90 bytes

} // namespace hostile
