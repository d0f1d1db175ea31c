// TextSnapshot: the static text an author placed on a clip, as script
// reads, searches and selects it (MovieClip.getTextSnapshot). The text is
// read from the clip each call, so a snapshot follows the timeline; which
// characters are selected the snapshot keeps, one flag a character.

#include <algorithm>
#include <cmath>

#include <QString>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kMarker = "TextSnapshot";
constexpr std::size_t kClipSlot = 1;
constexpr std::size_t kSelectionSlot = 2;
constexpr std::size_t kSlotCount = 3;

struct Snapshot {
    ArrayObject* store = nullptr;
    std::vector<HostCharacter> characters;
};

Snapshot snapshotOf(NativeCall& c)
{
    Machine& m = c.machine;
    Snapshot s;
    s.store = nativeStore(m, c.thisValue, kMarker, kSlotCount);
    if (!s.store)
        return s;
    Value clip;
    if (s.store->getIndex(m, kClipSlot, clip) && clip.isObject())
        if (const ClipHandle handle = m.handleOf(clip.asObject()))
            s.characters = m.host().staticText(handle);
    return s;
}

// '1' for each selected character; shorter than the text where the rest
// was never selected.
std::string selectionOf(Machine& m, const Snapshot& s)
{
    Value flags;
    return s.store && s.store->getIndex(m, kSelectionSlot, flags) && flags.isString() ? m.toStdString(flags) : std::string();
}

bool isSelected(const std::string& flags, std::size_t i)
{
    return i < flags.size() && flags[i] == '1';
}

// The [begin, end) a method's first two arguments give over `count`
// characters: a missing or too large end is the end of the text, one not
// past the start takes the start's character alone.
std::pair<std::size_t, std::size_t> rangeOf(NativeCall& c, std::size_t count)
{
    Machine& m = c.machine;
    const double first = m.toInteger(c.arg(0));
    const double begin = std::isfinite(first) ? std::clamp(first, 0.0, double(count)) : 0.0;
    double end = c.count() > 1 ? m.toInteger(c.arg(1)) : double(count);
    if (!(end > begin))
        end = begin + 1;
    return {std::size_t(begin), std::size_t(std::min(end, double(count)))};
}

// Characters as text, with a line break before each line's first when
// the caller asks for line endings.
Value textOf(Machine& m, const Snapshot& s, std::size_t begin, std::size_t end, bool lineEndings, const std::string* only)
{
    QString out;
    for (std::size_t i = begin; i < end && i < s.characters.size(); ++i) {
        if (only && !isSelected(*only, i))
            continue;
        if (lineEndings && s.characters[i].startsLine && !out.isEmpty())
            out += u'\n';
        out += QChar(s.characters[i].code);
    }
    return m.stringValue(out.toStdString());
}

Value getCount(NativeCall& c)
{
    const Snapshot s = snapshotOf(c);
    return s.store ? Value::number(double(s.characters.size())) : Value();
}

Value getText(NativeCall& c)
{
    const Snapshot s = snapshotOf(c);
    if (!s.store)
        return Value();
    const auto [begin, end] = rangeOf(c, s.characters.size());
    return textOf(c.machine, s, begin, end, c.machine.toBoolean(c.arg(2)), nullptr);
}

Value getSelectedText(NativeCall& c)
{
    const Snapshot s = snapshotOf(c);
    if (!s.store)
        return Value();
    const std::string flags = selectionOf(c.machine, s);
    return textOf(c.machine, s, 0, s.characters.size(), c.machine.toBoolean(c.arg(0)), &flags);
}

// findText(from, text, caseSensitive): where the text next occurs at or
// after `from`, -1 where it does not.
Value findText(NativeCall& c)
{
    Machine& m = c.machine;
    const Snapshot s = snapshotOf(c);
    if (!s.store)
        return Value();
    QString all;
    for (const HostCharacter& each : s.characters)
        all += QChar(each.code);
    const QString wanted = QString::fromStdString(m.toStdString(c.arg(1)));
    const double from = m.toInteger(c.arg(0));
    if (wanted.isEmpty() || !(from >= 0) || from >= double(all.size()))
        return Value::number(-1);
    const Qt::CaseSensitivity cs = m.toBoolean(c.arg(2)) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return Value::number(double(all.indexOf(wanted, qsizetype(from), cs)));
}

Value getSelected(NativeCall& c)
{
    const Snapshot s = snapshotOf(c);
    if (!s.store)
        return Value();
    const std::string flags = selectionOf(c.machine, s);
    const auto [begin, end] = rangeOf(c, s.characters.size());
    for (std::size_t i = begin; i < end; ++i)
        if (isSelected(flags, i))
            return Value::boolean(true);
    return Value::boolean(false);
}

Value setSelected(NativeCall& c)
{
    Machine& m = c.machine;
    const Snapshot s = snapshotOf(c);
    if (!s.store || s.characters.empty())
        return Value();
    std::string flags = selectionOf(m, s);
    flags.resize(s.characters.size(), '0');
    const auto [begin, end] = rangeOf(c, s.characters.size());
    const char mark = m.toBoolean(c.arg(2)) ? '1' : '0';
    std::fill(flags.begin() + std::ptrdiff_t(begin), flags.begin() + std::ptrdiff_t(std::max(begin, end)), mark);
    s.store->setIndex(m, kSelectionSlot, m.stringValue(flags));
    return Value();
}

// hitTestTextNearPos(x, y, distance): the character whose cell is nearest
// the point in the clip's space, if within the distance; -1 otherwise.
Value hitTestTextNearPos(NativeCall& c)
{
    Machine& m = c.machine;
    const Snapshot s = snapshotOf(c);
    if (!s.store)
        return Value();
    const double x = m.toNumber(c.arg(0));
    const double y = m.toNumber(c.arg(1));
    const double reach = c.count() > 2 ? m.toNumber(c.arg(2)) : 0;
    if (!std::isfinite(x) || !std::isfinite(y) || !(reach >= 0))
        return Value::number(-1);
    double best = reach;
    double found = -1;
    for (std::size_t i = 0; i < s.characters.size(); ++i) {
        const HostRect& box = s.characters[i].box;
        const double dx = std::max({box.xMin - x, 0.0, x - box.xMax});
        const double dy = std::max({box.yMin - y, 0.0, y - box.yMax});
        const double distance = std::hypot(dx, dy);
        if (distance <= best && (found < 0 || distance < best)) {
            best = distance;
            found = double(i);
        }
    }
    return Value::number(found);
}

// new TextSnapshot(clip): the clip's text; with no clip, no text.
Value textSnapshotConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || !c.constructing)
        return Value();
    ArrayObject* store = makeNativeStore(m, self, kMarker, kSlotCount);
    if (c.arg(0).isObject() && m.handleOf(c.arg(0).asObject()))
        store->setIndex(m, kClipSlot, c.arg(0));
    return Value();
}

Value getTextSnapshot(NativeCall& c)
{
    Machine& m = c.machine;
    if (!m.handleOf(c.thisObject()))
        return Value();
    const Value constructor = m.get(Value::object(m.global()), m.intern("TextSnapshot"));
    if (!constructor.isObject() || !constructor.asObject()->isFunction())
        return Value();
    const Value clip[] {c.thisValue};
    return m.construct(constructor, clip);
}

} // namespace

void installTextSnapshotClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "TextSnapshot", textSnapshotConstructor, p, 0);
    struct Entry {
        const char* name;
        NativeFunction native;
    };
    // Selection colour and the runs' details are not shown or kept here.
    static const Entry kMethods[] {
        {"findText", findText},
        {"getCount", getCount},
        {"getSelected", getSelected},
        {"getSelectedText", getSelectedText},
        {"getText", getText},
        {"getTextRunInfo", answerUndefined},
        {"hitTestTextNearPos", hitTestTextNearPos},
        {"setSelectColor", answerUndefined},
        {"setSelected", setSelected},
    };
    for (const Entry& e : kMethods)
        defineMethod(machine, p, e.name, e.native, Swf6);
    if (Object* clips = machine.builtins().movieClipPrototype)
        defineMethod(machine, clips, "getTextSnapshot", getTextSnapshot, HP);
}

} // namespace swf::script
