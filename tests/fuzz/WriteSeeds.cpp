// Writes the movies that once broke the engine into a folder, as seeds for
// the fuzzers: swf_fuzz_seeds OUT_DIR.

#include <cstdio>
#include <fstream>

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
    return 0;
}
