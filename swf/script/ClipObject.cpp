#include "swf/script/ClipObject.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

#include "swf/runtime/VideoInstance.h"
#include "swf/script/Machine.h"

namespace swf::script {

namespace {

// "_level0.a.b" as _target gives it: "/a/b"; a level's root is "/" for
// level 0 and "_level1" for the others.
std::string slashPath(const std::string& dotPath)
{
    std::string_view rest = dotPath;
    std::string head;
    if (rest.starts_with("_level")) {
        const std::size_t dot = rest.find('.');
        const std::string_view level = rest.substr(0, dot);
        if (level != "_level0")
            head = std::string(level);
        rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
    }
    if (rest.empty())
        return head.empty() ? "/" : head;
    std::string out = head;
    out += '/';
    for (char c : rest)
        out += c == '.' ? '/' : c;
    return out;
}

enum class VideoProperty { Width, Height, Smoothing, Deblocking };

constexpr std::pair<std::string_view, VideoProperty> kVideoProperties[] {
    {"deblocking", VideoProperty::Deblocking},
    {"height", VideoProperty::Height},
    {"smoothing", VideoProperty::Smoothing},
    {"width", VideoProperty::Width},
};

std::optional<VideoProperty> videoPropertyOf(std::string_view name)
{
    for (const auto& [known, property] : kVideoProperties)
        if (known == name)
            return property;
    return std::nullopt;
}

// A video's width and height are those of the pictures it was given, not
// of its box on stage: 0 until the first one.
Value videoValue(const VideoInstance& video, VideoProperty property)
{
    const std::shared_ptr<const QImage> picture = video.picture();
    switch (property) {
    case VideoProperty::Width:
        return Value::number(picture ? picture->width() : 0);
    case VideoProperty::Height:
        return Value::number(picture ? picture->height() : 0);
    case VideoProperty::Smoothing:
        return Value::boolean(video.smoothing());
    case VideoProperty::Deblocking:
        return Value::number(video.deblocking());
    }
    return Value();
}

} // namespace

bool ClipObject::getSpecial(Machine& machine, String* key, Value& out)
{
    if (isVideo() && !key->empty() && key->view()[0] != '_') {
        const auto property = videoPropertyOf(key->view());
        VideoInstance* video = property ? machine.host().video(m_handle) : nullptr;
        if (video)
            out = videoValue(*video, *property);
        return video != nullptr;
    }
    if (key->empty() || key->view()[0] != '_')
        return false;
    Host& host = machine.host();
    const Names& names = machine.names();
    if (const auto property = machine.clipPropertyOf(key)) {
        // A child named like the property comes first, as the reference
        // player answers.
        if (const ClipHandle child = host.child(m_handle, key->view(), machine.caseSensitive())) {
            out = machine.clipValue(child);
            if (!out.isUndefined())
                return true;
        }
        out = builtIn(machine, *property);
        return true;
    }
    String* folded = key->isInterned() ? key->folded() : key;
    if (folded == names.parent) {
        const ClipHandle parent = host.parent(m_handle);
        out = parent ? machine.clipValue(parent) : Value();
        return true;
    }
    if (folded == names.root) {
        out = machine.clipValue(host.rootOf(m_handle));
        return true;
    }
    return false;
}

Value ClipObject::builtIn(Machine& machine, ClipProperty property) const
{
    Host& host = machine.host();
    if (property == ClipProperty::Target)
        return machine.stringValue(slashPath(host.targetPath(m_handle)));
    return machine.fromHost(host.property(m_handle, property));
}

bool ClipObject::getAfterOwn(Machine& machine, String* key, Value& out)
{
    // Every clip reads as not locking _root until script says it does.
    String* lock = machine.intern("_lockroot");
    if (key == lock || (!machine.caseSensitive() && key->isInterned() && key->folded() == lock->folded())) {
        out = Value::boolean(false);
        return true;
    }
    const ClipHandle child = machine.host().child(m_handle, key->view(), machine.caseSensitive());
    if (!child)
        return false;
    out = machine.clipValue(child);
    return !out.isUndefined();
}

bool ClipObject::setSpecial(Machine& machine, String* key, const Value& value)
{
    // A clip keeps no property with an empty name.
    if (key->empty())
        return true;
    if (isVideo() && key->view()[0] != '_') {
        const auto property = videoPropertyOf(key->view());
        VideoInstance* video = property ? machine.host().video(m_handle) : nullptr;
        if (!video)
            return false;
        // Width and height follow the pictures; script cannot change them.
        if (property == VideoProperty::Smoothing)
            video->setSmoothing(machine.toBoolean(value));
        else if (property == VideoProperty::Deblocking)
        {
            const double deblocking = machine.toNumber(value);
            video->setDeblocking(deblocking >= 0 ? std::uint8_t(std::min(deblocking, 255.0)) : 0);
        }
        return true;
    }
    if (key->view()[0] != '_')
        return false;
    const auto property = machine.clipPropertyOf(key);
    if (!property)
        return false;
    HostValue converted;
    switch (*property) {
    case ClipProperty::Target:
    case ClipProperty::Url:
    case ClipProperty::CurrentFrame:
    case ClipProperty::TotalFrames:
    case ClipProperty::FramesLoaded:
    case ClipProperty::DropTarget:
    case ClipProperty::XMouse:
    case ClipProperty::YMouse:
        return true; // read-only
    case ClipProperty::Name:
    case ClipProperty::Quality: converted = machine.toStdString(value); break;
    case ClipProperty::Visible: converted = machine.toBoolean(value); break;
    default: {
        const double n = machine.toNumber(value);
        // Nothing sensible to do with NaN; the reference player ignores it,
        // and a field ignores undefined and null whatever the version.
        if (std::isnan(n) || (value.isNullish() && machine.host().textField(m_handle)))
            return true;
        converted = n;
    }
    }
    machine.host().setProperty(m_handle, *property, converted);
    return true;
}

void ClipObject::specialKeys(Machine& machine, std::vector<Value>& keys)
{
    std::vector<std::string> names;
    machine.host().childNames(m_handle, names);
    for (const std::string& name : names)
        keys.push_back(Value::string(machine.intern(name)));
    if (isVideo())
        for (const auto& [name, property] : kVideoProperties)
            keys.push_back(Value::string(machine.intern(name)));
}

} // namespace swf::script
