// ContextMenu and ContextMenuItem: plain script objects here, made the way
// the reference player's own script makes them; what the player's menu
// shows of them is the host's business. Their methods exist for movies of
// version 7 and later.

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kBuiltInItems[] {"forward_back", "loop", "play", "print", "quality", "rewind", "save", "zoom"};

Value contextMenuConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    m.set(self, "onSelect", c.arg(0));
    const Value array = m.construct(m.get(m.global(), "Array"), {});
    m.set(self, "customItems", array);
    Object* items = m.newObject();
    m.define(items, m.names().constructor, Value::object(m.builtins().objectConstructor), HP);
    for (const char* name : kBuiltInItems)
        m.set(items, name, Value::boolean(true));
    m.set(self, "builtInItems", Value::object(items));
    return Value();
}

Value hideBuiltInItems(NativeCall& c)
{
    Machine& m = c.machine;
    Object* items = c.thisObject() ? m.get(c.thisObject(), "builtInItems").objectOrNull() : nullptr;
    if (items)
        for (const char* name : kBuiltInItems)
            m.set(items, name, Value::boolean(false));
    return Value();
}

Value contextMenuCopy(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    const Value copy = m.construct(m.get(m.global(), "ContextMenu"), {});
    Object* target = copy.objectOrNull();
    if (!target)
        return copy;
    m.set(target, "onSelect", m.get(self, "onSelect"));
    m.set(target, "builtInItems", m.get(self, "builtInItems"));
    // Custom items are copied one by one, with their own copy().
    if (Object* items = m.get(self, "customItems").objectOrNull()) {
        if (Object* into = m.get(target, "customItems").objectOrNull()) {
            const double n = m.toNumber(m.get(items, m.names().length));
            for (double i = 0; i < n && i < 65536; ++i) {
                const Value item = m.getMember(Value::object(items), Value::number(i));
                m.setMember(Value::object(into), Value::number(i), m.callMethod(item, m.intern("copy"), {}));
            }
        }
    }
    return copy;
}

Value contextMenuItemConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    m.set(self, "caption", c.arg(0));
    m.set(self, "onSelect", c.arg(1));
    m.set(self, "separatorBefore", c.count() > 2 ? c.arg(2) : Value::boolean(false));
    m.set(self, "enabled", c.count() > 3 ? c.arg(3) : Value::boolean(true));
    m.set(self, "visible", c.count() > 4 ? c.arg(4) : Value::boolean(true));
    return Value();
}

Value contextMenuItemCopy(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    const Value args[] {m.get(self, "caption"), m.get(self, "onSelect"), m.get(self, "separatorBefore"), m.get(self, "enabled"),
                        m.get(self, "visible")};
    return m.construct(m.get(m.global(), "ContextMenuItem"), args);
}

Function* scriptLikeMethod(Machine& machine, Object* prototype, std::string_view name, NativeFunction native, std::uint32_t flags)
{
    Function* f = defineMethod(machine, prototype, name, native, flags);
    machine.addPrototype(f);
    return f;
}

} // namespace

void installContextMenuClasses(Machine& machine)
{
    // The prototypes' contents are hidden from movies before version 7.
    const std::uint32_t methodFlags = HP | Swf7;
    Object* menu = machine.newObject();
    menu->setPrototypeFlags(HP | Swf7);
    Function* menuClass = defineClass(machine, "ContextMenu", contextMenuConstructor, menu);
    machine.define(menu, machine.names().constructor, Value::object(menuClass), methodFlags);
    scriptLikeMethod(machine, menu, "copy", contextMenuCopy, methodFlags);
    scriptLikeMethod(machine, menu, "hideBuiltInItems", hideBuiltInItems, methodFlags);

    Object* item = machine.newObject();
    item->setPrototypeFlags(HP | Swf7);
    Function* itemClass = defineClass(machine, "ContextMenuItem", contextMenuItemConstructor, item);
    machine.define(item, machine.names().constructor, Value::object(itemClass), methodFlags);
    scriptLikeMethod(machine, item, "copy", contextMenuItemCopy, methodFlags);
}

} // namespace swf::script
