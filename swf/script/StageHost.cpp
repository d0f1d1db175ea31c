#include "swf/script/StageHost.h"

#include <QDateTime>
#include <QPainter>
#include <QTimeZone>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "swf/define/Definitions.h"
#include "swf/read/Movie.h"
#include "swf/read/TagCode.h"
#include "swf/runtime/BitmapDataInstance.h"
#include "swf/runtime/Clock.h"
#include "swf/runtime/Container.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/GraphicInstances.h"
#include "swf/runtime/HitTest.h"
#include "swf/runtime/LoadedMovie.h"
#include "swf/runtime/ObjectBounds.h"
#include "swf/runtime/SoundMixer.h"
#include "swf/runtime/SpriteInstance.h"
#include "swf/runtime/Stage.h"
#include "swf/runtime/VideoInstance.h"
#include "swf/script/ClipObject.h"
#include "swf/script/FrameScripts.h"
#include "swf/script/Machine.h"
#include "swf/script/PlayerVersion.h"
#include "swf/script/StageMedia.h"
#include "swf/script/classes/Loads.h"
#include "swf/text/StaticTextCharacters.h"

namespace swf::script {

namespace {

// Script counts depths from the timeline's lowest: a timeline depth d is
// d - 16384 to script, and what script makes at 0 and up sits above
// everything the timeline places.
constexpr int kDepthOffset = 16384;
// The highest depth script may make a clip at, and the range it may
// remove one from.
constexpr int kMaxScriptDepth = 2130690045;
constexpr int kMinRemovableDepth = 0;
constexpr int kMaxRemovableDepth = 1048575;
constexpr double kTwips = 20;
// Where reproducible runs say the clock stands; the reference traces were
// recorded at this moment.
constexpr double kFixedMoment = 1035840244000.0;

bool sameName(std::string_view a, std::string_view b, bool caseSensitive)
{
    if (caseSensitive)
        return a == b;
    return std::ranges::equal(a, b, [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// Script sees sprites as clips; the other objects have no script face yet.
bool isClip(const DisplayObject& object)
{
    return object.type() == DisplayObject::Type::Sprite;
}

// Twips as a 32-bit integer takes them, rounded and wrapped round.
double wrappedTwips(double twips)
{
    const double whole = std::fmod(std::round(twips), 4294967296.0);
    const auto bits = std::uint32_t(std::int64_t(whole < 0 ? whole + 4294967296.0 : whole));
    return double(std::int32_t(bits));
}

// What script reaches by name: clips, buttons, and text fields and videos
// from version 6, the first whose players gave them a script face.
bool isScriptable(const DisplayObject& object, int version)
{
    const bool fromSix = object.type() == DisplayObject::Type::EditText || object.type() == DisplayObject::Type::Video;
    return isClip(object) || object.type() == DisplayObject::Type::Button || (fromSix && version >= 6);
}

// A frame script with one empty frame, for clips script makes from nothing.
const FrameScript& emptyScript()
{
    static const FrameScript script {std::vector<std::vector<FrameCommand>>(1), {}, {}};
    return script;
}

Matrix concatenated(const DisplayObject& object)
{
    Matrix m = object.matrix();
    for (const DisplayObject* up = object.parent(); up; up = up->parent())
        m = up->matrix() * m;
    return m;
}

// "_level7" is level 7; anything else is no level.
std::optional<int> levelNumber(std::string_view part)
{
    constexpr std::string_view kPrefix = "_level";
    if (part.size() <= kPrefix.size() || part.size() > kPrefix.size() + 9 || !sameName(part.substr(0, kPrefix.size()), kPrefix, false))
        return std::nullopt;
    int number = 0;
    for (const char c : part.substr(kPrefix.size())) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

double degrees(double radians)
{
    return radians * 180 / std::numbers::pi;
}

} // namespace

StageHost::StageHost(Stage& stage, const Movie& movie, const Clock* clock)
    : m_stage(stage)
    , m_movie(movie)
    , m_clock(clock)
    , m_clockStart(clock ? clock->nanoseconds() : 0)
    , m_roundStart(std::chrono::steady_clock::now())
    , m_random(clock ? std::uint32_t(m_roundStart.time_since_epoch().count()) : 0)
{
}

ClipHandle StageHost::handleOf(DisplayObject& object)
{
    const ClipHandle handle {object.id()};
    // Its path is kept from the start, for references that outlive it.
    if (m_objects.try_emplace(object.id(), object.weak_from_this()).second && !object.isRemoved())
        targetPath(handle);
    return handle;
}

DisplayObject* StageHost::object(ClipHandle clip)
{
    const auto found = m_objects.find(clip.id);
    if (found == m_objects.end())
        return nullptr;
    const std::shared_ptr<DisplayObject> object = found->second.lock();
    // The stage keeps the living ones; a weak reference that still locks
    // but is off the stage, or inside something taken off it, is one
    // script may no longer reach.
    if (!object)
        return nullptr;
    const DisplayObject* top = object.get();
    for (; top->parent(); top = top->parent())
        if (top->isRemoved())
            return nullptr;
    if (m_stage.levelOf(*top) < 0)
        return nullptr;
    return object.get();
}

SpriteInstance* StageHost::sprite(ClipHandle clip)
{
    DisplayObject* found = object(clip);
    return found && isClip(*found) ? static_cast<SpriteInstance*>(found) : nullptr;
}

std::span<const std::uint8_t> StageHost::tagBody(const TagRef& tag) const
{
    return m_movie.bytes(tag.offset, tag.length);
}

namespace {

// The container whose movie `object` belongs to: itself when it places
// children, else its parent.
const Container* movieHolder(const DisplayObject& object)
{
    if (object.type() == DisplayObject::Type::Sprite || object.type() == DisplayObject::Type::Button)
        return static_cast<const Container*>(&object);
    return object.parent();
}

} // namespace

std::span<const std::uint8_t> StageHost::tagBody(const DisplayObject& owner, const TagRef& tag) const
{
    const Container* holder = movieHolder(owner);
    if (holder && holder->loadedMovie())
        return holder->loadedMovie()->tagBody(tag);
    return tagBody(tag);
}

const LoadedMovie* StageHost::movieOf(const DisplayObject& object) const
{
    const Container* holder = movieHolder(object);
    return holder ? holder->loadedMovie().get() : nullptr;
}

int StageHost::versionOf(const DisplayObject& object) const
{
    const Container* holder = movieHolder(object);
    return holder ? holder->swfVersion() : m_movie.header().version;
}

void StageHost::forget(ClipHandle clip)
{
    m_objects.erase(clip.id);
    m_paths.erase(clip.id);
    m_loaded.erase(clip.id);
    m_focusRects.erase(clip.id);
    m_transforms.erase(clip.id);
}

void StageHost::prune()
{
    // Objects taken off inside others are not announced one by one; their
    // entries go once the objects themselves are gone.
    if (m_objects.size() < m_pruneAt)
        return;
    std::erase_if(m_objects, [&](const auto& entry) {
        if (!entry.second.expired())
            return false;
        m_paths.erase(entry.first);
        m_focusRects.erase(entry.first);
        m_transforms.erase(entry.first);
        return true;
    });
    m_pruneAt = std::max<std::size_t>(kPruneFloor, m_objects.size() * 2);
}

void StageHost::reportOnce(std::string_view what)
{
    if (m_reported.emplace(std::string(what), true).second)
        diagnostic(std::string(what) + " is not supported yet; the script goes on without it");
}

void StageHost::trace(std::string_view line)
{
    if (m_traceSink)
        m_traceSink(line);
}

void StageHost::diagnostic(std::string_view message)
{
    m_stage.diagnostics().report(0, -1, "script: " + std::string(message));
}

double StageHost::timer()
{
    if (m_clock)
        return double(m_clock->nanoseconds() - m_clockStart) / 1e6;
    const double rate = m_movie.header().frameRate();
    return double(m_stage.tickCount()) * 1000.0 / (rate > 0 ? rate : 12.0);
}

double StageHost::currentTime()
{
    if (!m_clock)
        return kFixedMoment + timer();
    return double(QDateTime::currentMSecsSinceEpoch());
}

double StageHost::timezoneOffsetMinutes(double utcMilliseconds)
{
    if (!m_clock || !std::isfinite(utcMilliseconds))
        return 0;
    const QDateTime moment = QDateTime::fromMSecsSinceEpoch(qint64(utcMilliseconds), Qt::UTC);
    return QTimeZone::systemTimeZone().offsetFromUtc(moment) / 60.0;
}

double StageHost::random() { return m_random.unit(); }

double StageHost::randomBelow(double bound) { return m_random.below(bound); }

bool StageHost::scriptTimeExceeded()
{
    // Reproducible runs stop runaway scripts by the instruction budget,
    // which stops them at the same place every time.
    return m_clock && std::chrono::steady_clock::now() - m_roundStart > kScriptTimeLimit;
}

void StageHost::getUrl(std::string_view, std::string_view, UrlMethod)
{
    reportOnce("opening pages (getURL)");
}

void StageHost::fsCommand(std::string_view command, std::string_view)
{
    if (sameName(command, "quit", false))
        m_quit = true;
}

void StageHost::loadMovie(ClipHandle target, int level, std::string_view url, UrlMethod)
{
    loadClip(0, target, level, url);
}

namespace {

// Loaded text as script sees it: a byte order mark says UTF-8 or UTF-16,
// anything else is taken as it is (or in the desktop's own encoding when
// the movie set System.useCodepage); a zero ends it. Movies before
// version 6 take the bytes as they are, marks and all.
std::string loadedText(const QByteArray& bytes, int version, bool codepage)
{
    std::string text;
    if (version < 6) {
        text = bytes.toStdString();
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = bytes.mid(3).toStdString();
    } else if (bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xFF\xFE")) {
        const bool big = bytes[0] == '\xFE';
        QString decoded;
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
            const auto hi = std::uint8_t(bytes[big ? i : i + 1]);
            const auto lo = std::uint8_t(bytes[big ? i + 1 : i]);
            decoded += QChar(char16_t(hi << 8 | lo));
        }
        text = decoded.toStdString();
    } else if (codepage) {
        text = QString::fromLocal8Bit(bytes).toStdString();
    } else {
        text = bytes.toStdString();
    }
    if (const std::size_t zero = text.find('\0'); zero != std::string::npos)
        text.resize(zero);
    return text;
}

// The clip's own variables as a form sends them, for loadVariables
// with a method: name=value pairs, escaped.
std::string formOf(Machine& machine, Object* clip)
{
    std::string form;
    std::vector<Value> keys;
    machine.enumerate(clip, keys);
    for (const Value& key : keys) {
        const Value value = machine.get(clip, machine.toString(key));
        if (value.isObject())
            continue;
        const QByteArray name = QUrl::toPercentEncoding(QString::fromStdString(machine.toStdString(key)));
        const QByteArray text = QUrl::toPercentEncoding(QString::fromStdString(machine.toStdString(value)));
        form += (form.empty() ? "" : "&") + name.toStdString() + "=" + text.toStdString();
    }
    return form;
}

} // namespace

void StageHost::loadVariables(ClipHandle target, int level, std::string_view url, UrlMethod method)
{
    const ClipHandle into = target ? target : root(level);
    if (!m_machine || !into)
        return;
    Object* clip = m_machine->clipObject(into);
    const std::string form = method != UrlMethod::None && clip ? formOf(*m_machine, clip) : std::string();
    startLoad(*m_machine, m_machine->clipValue(into), url, Outgoing {method, form, {}, {}});
}

namespace {

// What a failed load's diagnostic says.
std::string failureOf(std::string_view url, const FetchOutcome& outcome)
{
    const bool refused = outcome.error.starts_with("refused: ");
    return "loading \"" + std::string(url) + "\" " + (refused ? outcome.error : "failed: " + outcome.error);
}

} // namespace

void StageHost::fetch(std::uint64_t id, std::string_view url, const Outgoing& outgoing)
{
    m_fetches.push_back({id, m_loads.start(url, outgoing), std::string(url)});
}

std::vector<Host::FetchResult> StageHost::finishedFetches()
{
    std::vector<FetchResult> done;
    std::vector<PendingFetch> waiting;
    for (PendingFetch& pending : std::exchange(m_fetches, {})) {
        std::optional<FetchOutcome> outcome = m_loads.take(pending.ticket);
        if (!outcome) {
            waiting.push_back(std::move(pending));
            continue;
        }
        FetchResult result {pending.id, outcome->ok, {}};
        if (outcome->ok) {
            result.bytes = std::size_t(outcome->bytes.size());
            result.data = loadedText(outcome->bytes, m_movie.header().version, usesCodepage());
        } else {
            diagnostic(failureOf(pending.url, *outcome));
        }
        // Only a load that went to the web has a server's answer to give,
        // 0 when none came; a refused one never went.
        if (outcome->address.starts_with("http") && !outcome->error.starts_with("refused: "))
            result.httpStatus = outcome->status;
        done.push_back(std::move(result));
    }
    // Fetches asked for while these were heard wait for the next boundary.
    waiting.insert(waiting.end(), std::make_move_iterator(m_fetches.begin()), std::make_move_iterator(m_fetches.end()));
    m_fetches = std::move(waiting);
    return done;
}

std::vector<Host::LoadProgress> StageHost::loadsUnderWay()
{
    std::vector<LoadProgress> underWay;
    const auto add = [&](std::uint64_t id, std::uint64_t ticket, bool clip) {
        const FetchProgress progress = m_loads.progress(ticket);
        if (id && progress.loaded > 0)
            underWay.push_back({id, double(progress.loaded), double(progress.total), clip});
    };
    for (const PendingFetch& pending : m_fetches)
        add(pending.id, pending.ticket, false);
    for (const PendingClipLoad& load : m_clipLoads)
        add(load.id, load.ticket, true);
    return underWay;
}

bool StageHost::usesCodepage()
{
    if (!m_machine)
        return false;
    const Value system = m_machine->get(Value::object(m_machine->global()), m_machine->intern("System"));
    const Property* flag = system.isObject() ? m_machine->findOwn(system.asObject(), m_machine->intern("useCodepage")) : nullptr;
    return flag && !flag->isAccessor() && flag->value.isBoolean() && flag->value.asBoolean();
}

void StageHost::loadClip(std::uint64_t id, ClipHandle target, int level, std::string_view url)
{
    const bool overLimit = m_clipLoads.size() >= kMaxPendingClipLoads;
    PendingClipLoad load {id, target ? target : root(level), level, overLimit ? std::string() : std::string(url), 0, false, overLimit};
    if (!load.url.empty())
        load.ticket = m_loads.start(load.url);
    m_clipLoads.push_back(std::move(load));
}

std::vector<Host::ClipLoadResult> StageHost::finishedClipLoads()
{
    std::vector<ClipLoadResult> done;
    std::vector<PendingClipLoad> waiting;
    for (PendingClipLoad& load : std::exchange(m_clipLoads, {})) {
        if (!load.read) {
            waiting.push_back((load.read = true, std::move(load)));
            continue;
        }
        std::optional<FetchOutcome> arrived = load.ticket ? m_loads.take(load.ticket) : FetchOutcome {};
        if (!arrived)
            waiting.push_back(std::move(load));
        else
            done.push_back(finishClipLoad(load, std::move(*arrived)));
    }
    // Loads asked for while these finished wait for the next boundary.
    waiting.insert(waiting.end(), std::make_move_iterator(m_clipLoads.begin()), std::make_move_iterator(m_clipLoads.end()));
    m_clipLoads = std::move(waiting);
    return done;
}

namespace {

// What the first bytes of a loaded file say it is.
enum class LoadedKind { Movie, Image, Other };

LoadedKind kindOf(const QByteArray& head)
{
    for (const char* signature : {"FWS", "CWS", "ZWS"})
        if (head.startsWith(signature))
            return LoadedKind::Movie;
    for (const char* signature : {"\xFF\xD8", "\x89PNG", "GIF8"})
        if (head.startsWith(signature))
            return LoadedKind::Image;
    return LoadedKind::Other;
}

} // namespace

Host::ClipLoadResult StageHost::finishClipLoad(const PendingClipLoad& load, FetchOutcome arrived)
{
    ClipLoadResult result {load.id, load.target, {}};
    const std::string where = load.level >= 0 ? "_level" + std::to_string(load.level) : targetPath(load.target);
    const auto fail = [&](std::string error, const std::string& why) {
        diagnostic("loading \"" + load.url + "\" into " + where + " failed: " + why);
        result.error = std::move(error);
        return result;
    };
    if (load.overLimit)
        return fail("URLNotFound", "more loads were asked for at once than a movie may wait for");
    const DisplayObject* target = object(load.target);
    // A level is loaded into whether or not a movie is there yet.
    const bool isLevel = load.level > 0 || (target && !target->parent());
    if (!target && load.level <= 0)
        return fail("URLNotFound", "nothing is there to load into");
    const int levelNumber = load.level > 0 ? load.level : target && !target->parent() ? m_stage.levelOf(*target) : 0;
    if (load.url.empty()) {
        // Level 0 stays, empty: the stage shows its colour and nothing else.
        if (isLevel && levelNumber > 0)
            m_stage.removeLevel(levelNumber);
        else
            result.clip = isLevel ? placeLevel(0, nullptr) : emptyInPlaceOf(load.target);
        return result;
    }
    if (!arrived.ok)
        return fail(arrived.found ? "LoadNeverCompleted" : "URLNotFound", arrived.error);
    const QByteArray& bytes = arrived.bytes;
    const LoadedKind kind = kindOf(bytes.first(std::min<qsizetype>(4, bytes.size())));
    const std::string& url = arrived.address;
    if (kind == LoadedKind::Movie) {
        std::string problem;
        std::shared_ptr<const LoadedMovie> movie = readMovie(bytes, url, problem);
        if (!movie)
            return fail("LoadNeverCompleted", problem);
        result.clip = isLevel ? placeLevel(levelNumber, movie) : movieInPlaceOf(load.target, movie);
        if (!result.clip)
            return fail("LoadNeverCompleted", "movies loaded into movies nest no deeper than this");
        result.bytesLoaded = result.bytesTotal = movie->byteLength();
        result.movie = true;
        m_loaded[result.clip.id] = {url, result.bytesTotal};
        return result;
    }
    std::shared_ptr<BitmapDefinition> image;
    if (kind == LoadedKind::Image) {
        // Decoded once here, against the movie's own budget for pixels, so
        // that a broken or oversized image fails now and not at every paint.
        image = std::make_shared<BitmapDefinition>(std::uint16_t(TagCode::DefineBitsJPEG2),
                                                   std::vector<std::uint8_t>(bytes.begin(), bytes.end()), std::vector<std::uint8_t> {},
                                                   m_stage.dictionary().memoryBudget());
        if (image->image().isNull())
            return fail("LoadNeverCompleted", "the image cannot be decoded, or is larger than a movie may show");
    }
    // Neither a movie nor an image leaves an empty clip in the target's
    // place, as the reference player does, as though the file held nothing.
    result.clip = isLevel ? placeLevel(levelNumber, nullptr) : emptyInPlaceOf(load.target);
    SpriteInstance* holder = sprite(result.clip);
    if (!holder)
        return fail("URLNotFound", "the target clip is gone");
    // What is not an image counts no bytes, as the reference reports it.
    if (image) {
        holder->placeChild(1, std::make_shared<BitmapInstance>(m_stage, 0, std::move(image)));
        result.bytesLoaded = result.bytesTotal = double(bytes.size());
    }
    m_loaded[result.clip.id] = {url, result.bytesTotal};
    return result;
}

std::shared_ptr<const LoadedMovie> StageHost::readMovie(const QByteArray& bytes, const std::string& url, std::string& problem)
{
    // What loaded movies still on stage hold counts against one cap, so a
    // movie loading itself over and over runs out of room, not memory.
    // Code is compiled once per place in memory: a new movie may sit where
    // one let go of did, so what was compiled from that one goes.
    if (std::erase_if(m_loadedMovies, [](const auto& movie) { return movie.expired(); }) > 0 && m_machine)
        m_machine->forgetCompiled();
    std::size_t held = 0;
    for (const auto& weak : m_loadedMovies)
        if (const auto movie = weak.lock())
            held += movie->streamSize();
    if (held >= kMaxLoadedMovieBytes || m_loadedMovies.size() >= kMaxLoadedMovies) {
        problem = "the movies loaded so far take all the room loaded movies may have";
        return nullptr;
    }
    const auto data = std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    std::shared_ptr<const LoadedMovie> movie = LoadedMovie::read(data, url, kMaxLoadedMovieBytes - held, m_stage.dictionary().memoryBudget(),
                                                                 m_stage.diagnostics(), problem);
    if (!movie) {
        problem = "not a movie this player can show: " + problem;
        return nullptr;
    }
    m_loadedMovies.push_back(movie);
    return movie;
}

ClipHandle StageHost::placeLevel(int number, const std::shared_ptr<const LoadedMovie>& movie)
{
    // Without a movie, an empty clip: one an image is shown in, or what an
    // unloaded level 0 leaves.
    auto made = std::make_shared<SpriteInstance>(m_stage, 0, nullptr, movie ? movie->script() : emptyScript(), 0);
    if (movie) {
        made->setLoadedMovie(movie);
        made->setFrames(movie->framesLoaded(), movie->framesLoaded());
    }
    // A movie in level 0 takes the main movie's place and every level
    // goes with it.
    if (m_machine && number == 0)
        for (const auto& [above, level] : m_stage.levels())
            m_machine->clipRemoved(handleOf(*level));
    if (m_machine)
        if (const ClipHandle old = root(number))
            m_machine->clipRemoved(old);
    SpriteInstance& placed = *made;
    if (number == 0)
        m_stage.replaceRoot(std::move(made));
    else
        m_stage.setLevel(number, std::move(made));
    // The main movie's first variable is the new one's too.
    if (m_machine && number == 0 && movie)
        if (Object* self = m_machine->clipObject(handleOf(placed)))
            m_machine->set(self, "$version", Value::string(m_machine->intern(kPlayerVersion)));
    placed.gotoFrame(0);
    return handleOf(placed);
}

ClipHandle StageHost::emptyInPlaceOf(ClipHandle target)
{
    return movieInPlaceOf(target, nullptr);
}

ClipHandle StageHost::movieInPlaceOf(ClipHandle target, const std::shared_ptr<const LoadedMovie>& movie)
{
    DisplayObject* old = object(target);
    auto* parent = old ? dynamic_cast<SpriteInstance*>(old->parent()) : nullptr;
    if (!parent || (movie && parent->nesting() >= Stage::kMaxNesting))
        return {};
    auto made = std::make_shared<SpriteInstance>(m_stage, 0, nullptr, movie ? movie->script() : emptyScript(), parent->nesting() + 1);
    if (movie) {
        made->setLoadedMovie(movie);
        made->setFrames(movie->framesLoaded(), movie->framesLoaded());
    }
    made->setPlacement(old->placement());
    made->setOrigin(old->origin());
    // A clip that locked _root to itself keeps it locked for the movie it
    // loads: that is what the lock is for.
    Value locked;
    if (m_machine && movie)
        if (Object* self = m_machine->clipObject(target))
            if (const Property* lock = m_machine->findOwn(self, m_machine->intern("_lockroot")); lock && !lock->isAccessor())
                locked = lock->value;
    // Script's references to the old clip find the new one by its path
    // from now on, not only once the stage announces the removal.
    if (m_machine)
        m_machine->clipRemoved(target);
    SpriteInstance& placed = *made;
    parent->placeChild(old->depth(), std::move(made));
    if (m_machine && !locked.isUndefined())
        if (Object* self = m_machine->clipObject(handleOf(placed)))
            m_machine->set(self, "_lockroot", locked);
    // Entered once in its place, so that its first frame's code runs as
    // the clip it is, with its name and parent.
    placed.gotoFrame(0);
    return handleOf(placed);
}

ClipHandle StageHost::root(int level)
{
    return level >= 0 ? handleOf(m_stage.level(level)) : ClipHandle {};
}

ClipHandle StageHost::parent(ClipHandle clip)
{
    DisplayObject* found = object(clip);
    return found ? handleOf(found->parent()) : ClipHandle {};
}

ClipHandle StageHost::child(ClipHandle clip, std::string_view name, bool caseSensitive)
{
    const SpriteInstance* container = sprite(clip);
    if (!container || name.empty())
        return {};
    const int version = m_movie.header().version;
    for (const auto& each : container->children()) {
        if (!sameName(each->name(), name, caseSensitive))
            continue;
        if (isScriptable(*each, version))
            return handleOf(*each);
        // Before version 6 a field is no object of its own: its name
        // stands for the clip it is on, as the reference player answers.
        if (each->type() == DisplayObject::Type::EditText)
            return clip;
    }
    return {};
}

void StageHost::childNames(ClipHandle clip, std::vector<std::string>& names)
{
    const SpriteInstance* container = sprite(clip);
    if (!container)
        return;
    // Deepest first: the one placed last on top is listed first.
    for (auto it = container->children().rbegin(); it != container->children().rend(); ++it)
        if (isScriptable(**it, m_movie.header().version) && !(*it)->name().empty())
            names.push_back((*it)->name());
}

bool StageHost::alive(ClipHandle clip)
{
    return object(clip) != nullptr;
}

ClipHandle StageHost::findClip(std::string_view path)
{
    ClipHandle at;
    bool first = true;
    while (!path.empty() || first) {
        const std::size_t dot = path.find('.');
        const std::string_view part = path.substr(0, dot);
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
        if (first) {
            const std::optional<int> number = levelNumber(part);
            if (!number)
                return {};
            at = root(*number);
            first = false;
        } else {
            at = child(at, part, false);
        }
        if (!at)
            return {};
    }
    return at;
}

std::string StageHost::targetPath(ClipHandle clip)
{
    DisplayObject* found = object(clip);
    if (!found) {
        const auto known = m_paths.find(clip.id);
        return known != m_paths.end() ? known->second : std::string();
    }
    std::vector<const DisplayObject*> chain;
    const DisplayObject* top = found;
    for (; top->parent(); top = top->parent())
        chain.push_back(top);
    std::string path = "_level" + std::to_string(std::max(0, m_stage.levelOf(*top)));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        path += '.' + (*it)->name();
    m_paths[clip.id] = path;
    return path;
}

ClipHandle StageHost::rootOf(ClipHandle clip)
{
    DisplayObject* found = object(clip);
    if (!found)
        return root(0);
    // _lockroot counts from version 7 on: for code of that version, or a
    // clip locked by a movie of that version.
    if (m_machine) {
        String* lock = m_machine->intern("_lockroot");
        for (DisplayObject* up = found; up->parent(); up = up->parent()) {
            if (m_machine->version() < 7 && versionOf(*up->parent()) < 7)
                continue;
            Object* self = m_machine->clipObject(handleOf(*up));
            const Property* locked = self ? m_machine->findOwn(self, lock) : nullptr;
            if (locked && !locked->isAccessor() && m_machine->toBoolean(locked->value))
                return handleOf(*up);
        }
    }
    return root(level(clip));
}

int StageHost::level(ClipHandle clip)
{
    const DisplayObject* top = object(clip);
    if (!top)
        return 0;
    while (top->parent())
        top = top->parent();
    return std::max(0, m_stage.levelOf(*top));
}

HostValue StageHost::property(ClipHandle clip, ClipProperty property)
{
    DisplayObject* found = object(clip);
    if (!found)
        return {};
    // Asking where a field that sizes itself is settles that size, as the
    // reference player lays such a field out then.
    if (const EditTextInstance* field = textField(clip); field && field->field().autoSize)
        field->layout();
    const Matrix& m = found->matrix();
    const SpriteInstance* asSprite = isClip(*found) ? static_cast<SpriteInstance*>(found) : nullptr;
    switch (property) {
    case ClipProperty::X: return m.tx / kTwips;
    case ClipProperty::Y: return m.ty / kTwips;
    case ClipProperty::XScale: return scaleAndRotation(*found).xScale;
    case ClipProperty::YScale: return scaleAndRotation(*found).yScale;
    case ClipProperty::Rotation: return scaleAndRotation(*found).rotation;
    case ClipProperty::Width:
    case ClipProperty::Height: {
        const std::optional<QRectF> area = boundsThrough(*found, m);
        if (!area)
            return 0.0;
        // The reference player keeps bounds in whole twips.
        const auto span = [](double from, double to) { return (std::round(to) - std::round(from)) / kTwips; };
        return property == ClipProperty::Width ? span(area->left(), area->right()) : span(area->top(), area->bottom());
    }
    case ClipProperty::Alpha: return found->colorTransform().aMult * 100.0 / 256;
    case ClipProperty::Visible: return found->isVisible();
    case ClipProperty::Name: return found->name();
    case ClipProperty::CurrentFrame: return asSprite ? double(std::max(0, asSprite->currentFrame()) + 1) : 1.0;
    case ClipProperty::TotalFrames: return asSprite ? double(asSprite->totalFrames()) : 1.0;
    case ClipProperty::FramesLoaded: return asSprite ? double(asSprite->framesLoaded()) : 1.0;
    case ClipProperty::Url: {
        const auto loaded = m_loaded.find(clip.id);
        if (loaded != m_loaded.end())
            return loaded->second.url;
        // What a loaded movie places has the movie's address.
        const LoadedMovie* movie = movieOf(*found);
        return movie ? movie->url() : std::string();
    }
    case ClipProperty::Quality: return std::string("HIGH");
    case ClipProperty::HighQuality: return 1.0;
    case ClipProperty::SoundBufTime: return 5.0;
    case ClipProperty::DropTarget: return dropTargetPath();
    case ClipProperty::XMouse:
    case ClipProperty::YMouse: {
        const std::optional<QPointF> local = toLocal(*found, m_stage.input().pointer());
        if (!local)
            return 0.0;
        return (property == ClipProperty::XMouse ? local->x() : local->y()) / kTwips;
    }
    case ClipProperty::FocusRect: {
        const auto own = m_focusRects.find(clip.id);
        if (own != m_focusRects.end())
            return own->second;
        // The main movie's stands for every object's that was never set.
        return found->parent() ? HostValue() : HostValue(true);
    }
    default: return 0.0;
    }
}

void StageHost::setProperty(ClipHandle clip, ClipProperty property, const HostValue& value)
{
    DisplayObject* found = object(clip);
    if (!found)
        return;
    if (property == ClipProperty::Name) {
        if (const std::string* name = std::get_if<std::string>(&value))
            found->setName(*name);
        return;
    }
    if (property == ClipProperty::Visible) {
        if (const bool* visible = std::get_if<bool>(&value))
            found->setVisible(*visible);
        return;
    }
    const double* number = std::get_if<double>(&value);
    // From version 6 an endless angle leaves the clip as it is but reads
    // back as no number at all.
    if (number && std::isinf(*number) && property == ClipProperty::Rotation && m_stage.swfVersion() >= 6) {
        ScriptTransform kept = scaleAndRotation(*found);
        kept.rotation = std::numeric_limits<double>::quiet_NaN();
        kept.matrix = found->matrix();
        m_transforms[clip.id] = kept;
        return;
    }
    if (!number)
        return;
    const bool placesField = textField(clip) && (property == ClipProperty::X || property == ClipProperty::Y ||
                                                 property == ClipProperty::Width || property == ClipProperty::Height);
    double fieldPixels = 0;
    if (placesField) {
        // A field's place and size are whole twips in the reference
        // player's 32-bit numbers: an infinite one is 0, a huge one wraps
        // round. A negative size is refused before that.
        const bool size = property == ClipProperty::Width || property == ClipProperty::Height;
        if (size && *number < 0)
            return;
        fieldPixels = std::isfinite(*number) ? wrappedTwips(*number * kTwips) / kTwips : 0;
        number = &fieldPixels;
    }
    if (!std::isfinite(*number))
        return;
    if (property == ClipProperty::FocusRect) {
        m_focusRects[clip.id] = *number != 0;
        setFocus(m_focus);
        return;
    }
    Matrix m = found->matrix();
    if (property == ClipProperty::XScale || property == ClipProperty::YScale || property == ClipProperty::Rotation) {
        // Script's own values are kept, sign and all, for as long as the
        // matrix is the one they made; the matrix keeps its skew.
        ScriptTransform kept = scaleAndRotation(*found);
        const double skew = std::atan2(-m.c, m.d) - std::atan2(m.b, m.a);
        if (property == ClipProperty::XScale)
            kept.xScale = *number;
        else if (property == ClipProperty::YScale)
            kept.yScale = *number;
        else
            kept.rotation = std::remainder(*number, 360);
        // An angle read back as no number leaves the matrix's own.
        const double xAngle = std::isnan(kept.rotation) ? std::atan2(m.b, m.a) : kept.rotation * std::numbers::pi / 180;
        const double yAngle = xAngle + (std::isfinite(skew) ? skew : 0);
        m.a = kept.xScale / 100 * std::cos(xAngle);
        m.b = kept.xScale / 100 * std::sin(xAngle);
        m.c = -kept.yScale / 100 * std::sin(yAngle);
        m.d = kept.yScale / 100 * std::cos(yAngle);
        found->setMatrix(m);
        kept.matrix = found->matrix();
        m_transforms[clip.id] = kept;
        return;
    }
    switch (property) {
    case ClipProperty::X: m.tx = std::round(*number * kTwips); break;
    case ClipProperty::Y: m.ty = std::round(*number * kTwips); break;
    case ClipProperty::Width:
    case ClipProperty::Height: {
        if (auto* field = textField(clip)) {
            resizeField(*field, property == ClipProperty::Width, *number);
            return;
        }
        // A size is a scale that gives it. A clip with nothing in it has
        // none to give: the reference player scales it to nothing both
        // ways, and what it holds later shows at no size.
        const std::optional<QRectF> area = boundsThrough(*found, m);
        if (!area) {
            m.a = m.b = m.c = m.d = 0;
            break;
        }
        const bool wide = property == ClipProperty::Width;
        const double now = wide ? area->width() : area->height();
        if (!(now > 0))
            return;
        const double factor = *number * kTwips / now;
        if (wide) {
            m.a *= factor;
            m.b *= factor;
        } else {
            m.c *= factor;
            m.d *= factor;
        }
        break;
    }
    case ClipProperty::Alpha: {
        ColorTransform transform = found->colorTransform();
        transform.aMult = int(std::clamp(std::round(*number * 256 / 100), -32768.0, 32767.0));
        found->setColorTransform(transform);
        return;
    }
    default: return;
    }
    found->setMatrix(m);
}

StageHost::ScriptTransform StageHost::scaleAndRotation(const DisplayObject& object) const
{
    const Matrix& m = object.matrix();
    if (const auto kept = m_transforms.find(object.id()); kept != m_transforms.end() && kept->second.matrix == m)
        return kept->second;
    return {std::hypot(m.a, m.b) * 100, std::hypot(m.c, m.d) * 100, degrees(std::atan2(m.b, m.a)), m};
}

void StageHost::play(ClipHandle clip)
{
    if (SpriteInstance* s = sprite(clip))
        s->play();
}

void StageHost::stop(ClipHandle clip)
{
    if (SpriteInstance* s = sprite(clip))
        s->stop();
}

void StageHost::gotoFrame(ClipHandle clip, int frame, bool andPlay)
{
    SpriteInstance* s = sprite(clip);
    if (!s)
        return;
    const int last = s->framesLoaded() - 1;
    if (last < 0)
        return;
    const int target = std::clamp(frame, 0, last);
    if (target != s->currentFrame())
        s->gotoFrame(target);
    andPlay ? s->play() : s->stop();
}

std::optional<int> StageHost::frameOfLabel(ClipHandle clip, std::string_view label)
{
    const SpriteInstance* s = sprite(clip);
    if (!s)
        return std::nullopt;
    for (const FrameLabel& each : s->script().labels)
        if (sameName(each.name, label, false))
            return each.frame;
    for (const Scene& scene : s->script().scenes)
        if (sameName(scene.name, label, false))
            return scene.firstFrame;
    return std::nullopt;
}

bool StageHost::gotoLabel(ClipHandle clip, std::string_view label, bool andPlay)
{
    const std::optional<int> frame = frameOfLabel(clip, label);
    if (!frame)
        return false;
    gotoFrame(clip, *frame, andPlay);
    return true;
}

void StageHost::callFrame(ClipHandle clip, int frame)
{
    SpriteInstance* s = sprite(clip);
    if (!s || !m_machine || frame < 0 || frame >= s->framesLoaded())
        return;
    // The frame's commands may change as a movie loads; run from a copy
    // of the tags so that script cannot pull them from under the loop.
    std::vector<TagRef> actions;
    for (const FrameCommand& command : s->script().frames[std::size_t(frame)])
        if (const auto* tag = std::get_if<CarriedTag>(&command); tag && tag->code == TagCode::DoAction)
            actions.push_back(*tag);
    const int version = versionOf(*s);
    for (const TagRef& tag : actions)
        m_machine->runActions(tagBody(*s, tag), clip, version);
}

void StageHost::nextFrame(ClipHandle clip)
{
    if (SpriteInstance* s = sprite(clip))
        gotoFrame(clip, std::min(s->currentFrame() + 1, s->framesLoaded() - 1), false);
}

void StageHost::previousFrame(ClipHandle clip)
{
    if (SpriteInstance* s = sprite(clip))
        gotoFrame(clip, std::max(s->currentFrame() - 1, 0), false);
}

int StageHost::currentFrame(ClipHandle clip)
{
    const SpriteInstance* s = sprite(clip);
    return s ? std::max(0, s->currentFrame()) : 0;
}

int StageHost::totalFrames(ClipHandle clip)
{
    const SpriteInstance* s = sprite(clip);
    return s ? s->totalFrames() : 0;
}

int StageHost::framesLoaded(ClipHandle clip)
{
    const SpriteInstance* s = sprite(clip);
    return s ? s->framesLoaded() : 0;
}

namespace {

// A clip made from nothing (by script, or left by a load) holds none of
// the movie's bytes.
bool holdsMovieBytes(const DisplayObject* object)
{
    return object && (!object->parent() || object->characterId() != 0);
}

} // namespace

int StageHost::swfVersion(ClipHandle clip)
{
    const DisplayObject* found = object(clip);
    return found ? versionOf(*found) : -1;
}

double StageHost::bytesLoaded(ClipHandle clip)
{
    if (const auto loaded = m_loaded.find(clip.id); loaded != m_loaded.end())
        return loaded->second.bytes;
    return holdsMovieBytes(object(clip)) ? double(m_movie.stream().size()) : 0;
}

double StageHost::bytesTotal(ClipHandle clip)
{
    if (const auto loaded = m_loaded.find(clip.id); loaded != m_loaded.end())
        return loaded->second.bytes;
    return holdsMovieBytes(object(clip)) ? double(m_movie.header().fileLength) : 0;
}

ClipHandle StageHost::placeMade(SpriteInstance& parent, std::shared_ptr<DisplayObject> made, std::string_view name, int depth)
{
    if (!made)
        return {};
    made->setName(std::string(name));
    // A clip made from nothing belongs to the movie it is made in.
    if (auto* holder = dynamic_cast<Container*>(made.get()); holder && !holder->loadedMovie())
        holder->setLoadedMovie(parent.loadedMovie());
    DisplayObject& placed = *made;
    // Whatever sat at the depth goes, as the reference player replaces it.
    const std::shared_ptr<DisplayObject> old = parent.sharedChildAt(depth + kDepthOffset);
    const std::vector<ClipHandle> going = old ? withPaths(*old) : std::vector<ClipHandle> {};
    parent.placeChild(depth + kDepthOffset, std::move(made));
    dangle(going);
    return handleOf(placed);
}

ClipHandle StageHost::attachMovie(ClipHandle parentClip, std::string_view exportName, std::string_view name, int depth, bool empty)
{
    SpriteInstance* parent = sprite(parentClip);
    if (!parent || depth < -kDepthOffset || depth > kMaxScriptDepth)
        return {};
    // Each movie's clips attach from its own library; the main movie's
    // exports only once its timeline has passed them.
    const Dictionary& library = parent->dictionary();
    const std::optional<std::uint16_t> id =
        &library == &m_stage.dictionary() ? m_stage.passedExport(std::string(exportName)) : library.exported(std::string(exportName));
    if (!id)
        return {};
    std::shared_ptr<DisplayObject> made = m_stage.instantiate(*id, parent->nesting() + 1, parent->loadedMovie(), !empty);
    if (!made || !isClip(*made))
        return {};
    return placeMade(*parent, std::move(made), name, depth);
}

void StageHost::fillFirstFrame(ClipHandle clip)
{
    if (SpriteInstance* made = sprite(clip); made && made->currentFrame() < 0)
        made->gotoFrame(0);
}

ClipHandle StageHost::createEmptyMovieClip(ClipHandle parentClip, std::string_view name, int depth)
{
    SpriteInstance* parent = sprite(parentClip);
    // A script making clips without end stops getting them where the
    // timeline would.
    // Below the timeline's depths too, as the reference player allows.
    if (!parent || depth < -kMaxScriptDepth || depth > kMaxScriptDepth || parent->nesting() >= Stage::kMaxNesting
        || m_stage.budget().spent())
        return {};
    auto made = std::make_shared<SpriteInstance>(m_stage, 0, nullptr, emptyScript(), parent->nesting() + 1);
    made->gotoFrame(0);
    return placeMade(*parent, std::move(made), name, depth);
}

ClipHandle StageHost::createTextField(ClipHandle parentClip, std::string_view name, int depth, const HostRect& area)
{
    SpriteInstance* parent = sprite(parentClip);
    if (!parent || depth < -kDepthOffset || depth > kMaxScriptDepth || m_stage.budget().spent())
        return {};
    const auto twips = [](double pixels) {
        constexpr double kFar = 1 << 26; // pixels as far as twips reach
        return std::int32_t(std::lround(std::clamp(std::isfinite(pixels) ? pixels : 0.0, -kFar, kFar) * kTwips));
    };
    auto definition = std::make_shared<EditTextDefinition>();
    EditText& field = definition->field;
    // Script gives the field's corner and size; its own space starts at
    // the corner, which is where its placement puts it.
    field.bounds = {0, twips(std::max(0.0, area.xMax - area.xMin)), 0, twips(std::max(0.0, area.yMax - area.yMin))};
    auto made = std::make_shared<EditTextInstance>(m_stage, 0, std::move(definition), nullptr);
    Matrix at;
    at.tx = twips(area.xMin);
    at.ty = twips(area.yMin);
    made->setMatrix(at);
    return placeMade(*parent, std::move(made), name, depth);
}


EditTextInstance* StageHost::textField(ClipHandle clip)
{
    DisplayObject* found = object(clip);
    return found && found->type() == DisplayObject::Type::EditText ? static_cast<EditTextInstance*>(found) : nullptr;
}

std::vector<HostCharacter> StageHost::staticText(ClipHandle clip)
{
    std::vector<HostCharacter> out;
    const SpriteInstance* container = sprite(clip);
    if (!container)
        return out;
    const auto fonts = [this](std::uint16_t id) { return m_stage.dictionary().font(id); };
    for (const auto& each : container->children()) {
        const auto* text = each->type() == DisplayObject::Type::StaticText
            ? dynamic_cast<const StaticTextDefinition*>(each->character().get())
            : nullptr;
        if (!text)
            continue;
        const QTransform place = each->matrix().toTransform();
        for (const StaticCharacter& c : staticCharacters(text->text, fonts)) {
            const QRectF box = place.mapRect(c.box);
            out.push_back({c.code, {box.left() / 20, box.top() / 20, box.right() / 20, box.bottom() / 20}, c.startsLine});
        }
    }
    return out;
}

void StageHost::setFocus(ClipHandle clip)
{
    // A field shows its caret and selection while it has the keyboard.
    if (EditTextInstance* old = textField(focus()))
        old->setFocused(false);
    m_focus = clip;
    if (EditTextInstance* now = textField(clip))
        now->setFocused(true);
    DisplayObject* found = object(clip);
    const bool framed = found && (found->type() == DisplayObject::Type::Button || found->type() == DisplayObject::Type::Sprite) &&
        showsFocusRect(*found);
    m_stage.input().setFocusHighlight(framed ? found : nullptr);
}

bool StageHost::showsFocusRect(const DisplayObject& object) const
{
    for (const std::uint64_t id : {object.id(), m_stage.root() ? m_stage.root()->id() : 0}) {
        const auto set = m_focusRects.find(id);
        if (set != m_focusRects.end())
            return set->second;
    }
    return true;
}

VideoInstance* StageHost::video(ClipHandle clip)
{
    DisplayObject* found = object(clip);
    return found && found->type() == DisplayObject::Type::Video ? static_cast<VideoInstance*>(found) : nullptr;
}

bool StageHost::isButton(ClipHandle clip)
{
    const DisplayObject* found = object(clip);
    return found && found->type() == DisplayObject::Type::Button;
}

void StageHost::resizeField(EditTextInstance& field, bool wide, double pixels)
{
    // A field takes no negative size; the reference player leaves it.
    if (pixels < 0)
        return;
    const auto twips = std::int64_t(std::llround(std::min(pixels * kTwips, 2147483647.0)));
    const auto edge = [twips](std::int32_t from) {
        return std::int32_t(std::clamp<std::int64_t>(from + twips, INT32_MIN, INT32_MAX));
    };
    field.editField([&](EditText& f) {
        if (wide)
            f.bounds.xMax = edge(f.bounds.xMin);
        else
            f.bounds.yMax = edge(f.bounds.yMin);
    });
}

ClipHandle StageHost::duplicateMovieClip(ClipHandle clip, std::string_view name, int depth)
{
    SpriteInstance* original = sprite(clip);
    // The root cannot be duplicated.
    if (!original || !original->parent() || depth < -kDepthOffset || depth > kMaxScriptDepth)
        return {};
    auto* parent = dynamic_cast<SpriteInstance*>(original->parent());
    if (!parent || parent->nesting() >= Stage::kMaxNesting)
        return {};
    // A clip script made from nothing is made again from nothing.
    std::shared_ptr<DisplayObject> made;
    if (original->characterId() == 0) {
        if (m_stage.budget().spent())
            return {};
        made = std::make_shared<SpriteInstance>(m_stage, 0, nullptr, emptyScript(), parent->nesting() + 1);
        static_cast<SpriteInstance&>(*made).gotoFrame(0);
    } else {
        made = m_stage.instantiate(original->characterId(), parent->nesting() + 1, parent->loadedMovie());
    }
    if (!made)
        return {};
    made->setPlacement(original->placement());
    // The copy starts with what script drew into the original.
    if (auto* copy = dynamic_cast<SpriteInstance*>(made.get()))
        copy->changeDrawing() = original->drawing();
    DisplayObject& copy = *made;
    const ClipHandle handle = placeMade(*parent, std::move(made), name, depth);
    if (m_scripts)
        m_scripts->duplicated(*original, copy);
    return handle;
}

ClipDrawing* StageHost::drawing(ClipHandle clip)
{
    SpriteInstance* found = sprite(clip);
    return found ? &found->changeDrawing() : nullptr;
}

std::vector<Filter> StageHost::filters(ClipHandle clip)
{
    const DisplayObject* found = object(clip);
    return found && found->filters() ? *found->filters() : std::vector<Filter>();
}

void StageHost::setFilters(ClipHandle clip, std::vector<Filter> filters)
{
    if (DisplayObject* found = object(clip))
        found->setFilters(filters.empty() ? nullptr : std::make_shared<const std::vector<Filter>>(std::move(filters)));
}

bool StageHost::attachBitmap(ClipHandle parentClip, std::shared_ptr<BitmapCanvas> canvas, int depth, bool smoothing)
{
    SpriteInstance* parent = sprite(parentClip);
    if (!parent || !canvas || depth < -kDepthOffset || depth > kMaxScriptDepth || m_stage.budget().spent())
        return false;
    auto made = std::make_shared<BitmapDataInstance>(m_stage, canvas, smoothing);
    canvas->addViewer(made);
    placeMade(*parent, std::move(made), {}, depth);
    return true;
}

bool StageHost::exportedBitmap(std::string_view name, QImage& pixels)
{
    const std::optional<std::uint16_t> id = m_stage.passedExport(std::string(name));
    const auto character = id ? m_stage.dictionary().find(*id) : nullptr;
    if (!character || character->kind() != Character::Kind::Bitmap)
        return false;
    pixels = static_cast<const BitmapDefinition&>(*character).image().convertToFormat(QImage::Format_ARGB32);
    return !pixels.isNull();
}

std::shared_ptr<MemoryBudget> StageHost::bitmapBudget()
{
    return m_stage.dictionary().memoryBudget();
}

namespace {

ColorTransform fixedColorTransform(const HostColorTransform& t)
{
    // Kept in the 8.8 form movies store, bounded so that no product of
    // terms overflows.
    const auto fixed = [](double value, double scale) {
        return std::isfinite(value) ? int(std::clamp(std::trunc(value * scale), -32768.0, 32767.0)) : 0;
    };
    return {fixed(t.redMultiplier, 256), fixed(t.greenMultiplier, 256), fixed(t.blueMultiplier, 256), fixed(t.alphaMultiplier, 256),
            fixed(t.redOffset, 1),       fixed(t.greenOffset, 1),       fixed(t.blueOffset, 1),       fixed(t.alphaOffset, 1)};
}

QTransform transformOf(const HostMatrix& m)
{
    return {m.a, m.b, m.c, m.d, m.tx, m.ty};
}

} // namespace

bool StageHost::drawClip(ClipHandle clip, QImage& target, const HostMatrix& matrix, const HostColorTransform& cxform, bool smoothing)
{
    const SpriteInstance* found = sprite(clip);
    if (!found || !m_painter.drawClip)
        return false;
    // The clip's twips to its pixels, then where script puts them.
    const QTransform toTarget = QTransform::fromScale(1.0 / kTwips, 1.0 / kTwips) * transformOf(matrix);
    return m_painter.drawClip(*found, target, toTarget, fixedColorTransform(cxform), smoothing);
}

bool StageHost::drawPixels(const QImage& pixels, QImage& target, const HostMatrix& matrix, const HostColorTransform& cxform,
                           bool smoothing)
{
    QImage source = pixels.convertToFormat(QImage::Format_ARGB32);
    const ColorTransform t = fixedColorTransform(cxform);
    if (!t.isIdentity()) {
        for (int y = 0; y < source.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(source.scanLine(y));
            for (int x = 0; x < source.width(); ++x) {
                if (qAlpha(line[x]) == 0)
                    continue; // offsets colour only what the bitmap covers
                const Color c = t.apply({std::uint8_t(qRed(line[x])), std::uint8_t(qGreen(line[x])), std::uint8_t(qBlue(line[x])),
                                         std::uint8_t(qAlpha(line[x]))});
                line[x] = qRgba(c.r, c.g, c.b, c.a);
            }
        }
    }
    QPainter painter(&target);
    if (!painter.isActive())
        return false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothing);
    painter.setTransform(transformOf(matrix));
    painter.drawImage(0, 0, source);
    return true;
}

bool StageHost::applyFilter(QImage& layer, const Filter& filter)
{
    return m_painter.applyFilter && m_painter.applyFilter(layer, filter);
}

void StageHost::removeMovieClip(ClipHandle clip)
{
    DisplayObject* found = object(clip);
    if (!found || !found->parent() || found->depth() - kDepthOffset < kMinRemovableDepth
        || found->depth() - kDepthOffset > kMaxRemovableDepth)
        return;
    const std::vector<ClipHandle> going = withPaths(*found);
    const std::shared_ptr<DisplayObject> held = found->shared_from_this();
    found->parent()->removeChild(found->depth());
    if (held->isRemoved())
        dangle(going);
}

// Script's references to a clip script takes away, and to what it holds,
// dangle at once, each remembering the path it had.
std::vector<ClipHandle> StageHost::withPaths(DisplayObject& top)
{
    std::vector<ClipHandle> handles;
    const auto collect = [&](auto& self, DisplayObject& at) -> void {
        handles.push_back(handleOf(at));
        targetPath(handles.back());
        if (const auto* inside = dynamic_cast<SpriteInstance*>(&at))
            for (const auto& child : inside->children())
                self(self, *child);
    };
    collect(collect, top);
    return handles;
}

void StageHost::dangle(const std::vector<ClipHandle>& handles)
{
    if (m_machine)
        for (const ClipHandle each : handles)
            m_machine->clipRemoved(each);
}

// A clip script has moved is the script's from then on: the timeline that
// placed it no longer takes it away or brings it back on a jump.
void StageHost::swapDepths(ClipHandle clip, int depth)
{
    DisplayObject* found = object(clip);
    if (!found || !found->parent() || depth < -kDepthOffset || depth >= kMaxScriptDepth)
        return;
    if (DisplayObject* other = found->parent()->childAt(depth + kDepthOffset))
        other->setOrigin({});
    found->setOrigin({});
    found->parent()->moveChild(found->depth(), depth + kDepthOffset);
}

void StageHost::swapDepthsWith(ClipHandle clip, ClipHandle with)
{
    DisplayObject* found = object(clip);
    const DisplayObject* other = object(with);
    if (!found || !other || found == other || !found->parent() || found->parent() != other->parent())
        return;
    swapDepths(clip, other->depth() - kDepthOffset);
}

void StageHost::setMask(ClipHandle clip, ClipHandle mask)
{
    if (DisplayObject* found = object(clip))
        found->setScriptMask(mask ? object(mask) : nullptr);
}

int StageHost::depth(ClipHandle clip)
{
    const DisplayObject* found = object(clip);
    return found ? found->depth() - kDepthOffset : 0;
}

int StageHost::nextHighestDepth(ClipHandle clip)
{
    const SpriteInstance* s = sprite(clip);
    if (!s || s->children().empty())
        return 0;
    return std::max(0, s->children().back()->depth() - kDepthOffset + 1);
}

ClipHandle StageHost::instanceAtDepth(ClipHandle clip, int depth)
{
    const SpriteInstance* s = sprite(clip);
    DisplayObject* found = s ? s->childAt(depth + kDepthOffset) : nullptr;
    if (!found)
        return {};
    // What script cannot reach (a shape, a bitmap) answers as its clip: the
    // depth is taken all the same.
    return isScriptable(*found, m_movie.header().version) ? handleOf(*found) : clip;
}

std::string StageHost::exportName(ClipHandle clip)
{
    const DisplayObject* found = object(clip);
    const auto* parent = found ? dynamic_cast<const SpriteInstance*>(found->parent()) : nullptr;
    if (!parent || !isClip(*found) || !found->characterId())
        return {};
    return parent->dictionary().exportNameOf(found->characterId());
}

HostRect StageHost::bounds(ClipHandle clip, ClipHandle space)
{
    const DisplayObject* found = object(clip);
    if (!found)
        return {};
    // Into the other clip's space through the stage's.
    Matrix toSpace;
    if (const DisplayObject* other = space ? object(space) : nullptr; other && other != found) {
        bool invertible = false;
        const QTransform inverse = concatenated(*other).toTransform().inverted(&invertible);
        const QTransform through = concatenated(*found).toTransform() * inverse;
        if (invertible)
            toSpace = {through.m11(), through.m12(), through.m21(), through.m22(), through.dx(), through.dy()};
    }
    const std::optional<QRectF> area = boundsThrough(*found, toSpace);
    if (!area) {
        // What the reference player reports for a clip with nothing in it.
        constexpr double kNowhere = 6710886.35;
        return {kNowhere, kNowhere, kNowhere, kNowhere};
    }
    return {area->left() / kTwips, area->top() / kTwips, area->right() / kTwips, area->bottom() / kTwips};
}

// By the box the clip covers on stage, or with `shapeFlag` by what it draws.
bool StageHost::hitTestPoint(ClipHandle clip, double x, double y, bool shapeFlag)
{
    const DisplayObject* found = object(clip);
    if (!found)
        return false;
    const QPointF point(x * kTwips, y * kTwips);
    if (shapeFlag) {
        const std::optional<QPointF> local = toLocal(*found, point);
        return local && coversPoint(*found, *local);
    }
    const std::optional<QRectF> area = boundsThrough(*found, concatenated(*found));
    return area && area->contains(point);
}

bool StageHost::hitTestClip(ClipHandle clip, ClipHandle other)
{
    const DisplayObject* first = object(clip);
    const DisplayObject* second = object(other);
    if (!first || !second)
        return false;
    const std::optional<QRectF> a = boundsThrough(*first, concatenated(*first));
    const std::optional<QRectF> b = boundsThrough(*second, concatenated(*second));
    return a && b && a->intersects(*b);
}

HostPoint StageHost::localToGlobal(ClipHandle clip, HostPoint point)
{
    const DisplayObject* found = object(clip);
    if (!found)
        return point;
    const QPointF mapped = concatenated(*found).toTransform().map(QPointF(point.x * kTwips, point.y * kTwips));
    return {mapped.x() / kTwips, mapped.y() / kTwips};
}

HostPoint StageHost::globalToLocal(ClipHandle clip, HostPoint point)
{
    const DisplayObject* found = object(clip);
    if (!found)
        return point;
    bool invertible = false;
    const QTransform inverse = concatenated(*found).toTransform().inverted(&invertible);
    if (!invertible)
        return point;
    const QPointF mapped = inverse.map(QPointF(point.x * kTwips, point.y * kTwips));
    return {mapped.x() / kTwips, mapped.y() / kTwips};
}

HostRect StageHost::stageArea()
{
    const auto& frame = m_movie.header().frameSize;
    return {frame.xMin / kTwips, frame.yMin / kTwips, frame.xMax / kTwips, frame.yMax / kTwips};
}

HostRect StageHost::viewArea()
{
    if (m_fullScreen)
        return {0, 0, double(m_systemFacts.screenWidth), double(m_systemFacts.screenHeight)};
    if (m_viewWidth > 0 && m_viewHeight > 0)
        return {0, 0, double(m_viewWidth), double(m_viewHeight)};
    const HostRect stage = stageArea();
    return {0, 0, stage.xMax - stage.xMin, stage.yMax - stage.yMin};
}

bool StageHost::setFullScreen(bool on)
{
    if (on == m_fullScreen)
        return true;
    // The player resizes the view on the way; the movie hears of the new
    // size once, when the switch is done.
    m_switchingScreen = true;
    const bool granted = !m_fullScreenHandler || m_fullScreenHandler(on);
    m_switchingScreen = false;
    if (granted)
        m_fullScreen = on;
    return granted;
}

bool StageHost::setViewSize(int width, int height)
{
    const HostRect before = viewArea();
    m_viewWidth = width;
    m_viewHeight = height;
    const HostRect after = viewArea();
    return !m_switchingScreen && (before.xMax != after.xMax || before.yMax != after.yMax);
}

std::optional<HostMatrix> StageHost::matrix(ClipHandle clip, bool concatenate)
{
    const DisplayObject* found = object(clip);
    if (!found)
        return std::nullopt;
    const Matrix m = concatenate ? concatenated(*found) : found->matrix();
    return HostMatrix {m.a, m.b, m.c, m.d, m.tx / kTwips, m.ty / kTwips};
}

void StageHost::setMatrix(ClipHandle clip, const HostMatrix& m)
{
    DisplayObject* found = object(clip);
    const double terms[] {m.a, m.b, m.c, m.d, m.tx, m.ty};
    if (!found || !std::all_of(std::begin(terms), std::end(terms), [](double t) { return std::isfinite(t); }))
        return;
    // The scale and rotation script reads stay as they were: the reference
    // keeps them apart from the matrix, and a matrix set whole does not
    // reach them.
    ScriptTransform kept = scaleAndRotation(*found);
    found->setMatrix({m.a, m.b, m.c, m.d, std::round(m.tx * kTwips), std::round(m.ty * kTwips)});
    kept.matrix = found->matrix();
    m_transforms[clip.id] = kept;
}

std::optional<HostColorTransform> StageHost::colorTransform(ClipHandle clip, bool concatenate)
{
    const DisplayObject* found = object(clip);
    if (!found)
        return std::nullopt;
    ColorTransform t = found->colorTransform();
    if (concatenate)
        for (const DisplayObject* up = found->parent(); up; up = up->parent())
            t = up->colorTransform() * t;
    return HostColorTransform {t.rMult / 256.0, t.gMult / 256.0, t.bMult / 256.0, t.aMult / 256.0,
                               double(t.rAdd), double(t.gAdd), double(t.bAdd), double(t.aAdd)};
}

void StageHost::setColorTransform(ClipHandle clip, const HostColorTransform& t)
{
    DisplayObject* found = object(clip);
    if (!found)
        return;
    // Kept in the 8.8 form movies store, cut toward zero and bounded so
    // that no product of terms overflows.
    const auto fixed = [](double value, double scale) {
        return std::isfinite(value) ? int(std::clamp(std::trunc(value * scale), -32768.0, 32767.0)) : 0;
    };
    found->setColorTransform({fixed(t.redMultiplier, 256), fixed(t.greenMultiplier, 256), fixed(t.blueMultiplier, 256),
                              fixed(t.alphaMultiplier, 256), fixed(t.redOffset, 1), fixed(t.greenOffset, 1), fixed(t.blueOffset, 1),
                              fixed(t.alphaOffset, 1)});
}

void StageHost::startDrag(ClipHandle clip, bool lockCenter, std::optional<HostRect> constraint)
{
    DisplayObject* found = object(clip);
    if (!found)
        return;
    std::optional<QRectF> bounds;
    if (constraint)
        bounds = QRectF(QPointF(constraint->xMin * kTwips, constraint->yMin * kTwips), QPointF(constraint->xMax * kTwips, constraint->yMax * kTwips));
    m_stage.input().startDrag(*found, lockCenter, bounds);
}

void StageHost::stopDrag()
{
    m_stage.input().stopDrag();
}

// Slash syntax, as the reference player gives _droptarget: "/a/b".
std::string StageHost::dropTargetPath()
{
    DisplayObject* target = m_stage.input().dropTarget();
    if (!target)
        return {};
    std::string path = targetPath(handleOf(*target));
    const std::string levelPrefix = "_level0";
    if (path.rfind(levelPrefix, 0) == 0)
        path.erase(0, levelPrefix.size());
    std::replace(path.begin(), path.end(), '.', '/');
    return path.empty() ? "/" : path;
}

bool StageHost::keyIsDown(int code)
{
    return m_stage.input().isKeyDown(code);
}

bool StageHost::keyIsToggled(int code)
{
    return m_stage.input().isToggled(code);
}

int StageHost::lastKeyCode()
{
    return m_stage.input().lastKeyCode();
}

int StageHost::lastKeyAscii()
{
    return m_stage.input().lastAscii();
}

bool StageHost::setPointerShown(bool shown)
{
    const bool before = !m_stage.input().isCursorHidden();
    m_stage.input().setCursorHidden(!shown);
    return before;
}

void StageHost::stopAllSounds()
{
    if (m_soundMixer)
        m_soundMixer->stopAll();
}

StageHost::~StageHost() = default;

void StageHost::setSoundMixer(SoundMixer* mixer)
{
    if (mixer != m_soundMixer)
        m_media.reset();
    m_soundMixer = mixer;
}

MediaHost* StageHost::media()
{
    if (m_soundMixer && !m_media)
        m_media = std::make_unique<StageMedia>(*this, *m_soundMixer);
    return m_media.get();
}

void StageHost::toggleQuality() {}

} // namespace swf::script
