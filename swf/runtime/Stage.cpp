#include "swf/runtime/Stage.h"

#include <algorithm>
#include <utility>

#include "swf/read/TagCode.h"
#include "swf/runtime/ButtonInstance.h"
#include "swf/runtime/EditTextInstance.h"
#include "swf/runtime/GraphicInstances.h"
#include "swf/runtime/LoadedMovie.h"
#include "swf/runtime/VideoInstance.h"

namespace swf {

Stage::Stage(std::shared_ptr<const Dictionary> dictionary, Diagnostics& diagnostics)
    : m_dictionary(std::move(dictionary))
    , m_diagnostics(diagnostics)
{
}

Stage::~Stage()
{
    // Events hold objects; let them go before the tree they came from.
    m_events.clear();
    m_levels.clear();
    m_root.reset();
}

SpriteInstance& Stage::createRoot(const FrameScript& script)
{
    m_events.clear();
    m_root = std::make_shared<SpriteInstance>(*this, 0, nullptr, script, 0);
    markChanged();
    return *m_root;
}

void Stage::enterFirstFrame()
{
    if (!m_root || m_root->currentFrame() >= 0)
        return;
    m_root->gotoFrame(0);
    settle();
}

void Stage::tick()
{
    if (!m_root)
        return;
    ++m_tick;
    for (FrameListener* listener : m_listeners)
        listener->enterFrame();
    advanceClocks(*m_root);
    // By index of a copy: a level's code may load or unload levels.
    std::vector<std::shared_ptr<SpriteInstance>> levels;
    for (const auto& [number, movie] : m_levels)
        levels.push_back(movie);
    for (const auto& movie : levels)
        if (!movie->isRemoved())
            advanceClocks(*movie);
    settle();
}

SpriteInstance* Stage::level(int number) const
{
    if (number == 0)
        return m_root.get();
    const auto found = m_levels.find(number);
    return found == m_levels.end() ? nullptr : found->second.get();
}

void Stage::setLevel(int number, std::shared_ptr<SpriteInstance> movie)
{
    if (number <= 0 || !movie)
        return;
    removeLevel(number);
    movie->m_depth = number;
    movie->m_removed = false;
    m_levels[number] = std::move(movie);
    markChanged();
}

bool Stage::removeLevel(int number)
{
    const auto found = m_levels.find(number);
    if (number <= 0 || found == m_levels.end())
        return false;
    std::shared_ptr<SpriteInstance> old = std::move(found->second);
    m_levels.erase(found);
    old->m_removed = true;
    objectRemoved(*old, *old);
    markChanged();
    return true;
}

void Stage::replaceRoot(std::shared_ptr<SpriteInstance> movie)
{
    if (!movie)
        return;
    while (!m_levels.empty())
        removeLevel(m_levels.rbegin()->first);
    std::shared_ptr<SpriteInstance> old = std::exchange(m_root, std::move(movie));
    m_root->m_depth = 0;
    m_root->m_removed = false;
    // The exports passed were the old timeline's.
    m_exportsPassed.clear();
    if (old) {
        old->m_removed = true;
        objectRemoved(*old, *old);
    }
    markChanged();
}

int Stage::levelOf(const DisplayObject& top) const
{
    if (&top == m_root.get())
        return 0;
    for (const auto& [number, movie] : m_levels)
        if (movie.get() == &top)
            return number;
    return -1;
}

// Parents move before their children, so a child a parent places this tick
// shows its first frame and moves on from the next.
void Stage::advanceClocks(Container& container)
{
    if (container.type() == DisplayObject::Type::Sprite) {
        auto& sprite = static_cast<SpriteInstance&>(container);
        if (sprite.bornInTick() != m_tick)
            sprite.advanceClock();
    }
    // A child's clock changes only what that child holds, never this list,
    // so the list is walked as it stands; by index, so that even a list
    // that did change could not be read past its end.
    const auto& children = container.children();
    for (std::size_t i = 0; i < children.size(); ++i) {
        DisplayObject& child = *children[i];
        if (child.type() == DisplayObject::Type::Sprite || child.type() == DisplayObject::Type::Button)
            advanceClocks(static_cast<Container&>(child));
    }
}

// Hands what happened to the tree on, as long as handling it makes more,
// then ends the frame.
void Stage::settle()
{
    // The first round is handed on even when nothing happened: script runs
    // its clips' enterFrame handlers in it.
    int round = 0;
    for (; (round == 0 || !m_events.empty()) && round < kMaxEventRounds; ++round) {
        const std::vector<FrameEvent> events = std::exchange(m_events, {});
        for (FrameListener* listener : m_listeners)
            listener->frameEvents(events);
    }
    if (!m_events.empty()) {
        m_diagnostics.report(0, -1, "frame events kept coming after " + std::to_string(round) + " rounds; the rest were dropped");
        m_events.clear();
    }
    for (FrameListener* listener : m_listeners)
        listener->exitFrame();
}

void Stage::addListener(FrameListener* listener)
{
    if (listener && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void Stage::removeListener(FrameListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

// The deeper an object would sit, the less of the instance budget it may
// find spent: a sprite that places itself over and over runs out long
// before the objects beside it near the top of the tree do.
std::size_t Stage::instanceAllowance(int nesting) const
{
    const std::size_t levels = kMaxNesting + 1;
    return m_budget.limit / levels * (levels - std::size_t(std::clamp(nesting, 1, kMaxNesting)));
}

std::shared_ptr<DisplayObject> Stage::instantiate(std::uint16_t characterId, int nesting, const std::shared_ptr<const LoadedMovie>& from,
                                                  bool filled)
{
    if (nesting > kMaxNesting)
        return nullptr;
    if (m_budget.live >= instanceAllowance(nesting)) {
        if (!m_budgetReported)
            m_diagnostics.report(0, -1, "display object budget spent at nesting level " + std::to_string(nesting) + "; no more objects are made there");
        m_budgetReported = true;
        return nullptr;
    }
    const Dictionary& dictionary = from ? from->dictionary() : *m_dictionary;
    std::shared_ptr<const Character> character = dictionary.find(characterId);
    if (!character)
        return nullptr;
    std::shared_ptr<DisplayObject> object;
    switch (character->kind()) {
    case Character::Kind::Shape:
        object = std::make_shared<ShapeInstance>(*this, characterId, std::move(character));
        break;
    case Character::Kind::MorphShape:
        object = std::make_shared<MorphInstance>(*this, characterId, std::move(character));
        break;
    case Character::Kind::Bitmap:
        object = std::make_shared<BitmapInstance>(*this, characterId, std::move(character));
        break;
    case Character::Kind::StaticText:
        object = std::make_shared<StaticTextInstance>(*this, characterId, std::move(character));
        break;
    case Character::Kind::EditText: {
        auto definition = std::static_pointer_cast<const EditTextDefinition>(character);
        std::shared_ptr<const Font> font = definition->field.fontId ? dictionary.font(*definition->field.fontId) : nullptr;
        object = std::make_shared<EditTextInstance>(*this, characterId, std::move(definition), std::move(font));
        break;
    }
    case Character::Kind::Sprite: {
        const auto& script = static_cast<const SpriteDefinition&>(*character).script;
        object = std::make_shared<SpriteInstance>(*this, characterId, character, script, nesting);
        break;
    }
    case Character::Kind::Button:
        object = std::make_shared<ButtonInstance>(*this, characterId, std::static_pointer_cast<const ButtonDefinition>(character),
                                                  nesting);
        break;
    case Character::Kind::Video:
        object = std::make_shared<VideoInstance>(*this, characterId, std::static_pointer_cast<const VideoStreamDefinition>(character));
        break;
    case Character::Kind::Font:
        return nullptr;
    }
    if (from && (object->type() == DisplayObject::Type::Sprite || object->type() == DisplayObject::Type::Button))
        static_cast<Container&>(*object).setLoadedMovie(from);
    // Announced before its own first frame fills it, so a container comes
    // before what it holds.
    if (!m_listeners.empty())
        m_events.push_back({FrameEvent::Kind::Constructed, object, {}});
    if (object->type() == DisplayObject::Type::Sprite && filled)
        static_cast<SpriteInstance&>(*object).gotoFrame(0);
    else if (object->type() == DisplayObject::Type::Button)
        static_cast<ButtonInstance&>(*object).setState(ButtonInstance::State::Up);
    return object;
}

void Stage::objectRemoved(DisplayObject& object, DisplayObject& owner, bool quiet)
{
    if (m_listeners.empty())
        return;
    // The owner may be on its way out itself, past sharing.
    m_events.push_back({FrameEvent::Kind::Removed, object.shared_from_this(), {}, quiet, owner.weak_from_this().lock()});
}

bool Stage::hearsUnload(const DisplayObject& object) const
{
    if (m_swfVersion < 6)
        return false;
    return std::any_of(m_listeners.begin(), m_listeners.end(), [&](const FrameListener* listener) { return listener->hearsUnload(object); });
}

void Stage::deferEvents(std::size_t from, std::size_t to)
{
    if (from < to && to <= m_events.size())
        std::rotate(m_events.begin() + std::ptrdiff_t(from), m_events.begin() + std::ptrdiff_t(to), m_events.end());
}

void Stage::tagReached(SpriteInstance& sprite, const TagRef& tag, bool shown)
{
    if (tag.code == TagCode::ExportAssets) {
        if (&sprite == m_root.get())
            m_exportsPassed.insert(tag.offset);
        return;
    }
    if (tag.code == TagCode::DoAction) {
        // Actions of frames passed over are not run.
        if (shown && !m_listeners.empty())
            m_events.push_back({FrameEvent::Kind::FrameActions, sprite.shared_from_this(), tag});
        return;
    }
    if (tag.code == TagCode::DoInitAction) {
        if (!m_listeners.empty())
            m_events.push_back({FrameEvent::Kind::InitActions, sprite.shared_from_this(), tag});
        return;
    }
    for (FrameListener* listener : m_listeners)
        listener->mediaTag(sprite, tag, shown);
}

std::optional<std::uint16_t> Stage::passedExport(const std::string& name) const
{
    const std::optional<std::uint64_t> tag = m_dictionary->exportTag(name);
    if (!tag || !m_exportsPassed.contains(*tag))
        return std::nullopt;
    return m_dictionary->exported(name);
}

bool Stage::chargeInstance()
{
    if (m_budget.spent()) {
        if (!m_budgetReported)
            m_diagnostics.report(0, -1, "display object budget spent; no more objects are made");
        m_budgetReported = true;
        return false;
    }
    ++m_budget.live;
    return true;
}

void Stage::releaseInstance()
{
    if (m_budget.live > 0)
        --m_budget.live;
}

} // namespace swf
