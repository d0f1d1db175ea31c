#include "FakeHost.h"

#include <algorithm>
#include <cctype>

#include "swf/script/Machine.h"

namespace swftest {

namespace {

bool sameName(std::string_view a, std::string_view b, bool caseSensitive)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = caseSensitive ? a[i] : char(std::tolower(static_cast<unsigned char>(a[i])));
        const char y = caseSensitive ? b[i] : char(std::tolower(static_cast<unsigned char>(b[i])));
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

FakeHost::FakeHost()
{
    auto root = std::make_unique<Clip>();
    root->id = 1;
    root->name = "";
    root->depth = -16384;
    m_clips.emplace(1, std::move(root));
}

FakeHost::Clip* FakeHost::find(ClipHandle handle)
{
    const auto it = m_clips.find(handle.id);
    return it == m_clips.end() || !it->second->alive ? nullptr : it->second.get();
}

FakeHost::Clip& FakeHost::clip(ClipHandle handle)
{
    return *m_clips.at(handle.id);
}

void FakeHost::trace(std::string_view line)
{
    m_output += line;
    m_output += '\n';
}

void FakeHost::diagnostic(std::string_view message)
{
    if (m_diagnostics.size() < 1000)
        m_diagnostics.emplace_back(message);
}

double FakeHost::random() { return m_random.unit(); }

double FakeHost::randomBelow(double bound) { return m_random.below(bound); }

bool FakeHost::scriptTimeExceeded()
{
    if (m_timeChecks <= 0)
        return false;
    return --m_timeChecks == 0;
}

void FakeHost::getUrl(std::string_view url, std::string_view window, UrlMethod)
{
    m_requests.push_back("getURL " + std::string(url) + " " + std::string(window));
}

void FakeHost::fsCommand(std::string_view command, std::string_view arguments)
{
    m_requests.push_back("fscommand " + std::string(command) + " " + std::string(arguments));
    if (sameName(command, "quit", false))
        m_quit = true;
}

void FakeHost::loadMovie(ClipHandle, int level, std::string_view url, UrlMethod)
{
    m_requests.push_back("loadMovie " + std::to_string(level) + " " + std::string(url));
}

void FakeHost::loadVariables(ClipHandle, int level, std::string_view url, UrlMethod)
{
    m_requests.push_back("loadVariables " + std::to_string(level) + " " + std::string(url));
}

ClipHandle FakeHost::root(int level)
{
    return level == 0 ? ClipHandle {1} : ClipHandle();
}

ClipHandle FakeHost::parent(ClipHandle handle)
{
    Clip* c = find(handle);
    return c && c->parent ? ClipHandle {c->parent} : ClipHandle();
}

ClipHandle FakeHost::child(ClipHandle handle, std::string_view name, bool caseSensitive)
{
    Clip* c = find(handle);
    if (!c)
        return {};
    for (const auto& [depth, id] : c->children) {
        const Clip& child = *m_clips.at(id);
        if (!child.name.empty() && sameName(child.name, name, caseSensitive))
            return ClipHandle {id};
    }
    return {};
}

void FakeHost::childNames(ClipHandle handle, std::vector<std::string>& names)
{
    if (Clip* c = find(handle))
        for (const auto& [depth, id] : c->children)
            if (!m_clips.at(id)->name.empty())
                names.push_back(m_clips.at(id)->name);
}

bool FakeHost::alive(ClipHandle handle)
{
    return find(handle) != nullptr;
}

ClipHandle FakeHost::findClip(std::string_view path)
{
    if (!path.starts_with("_level0"))
        return {};
    ClipHandle current {1};
    std::size_t at = 7;
    while (current && at < path.size()) {
        if (path[at] != '.')
            return {};
        std::size_t next = path.find('.', at + 1);
        if (next == std::string_view::npos)
            next = path.size();
        current = child(current, path.substr(at + 1, next - at - 1), true);
        at = next;
    }
    return current;
}

std::string FakeHost::targetPath(ClipHandle handle)
{
    std::string path;
    for (Clip* c = find(handle); c; c = c->parent ? find(ClipHandle {c->parent}) : nullptr) {
        if (!c->parent)
            return "_level" + std::to_string(c->level) + path;
        path = "." + c->name + path;
    }
    return path;
}

int FakeHost::level(ClipHandle handle)
{
    Clip* c = find(handle);
    return c ? c->level : 0;
}

HostValue FakeHost::property(ClipHandle handle, ClipProperty property)
{
    Clip* c = find(handle);
    if (!c)
        return {};
    if (const auto it = c->properties.find(int(property)); it != c->properties.end())
        return it->second;
    switch (property) {
    case ClipProperty::XScale:
    case ClipProperty::YScale:
    case ClipProperty::Alpha: return 100.0;
    case ClipProperty::Visible: return true;
    case ClipProperty::CurrentFrame: return double(c->currentFrame + 1);
    case ClipProperty::TotalFrames:
    case ClipProperty::FramesLoaded: return double(c->totalFrames);
    case ClipProperty::Name: return c->name;
    case ClipProperty::Url: return std::string("file:///movie.swf");
    case ClipProperty::Quality: return std::string("HIGH");
    case ClipProperty::HighQuality: return 1.0;
    case ClipProperty::SoundBufTime: return 5.0;
    case ClipProperty::DropTarget: return std::string();
    case ClipProperty::FocusRect: return HostValue();
    default: return 0.0;
    }
}

void FakeHost::setProperty(ClipHandle handle, ClipProperty property, const HostValue& value)
{
    Clip* c = find(handle);
    if (!c)
        return;
    if (property == ClipProperty::Name) {
        if (const std::string* s = std::get_if<std::string>(&value))
            c->name = *s;
        return;
    }
    c->properties[int(property)] = value;
}

void FakeHost::play(ClipHandle handle)
{
    if (Clip* c = find(handle))
        c->playing = true;
}

void FakeHost::stop(ClipHandle handle)
{
    if (Clip* c = find(handle))
        c->playing = false;
}

void FakeHost::gotoFrame(ClipHandle handle, int frame, bool andPlay)
{
    Clip* c = find(handle);
    if (!c)
        return;
    c->currentFrame = std::clamp(frame, 0, std::max(0, c->totalFrames - 1));
    c->playing = andPlay;
    if (onCallFrame && handle.id == 1)
        onCallFrame(handle, c->currentFrame);
}

bool FakeHost::gotoLabel(ClipHandle handle, std::string_view label, bool andPlay)
{
    const auto frame = frameOfLabel(handle, label);
    if (!frame)
        return false;
    gotoFrame(handle, *frame, andPlay);
    return true;
}

std::optional<int> FakeHost::frameOfLabel(ClipHandle handle, std::string_view label)
{
    if (handle.id != 1)
        return std::nullopt;
    for (const auto& [name, frame] : m_labels)
        if (sameName(name, label, false))
            return frame;
    return std::nullopt;
}

void FakeHost::callFrame(ClipHandle handle, int frame)
{
    m_requests.push_back("call " + std::to_string(handle.id) + " " + std::to_string(frame));
}

void FakeHost::nextFrame(ClipHandle handle)
{
    if (Clip* c = find(handle))
        gotoFrame(handle, c->currentFrame + 1, false);
}

void FakeHost::previousFrame(ClipHandle handle)
{
    if (Clip* c = find(handle))
        gotoFrame(handle, c->currentFrame - 1, false);
}

int FakeHost::currentFrame(ClipHandle handle)
{
    Clip* c = find(handle);
    return c ? c->currentFrame : 0;
}

int FakeHost::totalFrames(ClipHandle handle)
{
    Clip* c = find(handle);
    return c ? c->totalFrames : 0;
}

int FakeHost::framesLoaded(ClipHandle handle)
{
    return totalFrames(handle);
}

double FakeHost::bytesLoaded(ClipHandle handle)
{
    return find(handle) ? 1000 : 0;
}

double FakeHost::bytesTotal(ClipHandle handle)
{
    return find(handle) ? 1000 : 0;
}

ClipHandle FakeHost::makeClip(ClipHandle parentHandle, std::string_view name, int depth, std::string exportName)
{
    Clip* parent = find(parentHandle);
    if (!parent || depth < -16384 || depth > 2130690045)
        return {};
    if (const auto it = parent->children.find(depth); it != parent->children.end())
        remove(it->second);
    auto c = std::make_unique<Clip>();
    c->id = m_nextId++;
    c->name = std::string(name);
    c->parent = parentHandle.id;
    c->depth = depth;
    c->level = parent->level;
    c->exportName = std::move(exportName);
    const std::uint64_t id = c->id;
    parent->children[depth] = id;
    m_clips.emplace(id, std::move(c));
    return ClipHandle {id};
}

void FakeHost::remove(std::uint64_t id)
{
    Clip* c = find(ClipHandle {id});
    if (!c)
        return;
    const std::vector<std::uint64_t> children = [&] {
        std::vector<std::uint64_t> ids;
        for (const auto& [depth, child] : c->children)
            ids.push_back(child);
        return ids;
    }();
    for (std::uint64_t child : children)
        remove(child);
    if (m_machine)
        m_machine->clipRemoved(ClipHandle {id});
    if (Clip* parent = find(ClipHandle {c->parent}))
        parent->children.erase(c->depth);
    c->alive = false;
}

ClipHandle FakeHost::attachMovie(ClipHandle parent, std::string_view exportName, std::string_view name, int depth, bool /*empty*/)
{
    return makeClip(parent, name, depth, std::string(exportName));
}

ClipHandle FakeHost::createEmptyMovieClip(ClipHandle parent, std::string_view name, int depth)
{
    return makeClip(parent, name, depth, std::string());
}

ClipHandle FakeHost::duplicateMovieClip(ClipHandle handle, std::string_view name, int depth)
{
    Clip* source = find(handle);
    if (!source || !source->parent)
        return {};
    const std::string exportName = source->exportName;
    const auto properties = source->properties;
    const ClipHandle copy = makeClip(ClipHandle {source->parent}, name, depth, exportName);
    if (copy)
        clip(copy).properties = properties;
    return copy;
}

void FakeHost::removeMovieClip(ClipHandle handle)
{
    Clip* c = find(handle);
    // Clips placed by the timeline (negative depths) stay.
    if (c && c->parent && c->depth >= 0)
        remove(c->id);
}

void FakeHost::swapDepths(ClipHandle handle, int depth)
{
    Clip* c = find(handle);
    Clip* parent = c ? find(ClipHandle {c->parent}) : nullptr;
    if (!parent)
        return;
    const int old = c->depth;
    if (const auto it = parent->children.find(depth); it != parent->children.end()) {
        Clip& other = clip(ClipHandle {it->second});
        other.depth = old;
        parent->children[old] = other.id;
    } else {
        parent->children.erase(old);
    }
    c->depth = depth;
    parent->children[depth] = c->id;
}

void FakeHost::swapDepthsWith(ClipHandle handle, ClipHandle other)
{
    Clip* o = find(other);
    Clip* c = find(handle);
    if (o && c && o->parent == c->parent)
        swapDepths(handle, o->depth);
}

int FakeHost::depth(ClipHandle handle)
{
    Clip* c = find(handle);
    return c ? c->depth : 0;
}

int FakeHost::nextHighestDepth(ClipHandle handle)
{
    Clip* c = find(handle);
    if (!c || c->children.empty())
        return 0;
    return std::max(0, c->children.rbegin()->first + 1);
}

ClipHandle FakeHost::instanceAtDepth(ClipHandle handle, int depth)
{
    Clip* c = find(handle);
    if (!c)
        return {};
    const auto it = c->children.find(depth);
    return it == c->children.end() ? ClipHandle() : ClipHandle {it->second};
}

std::string FakeHost::exportName(ClipHandle handle)
{
    Clip* c = find(handle);
    return c ? c->exportName : std::string();
}

HostRect FakeHost::bounds(ClipHandle, ClipHandle)
{
    return {};
}

bool FakeHost::hitTestPoint(ClipHandle, double, double, bool)
{
    return false;
}

bool FakeHost::hitTestClip(ClipHandle, ClipHandle)
{
    return false;
}

HostPoint FakeHost::localToGlobal(ClipHandle, HostPoint point)
{
    return point;
}

HostPoint FakeHost::globalToLocal(ClipHandle, HostPoint point)
{
    return point;
}

void FakeHost::startDrag(ClipHandle, bool, std::optional<HostRect>) { }
void FakeHost::stopDrag() { }
void FakeHost::stopAllSounds() { }
void FakeHost::toggleQuality() { }

} // namespace swftest
