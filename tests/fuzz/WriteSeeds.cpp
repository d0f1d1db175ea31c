// Writes the movies that once broke the engine, and the hostile battery's,
// into a folder, as seeds for the fuzzers: swf_fuzz_seeds OUT_DIR.

#include <cstdio>
#include <fstream>

#include "hostile/HostileMovies.h"
#include "support/RegressionMovies.h"
#include "support/VideoClips.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: swf_fuzz_seeds OUT_DIR\n");
        return 2;
    }
    for (const swftest::RegressionMovie& movie : swftest::regressionMovies()) {
        const std::string path = std::string(argv[1]) + "/" + movie.name + ".swf";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(movie.bytes.data()), std::streamsize(movie.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "swf_fuzz_seeds: could not write %s\n", path.c_str());
            return 1;
        }
    }
    const std::string dir = argv[1];
    const std::pair<const char*, bool (*)(const std::string&)> battery[] {
        {"sprite-tags", hostile::writeSpriteOfTags},       {"diagnostics-bomb", hostile::writeDiagnosticsBomb},
        {"self-placing-sprite", hostile::writeSelfPlacingSprite}, {"compressed-body", hostile::writeCompressedBody},
        {"lossless-run", hostile::writeLosslessRun},       {"jpeg-claim", hostile::writeJpegClaim},
        {"nested-filters", hostile::writeNestedFilters},   {"many-filters", hostile::writeManyFilters},
        {"wide-blur", hostile::writeWideBlur},             {"morph-edges", hostile::writeMorphEdges},
        {"walked-square", hostile::writeWalkedSquare},     {"nested-html", hostile::writeNestedHtml},
        {"edge-storm", hostile::writeEdgeStorm},           {"huge-stage", hostile::writeHugeStage},
    };
    for (const auto& [name, write] : battery) {
        if (!write(dir + "/hostile-" + name + ".swf")) {
            std::fprintf(stderr, "swf_fuzz_seeds: could not write %s\n", name);
            return 1;
        }
    }
    // Embedded video in each codec FFmpeg can encode, so that mutations
    // start from streams the decoders take.
    for (const char* encoder : {"flv", "flashsv", "flashsv2", "libx264"}) {
        std::string whyNot;
        const auto clip = swftest::encodeVideoClip(encoder, 48, 32, 6, 3, whyNot);
        if (!clip) {
            std::fprintf(stderr, "swf_fuzz_seeds: no %s seed: %s\n", encoder, whyNot.c_str());
            continue;
        }
        const std::vector<std::uint8_t> movie = swftest::embeddedVideoMovie(*clip, 48, 32);
        std::ofstream out(dir + "/video-" + encoder + ".swf", std::ios::binary);
        out.write(reinterpret_cast<const char*>(movie.data()), std::streamsize(movie.size()));
        if (!out) {
            std::fprintf(stderr, "swf_fuzz_seeds: could not write the %s seed\n", encoder);
            return 1;
        }
    }
    return 0;
}
