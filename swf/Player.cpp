#include "swf/Player.h"

#include <algorithm>
#include <cmath>

#include "swf/ScriptPainter.h"
#include "swf/StageFrame.h"
#include "swf/define/Dictionary.h"
#include "swf/read/Diagnostics.h"
#include "swf/read/Movie.h"
#include "swf/read/MovieLoader.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/LoadedMovie.h"
#include "swf/runtime/RenderList.h"
#include "swf/runtime/SoundMixer.h"
#include "swf/runtime/SoundTimeline.h"
#include "swf/runtime/Stage.h"
#include "swf/script/ClipObject.h"
#include "swf/script/FrameScripts.h"
#include "swf/script/InputScripts.h"
#include "swf/script/Machine.h"
#include "swf/script/MovieMenus.h"
#include "swf/script/PlayerVersion.h"
#include "swf/script/SharedObjectStore.h"
#include "swf/script/StageHost.h"
#include "swf/script/TextEntry.h"
#include "swf/script/classes/Builtins.h"

namespace swf {

struct Player::State {
    ~State() { forgetScript(); }

    std::unique_ptr<MovieLoader> loader;
    std::optional<Color> backgroundOverride;
    bool loops = true;
    // The one sink the whole engine reports to, the loader's reports
    // copied in as they come. Shared with the memory budget, which reports
    // from the drawing thread.
    std::shared_ptr<Diagnostics> sink = std::make_shared<Diagnostics>();
    Diagnostics& diagnostics = *sink;
    std::size_t memoryBudget = MemoryBudget::kDefaultBytes;
    std::uint64_t instructionBudget = Player::kDefaultInstructionBudget;
    std::size_t loaderReportsCopied = 0;

    // What the movie's tags have built so far. The stage refers to the
    // others, so it is declared after them and reset before them. The
    // dictionary is shared with frames being drawn, which may outlive it
    // here: a new movie gets a new one.
    std::shared_ptr<Dictionary> dictionary = newDictionary();
    FrameScript rootScript;
    std::size_t tagsRead = 0;
    // The movie's cap on tags, counted over the main timeline's tags and
    // those inside sprites alike.
    std::size_t tagAllowance = MovieLoader::kMaxTags;
    std::uint64_t versionBase = 0;
    std::unique_ptr<Stage> stage;
    // Outlives every movie: the audio output keeps pulling from it.
    SoundMixer mixer;
    std::unique_ptr<SoundTimeline> sounds;
    // The movie's script, declared after the stage it acts on so that it
    // goes first.
    std::function<void(std::string_view)> traceSink;
    const Clock* scriptClock = nullptr;
    std::string movieUrl;
    std::shared_ptr<script::Fetcher> webFetcher;
    script::Host::SystemFacts systemFacts;
    int viewWidth = 0;
    int viewHeight = 0;
    std::function<bool(bool)> fullScreenHandler;
    std::function<std::unique_ptr<script::PrintSpool>()> printHandler;
    // Outlives every movie, as the files it stands for do.
    std::unique_ptr<script::SharedObjectStore> sharedObjects = std::make_unique<script::SharedObjectStore>();
    std::unique_ptr<script::StageHost> scriptHost;
    std::unique_ptr<script::Machine> machine;
    std::unique_ptr<script::FrameScripts> frameScripts;
    std::unique_ptr<script::InputScripts> inputScripts;
    std::unique_ptr<script::TextEntry> textEntry;
    Clipboard* clipboard = nullptr;
    std::unique_ptr<script::MovieMenus> movieMenus;
    // Where the stream's bytes sat when script last compiled from them.
    const std::uint8_t* compiledFrom = nullptr;
    // Why the movie was stopped for good, if it was.
    std::string halted;

    const Movie* movie() const { return loader ? loader->movie() : nullptr; }
    // The movie a load into level 0 put in the main movie's place, if one
    // did: from then on its rate and colour are the stage's.
    const LoadedMovie* replacement() const { return stage && stage->root() ? stage->root()->loadedMovie().get() : nullptr; }
    // Whether level 0 holds something else than the main movie: a movie,
    // an image, or nothing once it was unloaded.
    bool rootReplaced() const { return stage && stage->root() && &stage->root()->script() != &rootScript; }
    std::shared_ptr<Dictionary> newDictionary() const
    {
        return std::make_shared<Dictionary>(std::make_shared<MemoryBudget>(memoryBudget, sink));
    }
    // No more frames can arrive: the bytes stopped or the End tag came.
    // Unlike isComplete(), a load cut short counts.
    bool framesFinal() const { return movie() && (loader->finished() || movie()->ended()); }
    int framesLoaded() const;
    void forgetContent();
    void readNewTags();
    void copyLoaderReports();
    void syncRootFrames();
    void startScript();
    void forgetScript();
    void startSound();
    void forgetSound();
};

int Player::State::framesLoaded() const
{
    if (const LoadedMovie* loaded = replacement())
        return loaded->framesLoaded();
    const Movie* current = movie();
    if (!current)
        return 0;
    // ShowFrames past the declared count are not frames anyone can reach.
    return std::min(int(current->frames().size()), int(current->header().frameCount));
}

// Runs `work` on the movie; a movie that needs more memory than there is
// stops where it stands, with a diagnostic, instead of taking the program
// down with it.
template<typename Work>
void guarded(Player::State& state, Work&& work)
{
    if (!state.halted.empty())
        return;
    try {
        work();
    } catch (const std::bad_alloc&) {
        state.halted = "the movie needed more memory than there is and was stopped";
        state.diagnostics.report(0, -1, state.halted);
        if (state.stage && state.stage->root())
            state.stage->root()->stop();
    }
}

void Player::State::forgetContent()
{
    halted.clear();
    forgetScript();
    forgetSound();
    if (stage)
        versionBase += stage->version() + 1;
    stage.reset();
    dictionary = newDictionary();
    rootScript = FrameScript {};
    rootScript.frames.emplace_back();
    tagsRead = 0;
    tagAllowance = MovieLoader::kMaxTags;
    diagnostics.clear();
    loaderReportsCopied = 0;
}

void Player::State::copyLoaderReports()
{
    const Movie* current = movie();
    if (!current)
        return;
    const std::vector<Diagnostic>& reports = current->diagnostics();
    for (; loaderReportsCopied < reports.size(); ++loaderReportsCopied)
        diagnostics.report(reports[loaderReportsCopied]);
}

// Definitions enter the dictionary as their tags arrive, so every frame
// finds the characters defined before it; control tags become the main
// timeline's frame commands.
void Player::State::readNewTags()
{
    const Movie* current = movie();
    copyLoaderReports();
    if (!current)
        return;
    // The stream grows as it arrives and may move: code compiled from its
    // old place must not be found again by address.
    if (machine && current->stream().data() != compiledFrom) {
        machine->forgetCompiled();
        compiledFrom = current->stream().data();
    }
    const std::vector<TagRecord>& tags = current->tags();
    for (; tagsRead < tags.size(); ++tagsRead) {
        const TagRecord& tag = tags[tagsRead];
        const std::span<const std::uint8_t> body = current->body(tag);
        if (tagAllowance > 0)
            --tagAllowance;
        if (tag.code == TagCode::ShowFrame) {
            rootScript.frames.emplace_back();
            continue;
        }
        if (isControlTag(tag.code)) {
            std::string problem;
            if (!readControlTag(rootScript, tag.code, body, current->header().version, problem, tag.bodyOffset))
                diagnostics.report(tag.bodyOffset, int(tag.code), problem);
            // A video frame is also kept by its stream, which shows it by
            // number; exports are the dictionary's too.
            if (tag.code == TagCode::VideoFrame || tag.code == TagCode::ExportAssets)
                dictionary->define(tag, body, current->header().version, diagnostics, tagAllowance);
            continue;
        }
        dictionary->define(tag, body, current->header().version, diagnostics, tagAllowance);
    }
    if (!stage) {
        stage = std::make_unique<Stage>(dictionary, diagnostics);
        stage->setSwfVersion(current->header().version);
        stage->createRoot(rootScript).setLoops(loops);
        startScript();
        startSound();
    }
    syncRootFrames();
    // The first frame is on show as soon as it has arrived.
    if (stage->root()->currentFrame() < 0 && framesLoaded() > 0)
        stage->enterFirstFrame();
}

namespace {

// A movie whose first tag is FileAttributes with UseNetwork set asks for
// the network, and so, opened from disk, may read no local files.
script::LocalSandbox localSandboxOf(const Movie& movie)
{
    constexpr std::uint8_t kUseNetwork = 0x01;
    const std::vector<TagRecord>& tags = movie.tags();
    if (tags.empty() || tags.front().code != std::uint16_t(TagCode::FileAttributes))
        return script::LocalSandbox::Files;
    const std::span<const std::uint8_t> body = movie.body(tags.front());
    return !body.empty() && (body[0] & kUseNetwork) ? script::LocalSandbox::Network : script::LocalSandbox::Files;
}

} // namespace

void Player::State::startScript()
{
    const Movie* current = movie();
    if (!current || !stage)
        return;
    const int version = current->header().version;
    scriptHost = std::make_unique<script::StageHost>(*stage, *current, scriptClock);
    scriptHost->setTraceSink(traceSink);
    installScriptPainter(*scriptHost, *stage);
    scriptHost->setMovieUrl(movieUrl);
    scriptHost->loads().setLocalSandbox(localSandboxOf(*current));
    scriptHost->loads().setWebFetcher(webFetcher);
    scriptHost->setSharedObjectStore(sharedObjects.get());
    scriptHost->setSystemFacts(systemFacts);
    scriptHost->setViewSize(viewWidth, viewHeight);
    scriptHost->setFullScreenHandler(fullScreenHandler);
    scriptHost->setPrintHandler(printHandler);
    machine = std::make_unique<script::Machine>(*scriptHost, version);
    scriptHost->setMachine(machine.get());
    script::ScriptLimits limits;
    limits.instructionBudget = scriptClock ? 0 : instructionBudget;
    machine->setLimits(limits);
    compiledFrom = current->stream().data();
    // The first variable of every movie, before any of its own.
    if (script::Object* root = machine->clipObject(scriptHost->root(0)))
        machine->set(root, "$version", script::Value::string(machine->intern(script::kPlayerVersion)));
    frameScripts = std::make_unique<script::FrameScripts>(*machine, *scriptHost);
    scriptHost->setFrameScripts(frameScripts.get());
    stage->addListener(frameScripts.get());
    inputScripts = std::make_unique<script::InputScripts>(*machine, *scriptHost, *frameScripts);
    stage->input().setListener(inputScripts.get());
    textEntry = std::make_unique<script::TextEntry>(*machine, *scriptHost);
    textEntry->setClipboard(clipboard);
    inputScripts->setTextEntry(textEntry.get());
    movieMenus = std::make_unique<script::MovieMenus>(*machine, *scriptHost);
    stage->addListener(movieMenus.get());
}

void Player::State::forgetScript()
{
    if (stage && frameScripts)
        stage->removeListener(frameScripts.get());
    if (stage)
        stage->input().setListener(nullptr);
    textEntry.reset();
    if (stage && movieMenus)
        stage->removeListener(movieMenus.get());
    movieMenus.reset();
    inputScripts.reset();
    if (scriptHost)
        scriptHost->setFrameScripts(nullptr);
    frameScripts.reset();
    // What the movie kept is written as it ends, as the reference player
    // does; a movie that ran out of memory keeps what it last flushed.
    if (machine && halted.empty()) {
        try {
            script::storeSharedObjects(*machine);
        } catch (const std::bad_alloc&) {
        }
    }
    if (machine)
        script::closeLocalConnections(*machine);
    machine.reset();
    scriptHost.reset();
    compiledFrom = nullptr;
}

void Player::State::startSound()
{
    // Sounds of the first frame are first heard in the output's frame 1;
    // those of tick t in frame t + 1.
    mixer.setFrame(1);
    sounds = std::make_unique<SoundTimeline>(
        mixer, dictionary, [this](const TagRef& tag) { return movie() ? movie()->bytes(tag.offset, tag.length) : std::span<const std::uint8_t> {}; },
        diagnostics);
    stage->addListener(sounds.get());
    stage->input().setButtonTap([this](const ButtonInstance& button, PointerTransition transition) {
        if (sounds)
            sounds->buttonMoved(button, transition);
    });
    if (scriptHost)
        scriptHost->setSoundMixer(&mixer);
}

void Player::State::forgetSound()
{
    if (stage && sounds) {
        stage->removeListener(sounds.get());
        stage->input().setButtonTap(nullptr);
    }
    sounds.reset();
    mixer.stopAll();
}

void Player::State::syncRootFrames()
{
    if (!stage || rootReplaced())
        return;
    // Once no more can arrive, a header that promised more frames than
    // arrived (or a load cut short) must not leave the clock waiting for
    // them forever.
    const Movie* current = movie();
    const int loaded = framesLoaded();
    const int declared = current ? current->header().frameCount : 0;
    stage->root()->setFrames(framesFinal() ? loaded : declared, loaded);
}

namespace {

const std::string kNoError;
constexpr Color kWhite {255, 255, 255, 255};

} // namespace

Player::Player()
    : m_state(std::make_unique<State>())
{
    m_state->rootScript.frames.emplace_back();
}

Player::~Player()
{
    m_state->forgetScript();
}

void Player::open()
{
    m_state->forgetContent();
    m_state->loader = std::make_unique<MovieLoader>();
    // The movie's bytes are loaded data like any other: half the budget at most.
    m_state->loader->setStreamLimit(m_state->memoryBudget / 2);
    m_state->backgroundOverride.reset();
}

void Player::feed(std::span<const std::uint8_t> bytes)
{
    // Bytes with no open() before them start a movie rather than vanish.
    if (!m_state->loader)
        open();
    guarded(*m_state, [&] {
        m_state->loader->feed(bytes);
        m_state->readNewTags();
    });
}

void Player::finish()
{
    if (m_state->loader)
        guarded(*m_state, [&] {
            m_state->loader->finish();
            m_state->readNewTags();
        });
}

void Player::setTraceOutput(std::function<void(std::string_view)> sink)
{
    m_state->traceSink = std::move(sink);
    if (m_state->scriptHost)
        m_state->scriptHost->setTraceSink(m_state->traceSink);
}

void Player::setScriptClock(const Clock* clock)
{
    m_state->scriptClock = clock;
}

void Player::setMovieUrl(std::string url)
{
    m_state->movieUrl = std::move(url);
    if (m_state->scriptHost)
        m_state->scriptHost->setMovieUrl(m_state->movieUrl);
}

void Player::setWebFetcher(std::shared_ptr<script::Fetcher> fetcher)
{
    m_state->webFetcher = std::move(fetcher);
}

void Player::setStorageFolder(std::string folder)
{
    m_state->sharedObjects = std::make_unique<script::SharedObjectStore>(std::move(folder));
    if (m_state->scriptHost)
        m_state->scriptHost->setSharedObjectStore(m_state->sharedObjects.get());
}

void Player::setSystemFacts(std::string language, int screenWidth, int screenHeight, int screenDpi)
{
    m_state->systemFacts = {std::move(language), screenWidth, screenHeight, screenDpi};
}

bool Player::quitRequested() const
{
    return m_state->scriptHost && m_state->scriptHost->quitRequested();
}

void Player::clear()
{
    m_state->forgetContent();
    m_state->loader.reset();
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

std::vector<Diagnostic> Player::diagnostics() const
{
    return m_state->diagnostics.entries();
}

const std::string& Player::haltReason() const
{
    return m_state->halted;
}

std::size_t Player::diagnosticsDropped() const
{
    return m_state->diagnostics.dropped();
}

void Player::setMemoryBudget(std::size_t bytes)
{
    m_state->memoryBudget = bytes;
}

void Player::setInstructionBudget(std::uint64_t instructions)
{
    m_state->instructionBudget = instructions;
}

int Player::currentFrame() const
{
    const Stage* stage = m_state->stage.get();
    return stage ? std::max(0, stage->root()->currentFrame()) : 0;
}

int Player::frameCount() const
{
    if (const LoadedMovie* replacement = m_state->replacement())
        return replacement->declaredFrames();
    const Movie* movie = m_state->movie();
    return movie ? movie->header().frameCount : 0;
}

int Player::framesLoaded() const
{
    return m_state->framesLoaded();
}

double Player::frameRate() const
{
    if (const LoadedMovie* replacement = m_state->replacement())
        return replacement->frameRate();
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
    const Stage* stage = m_state->stage.get();
    return stage ? stage->root()->isPlaying() : true;
}

void Player::play()
{
    if (Stage* stage = m_state->stage.get())
        stage->root()->play();
}

void Player::stop()
{
    if (Stage* stage = m_state->stage.get())
        stage->root()->stop();
}

bool Player::loops() const
{
    return m_state->loops;
}

void Player::setLoop(bool loop)
{
    m_state->loops = loop;
    if (Stage* stage = m_state->stage.get())
        stage->root()->setLoops(loop);
}

void Player::advance()
{
    Stage* stage = m_state->stage.get();
    if (!stage || stage->root()->currentFrame() < 0)
        return;
    m_state->syncRootFrames();
    m_state->mixer.setFrame(int(stage->tickCount()) + 2);
    guarded(*m_state, [&] {
        stage->tick();
        // What moved may have moved under a pointer standing still.
        stage->input().refresh();
        stage->settleOutsideTick();
    });
}

void Player::gotoFrame(int frame)
{
    Stage* stage = m_state->stage.get();
    if (!stage || stage->root()->currentFrame() < 0)
        return;
    m_state->syncRootFrames();
    guarded(*m_state, [&] { stage->root()->gotoFrame(frame); });
}

std::uint64_t Player::stageVersion() const
{
    const Stage* stage = m_state->stage.get();
    return m_state->versionBase + (stage ? stage->version() : 0);
}

Color Player::backgroundColor() const
{
    if (m_state->backgroundOverride)
        return *m_state->backgroundOverride;
    if (const LoadedMovie* replacement = m_state->replacement())
        return replacement->backgroundColor().value_or(kWhite);
    const Movie* movie = m_state->movie();
    if (movie && movie->backgroundColor())
        return *movie->backgroundColor();
    return kWhite;
}

void Player::setBackgroundColor(Color color)
{
    m_state->backgroundOverride = color;
    ++m_state->versionBase;
}

void Player::captureFrame(StageFrame& frame) const
{
    const Movie* movie = m_state->movie();
    frame.hasMovie = movie != nullptr;
    frame.background = backgroundColor();
    frame.frameRect = movie ? movie->header().frameSize : Rect {};
    try {
        if (const Stage* stage = m_state->stage.get(); stage && stage->root()->currentFrame() >= 0)
            buildRenderList(*stage, frame.list);
        else
            frame.list.clear();
    } catch (const std::bad_alloc&) {
        // Nothing to draw this time rather than no program.
        frame.list.clear();
    }
    frame.list.diagnostics = m_state->sink;
}

void Player::mixAudio(std::span<std::int16_t> out)
{
    m_state->mixer.render(out);
}

void Player::setSoundTap(std::function<void(int frame, int index, std::span<const std::int16_t> samples)> tap)
{
    m_state->mixer.setTap(std::move(tap));
}

std::optional<std::uint64_t> Player::soundAhead() const
{
    const Stage* stage = m_state->stage.get();
    if (!stage)
        return std::nullopt;
    const std::optional<SoundMixer::StreamProgress> progress = m_state->mixer.streamProgress(stage->root()->id());
    if (!progress)
        return std::nullopt;
    return progress->buffered;
}

void Player::setVolume(double volume)
{
    m_state->mixer.setVolume(volume);
}

void Player::setMuted(bool muted)
{
    m_state->mixer.setMuted(muted);
}

const Movie* Player::movie() const
{
    return m_state->movie();
}

const Stage* Player::stage() const
{
    return m_state->stage.get();
}

Stage* Player::stage()
{
    return m_state->stage.get();
}

const Dictionary* Player::dictionary() const
{
    return m_state->dictionary.get();
}

// Input goes to the movie once its first frame shows; what its handlers
// set going is handed on before the call returns.
template<typename Work>
void withInput(Player::State& state, Work&& work)
{
    Stage* stage = state.stage.get();
    if (!stage || !stage->root() || stage->root()->currentFrame() < 0)
        return;
    guarded(state, [&] {
        work(stage->input());
        stage->settleOutsideTick();
    });
}

void Player::pointerMove(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    withInput(*m_state, [&](InputState& input) {
        input.pointerMove(QPointF(x, y));
        if (m_state->textEntry)
            m_state->textEntry->pointerMove(input);
    });
}

void Player::pointerPress()
{
    withInput(*m_state, [&](InputState& input) {
        input.pointerPress();
        if (m_state->textEntry)
            m_state->textEntry->pointerPress(input, false);
    });
}

void Player::pointerDoubleClick()
{
    withInput(*m_state, [&](InputState& input) {
        input.pointerPress();
        if (m_state->textEntry)
            m_state->textEntry->pointerPress(input, true);
    });
}

void Player::pointerRelease()
{
    withInput(*m_state, [&](InputState& input) {
        input.pointerRelease();
        if (m_state->textEntry)
            m_state->textEntry->pointerRelease();
    });
}

void Player::wheel(int delta)
{
    withInput(*m_state, [&](InputState& input) { input.wheel(delta); });
}

void Player::keyDown(int code, int ascii)
{
    withInput(*m_state, [&](InputState& input) {
        input.keyDown(code, ascii);
        if (m_state->textEntry)
            m_state->textEntry->keyDown(input, code);
    });
}

void Player::setViewSize(int width, int height)
{
    m_state->viewWidth = width;
    m_state->viewHeight = height;
    if (!m_state->scriptHost || !m_state->scriptHost->setViewSize(width, height) || !m_state->machine)
        return;
    withInput(*m_state, [&](InputState&) { script::stageViewChanged(*m_state->machine); });
}

void Player::setFullScreenHandler(std::function<bool(bool)> handler)
{
    m_state->fullScreenHandler = handler;
    if (m_state->scriptHost)
        m_state->scriptHost->setFullScreenHandler(std::move(handler));
}

void Player::setPrintHandler(std::function<std::unique_ptr<script::PrintSpool>()> handler)
{
    m_state->printHandler = handler;
    if (m_state->scriptHost)
        m_state->scriptHost->setPrintHandler(std::move(handler));
}

void Player::leaveFullScreen()
{
    if (m_state->machine)
        withInput(*m_state, [&](InputState&) { script::setStageFullScreen(*m_state->machine, false); });
}

void Player::keyUp(int code, int ascii)
{
    withInput(*m_state, [&](InputState& input) { input.keyUp(code, ascii); });
}

Player::Cursor Player::cursor() const
{
    const Stage* stage = m_state->stage.get();
    if (!stage)
        return Cursor::Arrow;
    const InputState& input = stage->input();
    if (input.isCursorHidden())
        return Cursor::Hidden;
    switch (input.cursor()) {
    case InputState::Cursor::Hand: return Cursor::Hand;
    case InputState::Cursor::IBeam: return Cursor::IBeam;
    case InputState::Cursor::Arrow: break;
    }
    return Cursor::Arrow;
}

void Player::enterText(std::string_view utf8)
{
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    withInput(*m_state, [&](InputState&) {
        if (m_state->textEntry)
            m_state->textEntry->enterText(text);
    });
}

void Player::setClipboard(Clipboard* clipboard)
{
    m_state->clipboard = clipboard;
    if (m_state->textEntry)
        m_state->textEntry->setClipboard(clipboard);
}

bool Player::hasTextFocus() const
{
    return m_state->textEntry && m_state->textEntry->focusedField();
}

std::optional<Player::StageRect> Player::caretRect() const
{
    if (!m_state->textEntry)
        return std::nullopt;
    const std::optional<QRectF> caret = m_state->textEntry->caretRect();
    if (!caret)
        return std::nullopt;
    return StageRect {caret->x(), caret->y(), caret->width(), caret->height()};
}

Player::MovieMenu Player::movieMenuAt(double x, double y)
{
    MovieMenu menu;
    script::MovieMenus* menus = m_state->movieMenus.get();
    if (!menus || !std::isfinite(x) || !std::isfinite(y))
        return menu;
    withInput(*m_state, [&](InputState&) {
        const script::MovieMenu found = menus->menuAt(QPointF(x, y));
        for (const script::MovieMenu::Item& item : found.items)
            menu.items.push_back({item.caption, item.enabled, item.separatorBefore});
        menu.hiddenBuiltIns = found.hiddenBuiltIns;
    });
    return menu;
}

void Player::chooseMovieMenuItem(std::size_t index)
{
    if (script::MovieMenus* menus = m_state->movieMenus.get())
        menus->choose(index);
}

} // namespace swf
