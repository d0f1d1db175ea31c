// SharedObject: what a movie keeps on this machine between runs (scores,
// settings, progress). getLocal hands out one object per movie and name,
// its `data` read back from the store; flush writes it, and whatever is
// still in use is written when the movie ends. Remote objects need a
// server this player does not talk to, so getRemote finds none.

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/SharedObjectStore.h"
#include "swf/script/SolFormat.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

enum Slot : std::size_t { Marker, Key, Name, SlotCount };

struct Stored {
    ArrayObject* slots = nullptr;
    SharedObjectRegistry* registry = nullptr;
    std::string key;
};

Stored storedOf(Machine& m, const Value& of)
{
    Stored stored;
    stored.slots = nativeStore(m, of, "SharedObject", SlotCount);
    stored.registry = m.host().sharedObjects();
    if (stored.slots && stored.registry)
        stored.key = m.toStdString(stored.slots->dense(Key));
    else
        stored.slots = nullptr;
    return stored;
}

Value sharedObjectConstructor(NativeCall&)
{
    return Value();
}

Value getLocal(NativeCall& c)
{
    Machine& m = c.machine;
    SharedObjectRegistry* registry = m.host().sharedObjects();
    if (!registry || c.arg(0).isUndefined())
        return Value::null();
    const std::string name = m.toStdString(c.arg(0));
    std::optional<std::string> localPath;
    if (c.count() > 1 && !c.arg(1).isUndefined() && !c.arg(1).isNull())
        localPath = m.toStdString(c.arg(1));
    const auto key = sharedObjectKey(m.host().movieUrl(), name, localPath);
    if (!key)
        return Value::null();
    if (const auto live = registry->roots.find(*key); live != registry->roots.end())
        return m.hostRoot(live->second);

    const Value sharedObjectClass = m.get(Value::object(m.global()), m.intern("SharedObject"));
    Object* self = m.newObject(m.get(sharedObjectClass, m.names().prototype).objectOrNull());
    ArrayObject* slots = makeNativeStore(m, self, "SharedObject", SlotCount);
    slots->setIndex(m, Key, m.stringValue(*key));
    slots->setIndex(m, Name, m.stringValue(name));
    Object* data = m.newObject();
    if (const auto bytes = registry->store->read(*key); bytes && !decodeSol(m, *bytes, data)) {
        m.host().diagnostic("stored object \"" + name + "\" could not be read back; it was set aside and starts empty");
        registry->store->setAside(*key);
    }
    m.define(self, "data", Value::object(data));
    registry->roots.emplace(*key, m.addHostRoot(Value::object(self)));
    return Value::object(self);
}

// The object's `data` as it stands, read without running any script:
// the store is also written when no script may run.
Object* dataOf(Machine& m, const Value& self)
{
    Object* object = self.objectOrNull();
    const Property* p = object ? m.findOwn(object, m.intern("data")) : nullptr;
    return p && !p->isAccessor() ? p->value.objectOrNull() : nullptr;
}

// Encodes the object's data as it is now; nothing when there is too much.
std::optional<std::string> encoded(Machine& m, const Value& self, const Stored& stored)
{
    Object* data = dataOf(m, self);
    return encodeSol(m, m.toStdString(stored.slots->dense(Name)), data, SharedObjectStore::kMaxFolderBytes);
}

Value flush(NativeCall& c)
{
    Machine& m = c.machine;
    const Stored stored = storedOf(m, c.thisValue);
    if (!stored.slots)
        return Value();
    const auto bytes = encoded(m, c.thisValue, stored);
    if (bytes && stored.registry->store->write(stored.key, *bytes) == SharedObjectStore::WriteResult::Written)
        return Value::boolean(true);
    m.host().diagnostic("stored object \"" + m.toStdString(stored.slots->dense(Name)) + "\" was not written: "
                        + (bytes ? "the disk refused it or the movie's share is full" : "its data is larger than a movie may keep"));
    return Value::boolean(false);
}

Value getSize(NativeCall& c)
{
    Machine& m = c.machine;
    const Stored stored = storedOf(m, c.thisValue);
    if (!stored.slots)
        return Value();
    const auto bytes = encoded(m, c.thisValue, stored);
    return Value::number(bytes ? double(bytes->size()) : 0);
}

Value clear(NativeCall& c)
{
    Machine& m = c.machine;
    const Stored stored = storedOf(m, c.thisValue);
    if (!stored.slots)
        return Value();
    if (Object* data = dataOf(m, c.thisValue)) {
        std::vector<String*> keys;
        for (const Property& p : data->properties())
            keys.push_back(p.key);
        for (String* key : keys)
            m.remove(data, key);
    }
    stored.registry->store->remove(stored.key);
    return Value();
}

} // namespace

void storeSharedObjects(Machine& machine)
{
    SharedObjectRegistry* registry = machine.host().sharedObjects();
    if (!registry)
        return;
    for (const auto& [key, root] : registry->roots) {
        const Value self = machine.hostRoot(root);
        const Stored stored = storedOf(machine, self);
        Object* data = stored.slots ? dataOf(machine, self) : nullptr;
        if (!data)
            continue;
        if (data->properties().empty()) {
            registry->store->remove(key);
            continue;
        }
        const auto bytes = encoded(machine, self, stored);
        if (!bytes || registry->store->write(key, *bytes) != SharedObjectStore::WriteResult::Written)
            machine.host().diagnostic("stored object \"" + machine.toStdString(stored.slots->dense(Name)) + "\" was not written as the movie ended");
    }
    for (const auto& [key, root] : registry->roots)
        machine.removeHostRoot(root);
    registry->roots.clear();
}

void installSharedObjectClass(Machine& machine)
{
    Object* p = machine.newObject();
    Function* sharedObject = defineClass(machine, "SharedObject", sharedObjectConstructor, p);
    defineScriptMethod(machine, sharedObject, "deleteAll", answerFalse, H);
    defineScriptMethod(machine, sharedObject, "getDiskUsage", answerZero, H);
    defineScriptMethod(machine, sharedObject, "getLocal", getLocal);
    defineScriptMethod(machine, sharedObject, "getRemote", answerNull);
    defineMethod(machine, p, "clear", clear);
    defineMethod(machine, p, "close", answerUndefined);
    defineMethod(machine, p, "connect", answerFalse);
    defineMethod(machine, p, "flush", flush);
    defineMethod(machine, p, "getSize", getSize);
    defineMethod(machine, p, "send", answerUndefined);
    defineMethod(machine, p, "setFps", answerFalse);

    // How much a remote object may take, which only a server could say.
    Object* usage = machine.newObject();
    Function* remoteUsage = defineClass(machine, "RemoteLSOUsage", sharedObjectConstructor, usage);
    defineScriptMethod(machine, remoteUsage, "getURLPageSupport", answerFalse, H);
}

} // namespace swf::script
