// A provisional measure of the script machine against the trace corpus,
// before the runtime can run movies for real: each movie's main timeline
// is played with a root clip the fake host keeps, running the DoInitAction
// and DoAction tags of each frame the playhead reaches, for the load and
// 10 advances. Sprites are not played. Prints the passes per family.
//
//   script_corpus_report [--list-failures] [--family NAME] [--show FILE]

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "swf/read/MovieLoader.h"
#include "swf/script/Machine.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string family(const std::string& name)
{
    const std::size_t end = name.find_first_of("-_.0123456789");
    return name.substr(0, end);
}

// Runs the movie and returns what it traced.
std::string runMovie(const fs::path& path, std::vector<std::string>* diagnostics)
{
    const std::string bytes = readFile(path);
    swf::MovieLoader loader;
    loader.feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    loader.finish();
    const swf::Movie* movie = loader.movie();
    if (!movie)
        return {};
    const int version = movie->header().version;
    swftest::FakeHost host;
    swf::script::Machine machine(host, version);
    host.setMachine(&machine);
    swf::script::ScriptLimits limits;
    limits.instructionBudget = 20'000'000;
    machine.setLimits(limits);
    const int frameCount = int(movie->frames().size());
    host.setRootFrames(std::max(1, frameCount));
    std::map<std::string, int> labels;
    for (int f = 0; f < frameCount; ++f)
        for (const swf::TagRecord& tag : movie->tagsOf(movie->frames()[std::size_t(f)]))
            if (tag.code == 43) {
                const auto body = movie->body(tag);
                const auto end = std::find(body.begin(), body.end(), 0);
                labels[std::string(body.begin(), end)] = f;
            }
    host.setRootLabels(labels);
    const double frameMs = 1000.0 / std::max(1.0, movie->header().frameRate());

    int pendingFrame = -1;
    host.onCallFrame = [&](swf::script::ClipHandle, int frame) { pendingFrame = frame; };
    const auto runFrame = [&](int frame) {
        if (frame < 0 || frame >= frameCount)
            return;
        for (int pass = 0; pass < 2; ++pass) {
            for (const swf::TagRecord& tag : movie->tagsOf(movie->frames()[std::size_t(frame)])) {
                if (host.quitRequested())
                    return;
                const auto body = movie->body(tag);
                if (pass == 0 && tag.code == 59 && body.size() >= 2)
                    machine.runActions(body.subspan(2), host.rootHandle(), version);
                else if (pass == 1 && tag.code == 12)
                    machine.runActions(body, host.rootHandle(), version);
            }
        }
    };
    // Frames a goto asked for run after the block that asked, as many
    // times as gotos keep asking, within reason.
    const auto runWithGotos = [&](int frame) {
        pendingFrame = -1;
        runFrame(frame);
        for (int hops = 0; pendingFrame >= 0 && hops < 16 && !host.quitRequested(); ++hops) {
            const int next = pendingFrame;
            pendingFrame = -1;
            runFrame(next);
        }
    };

    runWithGotos(0);
    for (int advance = 0; advance < 10 && !host.quitRequested(); ++advance) {
        host.advanceTimer(frameMs);
        auto& root = host.clip(host.rootHandle());
        machine.callClipMethod(host.rootHandle(), "onEnterFrame");
        machine.runTimers();
        if (host.quitRequested())
            break;
        if (root.playing && frameCount > 1) {
            const int next = root.currentFrame + 1 >= frameCount ? 0 : root.currentFrame + 1;
            root.currentFrame = next;
            runWithGotos(next);
        }
    }
    if (diagnostics)
        *diagnostics = host.diagnostics();
    return host.output();
}

// The run in a child process, so that a crash or hang is a failure of
// that movie and not of the report.
bool runIsolated(const fs::path& path, std::string& output)
{
    int pipes[2];
    if (pipe(pipes) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipes[0]);
        alarm(20);
        const std::string out = runMovie(path, nullptr);
        std::size_t written = 0;
        while (written < out.size()) {
            const ssize_t n = write(pipes[1], out.data() + written, out.size() - written);
            if (n <= 0)
                break;
            written += std::size_t(n);
        }
        _exit(0);
    }
    close(pipes[1]);
    char buffer[65536];
    ssize_t n;
    while ((n = read(pipes[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, std::size_t(n));
    close(pipes[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path corpus = fs::path(TVK_CORPUS_DIR) / "trace";
    bool listFailures = false;
    std::string onlyFamily;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--list-failures") {
            listFailures = true;
        } else if (arg == "--family" && i + 1 < argc) {
            onlyFamily = argv[++i];
        } else if (arg == "--show" && i + 1 < argc) {
            fs::path file = argv[++i];
            if (!fs::exists(file))
                file = corpus / file;
            std::vector<std::string> diagnostics;
            std::cout << runMovie(file, &diagnostics);
            for (const std::string& d : diagnostics)
                std::cerr << "diagnostic: " << d << "\n";
            return 0;
        }
    }
    std::vector<fs::path> movies;
    for (const auto& entry : fs::directory_iterator(corpus))
        if (entry.path().extension() == ".swf")
            movies.push_back(entry.path());
    std::sort(movies.begin(), movies.end());

    std::map<std::string, std::pair<int, int>> families; // passes, total
    int passes = 0;
    int total = 0;
    for (const fs::path& movie : movies) {
        const std::string name = movie.filename().string();
        const std::string fam = family(name);
        if (!onlyFamily.empty() && fam != onlyFamily)
            continue;
        fs::path expectedPath = movie.string() + ".trace";
        if (!fs::exists(expectedPath))
            expectedPath = movie.string() + ".trace.org";
        const std::string expected = readFile(expectedPath);
        std::string output;
        const bool clean = runIsolated(movie, output);
        const bool pass = clean && output == expected;
        auto& f = families[fam];
        f.second++;
        total++;
        if (pass) {
            f.first++;
            passes++;
        } else if (listFailures) {
            std::cout << "FAIL " << name << (clean ? "" : " (crashed or hung)") << "\n";
        }
    }
    std::printf("%-28s %6s %6s %6s\n", "family", "pass", "total", "share");
    for (const auto& [name, counts] : families)
        std::printf("%-28s %6d %6d %5.0f%%\n", name.c_str(), counts.first, counts.second, 100.0 * counts.first / counts.second);
    std::printf("%-28s %6d %6d %5.1f%%\n", "ALL", passes, total, total ? 100.0 * passes / total : 0.0);
    return 0;
}
