// Writes the movies that once broke the engine, and the hostile battery's,
// into a folder, as seeds for the fuzzers: swf_fuzz_seeds OUT_DIR.

#include <cstdio>
#include <fstream>

#include "hostile/HostileMovies.h"
#include "support/RegressionMovies.h"

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
        {"huge-stage", hostile::writeHugeStage},
    };
    for (const auto& [name, write] : battery) {
        if (!write(dir + "/hostile-" + name + ".swf")) {
            std::fprintf(stderr, "swf_fuzz_seeds: could not write %s\n", name);
            return 1;
        }
    }
    return 0;
}
