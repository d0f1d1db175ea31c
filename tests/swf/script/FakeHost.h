#pragma once

// A host for the script machine's tests, the fuzzer and the benchmark: it
// collects trace lines and diagnostics, keeps a clock the test moves, and
// keeps a small tree of clips with names, depths, properties and a
// timeline position, enough for script to find, make, move and remove
// clips the way it would on a real stage.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "swf/script/Host.h"
#include "swf/script/RandomSource.h"
#include "swf/script/SharedObjectStore.h"

namespace swf::script {
class Machine;
}

namespace swftest {

using swf::script::ClipHandle;
using swf::script::ClipProperty;
using swf::script::HostPoint;
using swf::script::HostRect;
using swf::script::HostValue;
using swf::script::UrlMethod;

class FakeHost final : public swf::script::Host {
public:
    struct Clip {
        std::uint64_t id = 0;
        std::string name;
        std::uint64_t parent = 0;
        int depth = 0;
        int level = 0;
        std::map<int, std::uint64_t> children; // by depth
        std::map<int, HostValue> properties;   // by ClipProperty
        std::string exportName;
        int currentFrame = 0;
        int totalFrames = 1;
        bool playing = true;
        bool alive = true;
    };

    FakeHost();

    // The machine to tell about removed clips.
    void setMachine(swf::script::Machine* machine) { m_machine = machine; }

    // What script printed, one line each with its "\n".
    const std::string& output() const { return m_output; }
    void clearOutput() { m_output.clear(); }
    const std::vector<std::string>& diagnostics() const { return m_diagnostics; }
    bool quitRequested() const { return m_quit; }
    const std::vector<std::string>& requests() const { return m_requests; }

    void setTimer(double ms) { m_timer = ms; }
    void advanceTimer(double ms) { m_timer += ms; }
    // Stops scripts once this many time checks have passed; 0 never.
    void setTimeChecksBeforeTimeout(int checks) { m_timeChecks = checks; }

    // The root of level 0 and its timeline.
    ClipHandle rootHandle() const { return ClipHandle {1}; }
    Clip& clip(ClipHandle handle);
    void setRootFrames(int total) { m_clips[1]->totalFrames = total; }
    // Frame labels of the root's timeline, 0-based frames.
    void setRootLabels(std::map<std::string, int> labels) { m_labels = std::move(labels); }
    // Called when script moves a timeline (goto, play, stop) so a runner
    // can follow.
    std::function<void(ClipHandle, int frame)> onCallFrame;

    // -- Host --
    void trace(std::string_view line) override;
    void diagnostic(std::string_view message) override;
    double timer() override { return m_timer; }
    // The moment the reference traces were recorded at.
    double currentTime() override { return 1035840244000.0; }
    double timezoneOffsetMinutes(double) override { return 0; }
    double random() override;
    double randomBelow(double bound) override;
    bool scriptTimeExceeded() override;

    void getUrl(std::string_view url, std::string_view window, UrlMethod method) override;
    void fsCommand(std::string_view command, std::string_view arguments) override;
    void loadMovie(ClipHandle target, int level, std::string_view url, UrlMethod method) override;
    void loadVariables(ClipHandle target, int level, std::string_view url, UrlMethod method) override;

    ClipHandle root(int level) override;
    ClipHandle parent(ClipHandle clip) override;
    ClipHandle child(ClipHandle clip, std::string_view name, bool caseSensitive) override;
    void childNames(ClipHandle clip, std::vector<std::string>& names) override;
    bool alive(ClipHandle clip) override;
    ClipHandle findClip(std::string_view path) override;
    std::string targetPath(ClipHandle clip) override;
    int level(ClipHandle clip) override;

    HostValue property(ClipHandle clip, ClipProperty property) override;
    void setProperty(ClipHandle clip, ClipProperty property, const HostValue& value) override;

    void play(ClipHandle clip) override;
    void stop(ClipHandle clip) override;
    void gotoFrame(ClipHandle clip, int frame, bool andPlay) override;
    bool gotoLabel(ClipHandle clip, std::string_view label, bool andPlay) override;
    std::optional<int> frameOfLabel(ClipHandle clip, std::string_view label) override;
    void callFrame(ClipHandle clip, int frame) override;
    void nextFrame(ClipHandle clip) override;
    void previousFrame(ClipHandle clip) override;
    int currentFrame(ClipHandle clip) override;
    int totalFrames(ClipHandle clip) override;
    int framesLoaded(ClipHandle clip) override;
    double bytesLoaded(ClipHandle clip) override;
    double bytesTotal(ClipHandle clip) override;

    ClipHandle attachMovie(ClipHandle parent, std::string_view exportName, std::string_view name, int depth, bool empty) override;
    void fillFirstFrame(ClipHandle) override {}
    ClipHandle createEmptyMovieClip(ClipHandle parent, std::string_view name, int depth) override;
    ClipHandle duplicateMovieClip(ClipHandle clip, std::string_view name, int depth) override;
    void removeMovieClip(ClipHandle clip) override;
    void swapDepths(ClipHandle clip, int depth) override;
    void swapDepthsWith(ClipHandle clip, ClipHandle other) override;
    int depth(ClipHandle clip) override;
    int nextHighestDepth(ClipHandle clip) override;
    ClipHandle instanceAtDepth(ClipHandle clip, int depth) override;
    std::string exportName(ClipHandle clip) override;

    HostRect bounds(ClipHandle clip, ClipHandle space) override;
    bool hitTestPoint(ClipHandle clip, double x, double y, bool shapeFlag) override;
    bool hitTestClip(ClipHandle clip, ClipHandle other) override;
    HostPoint localToGlobal(ClipHandle clip, HostPoint point) override;
    HostPoint globalToLocal(ClipHandle clip, HostPoint point) override;
    void startDrag(ClipHandle clip, bool lockCenter, std::optional<HostRect> constraint) override;
    void stopDrag() override;
    void stopAllSounds() override;
    void toggleQuality() override;

    // Stored objects go to `store` (in memory unless a test gives a
    // folder), for a movie at `url`.
    std::string url = "file:///movies/game.swf";
    swf::script::SharedObjectStore* store = nullptr;
    const std::string& movieUrl() const override { return url; }
    swf::script::SharedObjectRegistry* sharedObjects() override
    {
        m_sharedObjects.store = store;
        return store ? &m_sharedObjects : nullptr;
    }

private:
    swf::script::SharedObjectRegistry m_sharedObjects;
    Clip* find(ClipHandle handle);
    ClipHandle makeClip(ClipHandle parent, std::string_view name, int depth, std::string exportName);
    void remove(std::uint64_t id);

    swf::script::Machine* m_machine = nullptr;
    std::map<std::uint64_t, std::unique_ptr<Clip>> m_clips;
    std::map<std::string, int> m_labels;
    std::uint64_t m_nextId = 2;
    std::string m_output;
    std::vector<std::string> m_diagnostics;
    std::vector<std::string> m_requests;
    double m_timer = 0;
    swf::script::RandomSource m_random;
    int m_timeChecks = 0;
    bool m_quit = false;
};

} // namespace swftest
