#include "swf/Player.h"

#include <algorithm>
#include <cmath>

#include "swf/read/Movie.h"
#include "swf/define/Dictionary.h"
#include "swf/read/MovieLoader.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/Clip.h"
#include "swf/runtime/Timeline.h"

namespace swf {

struct Player::State {
    std::unique_ptr<MovieLoader> loader;
    Timeline timeline;
    std::optional<Color> backgroundOverride;

    // What the movie's tags have built so far. The root clip refers to the
    // others, so it is declared after them and reset before them.
    Dictionary dictionary;
    FrameScript rootScript;
    InstanceBudget budget;
    std::unique_ptr<Clip> root;
    std::size_t tagsRead = 0;
    std::vector<Diagnostic> ownDiagnostics;
    mutable std::vector<Diagnostic> allDiagnostics;

    const Movie* movie() const { return loader ? loader->movie() : nullptr; }
    // No more frames can arrive: the bytes stopped or the End tag came.
    // Unlike isComplete(), a load cut short counts.
    bool framesFinal() const { return movie() && (loader->finished() || movie()->ended()); }
    void forgetContent();
    void readNewTags();
    void showTimelineFrame();
};

void Player::State::forgetContent()
{
    root.reset();
    dictionary.clear();
    rootScript = FrameScript {};
    rootScript.frames.emplace_back();
    tagsRead = 0;
    ownDiagnostics.clear();
}

// Definitions enter the dictionary as their tags arrive, so every frame
// finds the characters defined before it; control tags become the main
// timeline's frame commands.
void Player::State::readNewTags()
{
    const Movie* current = movie();
    if (!current)
        return;
    const std::vector<TagRecord>& tags = current->tags();
    for (; tagsRead < tags.size(); ++tagsRead) {
        const TagRecord& tag = tags[tagsRead];
        const std::span<const std::uint8_t> body = current->body(tag);
        if (tag.code == TagCode::ShowFrame) {
            rootScript.frames.emplace_back();
            continue;
        }
        if (isControlTag(tag.code)) {
            std::string problem;
            if (!readControlTag(rootScript, tag.code, body, current->header().version, problem))
                ownDiagnostics.push_back({tag.bodyOffset, int(tag.code), problem});
            continue;
        }
        dictionary.define(tag, body, current->header().version, ownDiagnostics);
    }
    if (!root)
        root = std::make_unique<Clip>(rootScript, ClipContext {&dictionary, &budget});
    // The first frame is on show as soon as it has arrived.
    if (root->currentFrame() < 0 && !current->frames().empty())
        showTimelineFrame();
}

void Player::State::showTimelineFrame()
{
    const Movie* current = movie();
    if (!root || !current || current->frames().empty())
        return;
    root->goTo(std::min(timeline.currentFrame(), int(current->frames().size()) - 1));
}

namespace {

const std::string kNoError;
const std::vector<Diagnostic> kNoDiagnostics;
constexpr Color kWhite {255, 255, 255, 255};

} // namespace

Player::Player()
    : m_state(std::make_unique<State>())
{
}

Player::~Player() = default;

void Player::open()
{
    m_state->forgetContent();
    m_state->loader = std::make_unique<MovieLoader>();
    m_state->timeline.restart();
    m_state->backgroundOverride.reset();
}

void Player::feed(std::span<const std::uint8_t> bytes)
{
    // Bytes with no open() before them start a movie rather than vanish.
    if (!m_state->loader)
        open();
    m_state->loader->feed(bytes);
    m_state->readNewTags();
}

void Player::finish()
{
    if (m_state->loader) {
        m_state->loader->finish();
        m_state->readNewTags();
    }
}

void Player::clear()
{
    m_state->forgetContent();
    m_state->loader.reset();
    m_state->timeline.restart();
    m_state->backgroundOverride.reset();
}

bool Player::hasMovie() const
{
    return m_state->movie() != nullptr;
}

bool Player::failed() const
{
    return m_state->loader && m_state->loader->failed();
}

const std::string& Player::error() const
{
    return m_state->loader ? m_state->loader->error() : kNoError;
}

const Header* Player::header() const
{
    const Movie* movie = m_state->movie();
    return movie ? &movie->header() : nullptr;
}

const std::vector<Diagnostic>& Player::diagnostics() const
{
    const Movie* movie = m_state->movie();
    if (!movie)
        return kNoDiagnostics;
    m_state->allDiagnostics = movie->diagnostics();
    m_state->allDiagnostics.insert(m_state->allDiagnostics.end(), m_state->ownDiagnostics.begin(),
                                   m_state->ownDiagnostics.end());
    return m_state->allDiagnostics;
}

int Player::currentFrame() const
{
    return m_state->timeline.currentFrame();
}

int Player::frameCount() const
{
    const Movie* movie = m_state->movie();
    return movie ? movie->header().frameCount : 0;
}

int Player::framesLoaded() const
{
    const Movie* movie = m_state->movie();
    if (!movie)
        return 0;
    // ShowFrames past the declared count are not frames anyone can reach.
    return std::min(int(movie->frames().size()), frameCount());
}

double Player::frameRate() const
{
    const Movie* movie = m_state->movie();
    return movie ? movie->header().frameRate() : 0;
}

int Player::percentLoaded() const
{
    const Movie* movie = m_state->movie();
    if (!movie)
        return 0;
    if (isComplete())
        return 100;
    const std::uint64_t declared = movie->header().fileLength;
    return int(std::min<std::uint64_t>(100, bytesLoaded() * 100 / declared));
}

std::uint64_t Player::bytesLoaded() const
{
    return m_state->loader ? m_state->loader->bytesLoaded() : 0;
}

bool Player::isComplete() const
{
    const Movie* movie = m_state->movie();
    // A load cut short is not complete, however it ended: the share loaded
    // tells how much of the movie there is to see.
    return movie && (movie->ended() || (m_state->loader->finished() && bytesLoaded() >= movie->header().fileLength));
}

double Player::clockFrameRate() const
{
    const double rate = frameRate();
    if (rate <= 0)
        return kDefaultFrameRate;
    return std::clamp(rate, kMinFrameRate, kMaxFrameRate);
}

int Player::frameIntervalMs() const
{
    return int(std::lround(1000.0 / clockFrameRate()));
}

bool Player::isPlaying() const
{
    return m_state->timeline.isPlaying();
}

void Player::play()
{
    m_state->timeline.play();
}

void Player::stop()
{
    m_state->timeline.stop();
}

bool Player::loops() const
{
    return m_state->timeline.loops();
}

void Player::setLoop(bool loop)
{
    m_state->timeline.setLoop(loop);
}

void Player::advance()
{
    // Once no more can arrive, a header that promised more frames than
    // arrived (or a load cut short) must not leave the clock waiting for
    // them forever.
    const int loaded = framesLoaded();
    const int frames = m_state->framesFinal() ? loaded : frameCount();
    m_state->timeline.advance(frames, loaded);
    // Sprites on stage keep their own clocks even when the movie is stopped.
    if (m_state->root)
        m_state->root->tickChildren();
    m_state->showTimelineFrame();
}

void Player::gotoFrame(int frame)
{
    m_state->timeline.gotoFrame(frame, framesLoaded());
    m_state->showTimelineFrame();
}

Color Player::backgroundColor() const
{
    if (m_state->backgroundOverride)
        return *m_state->backgroundOverride;
    const Movie* movie = m_state->movie();
    if (movie && movie->backgroundColor())
        return *movie->backgroundColor();
    return kWhite;
}

void Player::setBackgroundColor(Color color)
{
    m_state->backgroundOverride = color;
}

const Movie* Player::movie() const
{
    return m_state->movie();
}

const DisplayList* Player::displayList() const
{
    const Clip* root = m_state->root.get();
    return root && root->currentFrame() >= 0 ? &root->displayList() : nullptr;
}

const Dictionary* Player::dictionary() const
{
    return &m_state->dictionary;
}

} // namespace swf
