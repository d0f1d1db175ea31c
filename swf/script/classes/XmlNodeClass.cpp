// XMLNode: the node API over the store described in XmlNodes.h.

#include <algorithm>

#include "swf/script/ArrayObject.h"
#include "swf/script/Machine.h"
#include "swf/script/XmlParser.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/XmlNodes.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

// The store's slots.
enum Slot : std::uint32_t { Marker, TypeSlot, Name, NodeValue, Parent, Children, ChildNodes, Attributes, DocumentFields };
constexpr std::uint32_t kSlots = DocumentFields + kXmlDocumentFieldCount;
constexpr const char* kMarker = "XMLNode";

ArrayObject* storeOf(Object* node)
{
    if (!node || node->kind() != ObjectKind::Plain)
        return nullptr;
    Object* store = node->primitive().objectOrNull();
    if (!store || store->kind() != ObjectKind::Array || store->prototype())
        return nullptr;
    auto* array = static_cast<ArrayObject*>(store);
    if (array->denseSize() != kSlots || !array->dense(Marker).isString() || array->dense(Marker).asString()->view() != kMarker)
        return nullptr;
    return array;
}

Value slot(Object* node, Slot s)
{
    ArrayObject* store = storeOf(node);
    return store ? store->dense(s) : Value();
}

void setSlot(Machine& m, Object* node, Slot s, const Value& value)
{
    if (ArrayObject* store = storeOf(node))
        store->setIndex(m, s, value);
}

ArrayObject* childList(Object* node)
{
    Object* list = slot(node, Children).objectOrNull();
    return list && list->kind() == ObjectKind::Array ? static_cast<ArrayObject*>(list) : nullptr;
}

void setChildren(Machine& m, Object* node, const std::vector<Object*>& children)
{
    // Each change copies the list: a movie that grows a long one pays.
    m.chargeWork(children.size());
    std::vector<Value> values;
    values.reserve(children.size());
    for (Object* child : children)
        values.push_back(Value::object(child));
    if (ArrayObject* list = childList(node))
        list->assign(m, values);
    if (Object* visible = slot(node, ChildNodes).objectOrNull(); visible && visible->kind() == ObjectKind::Array)
        static_cast<ArrayObject*>(visible)->assign(m, std::move(values));
}

Object* parentOf(Object* node)
{
    return slot(node, Parent).objectOrNull();
}

void detach(Machine& m, Object* node)
{
    Object* parent = parentOf(node);
    if (!parent)
        return;
    std::vector<Object*> siblings = xmlChildren(parent);
    std::erase(siblings, node);
    setChildren(m, parent, siblings);
    setSlot(m, node, Parent, Value::null());
}

// Takes `child` from where it was and puts it below `parent`, before
// `before` (one of the parent's children) or last. Before version 8 a
// node may go below itself or its own descendants, as the reference
// player lets it: the tree then holds a cycle, and every walk over it is
// charged to the script's budget, so a walk round the cycle ends the
// script, never the player. From version 8 that is refused (false).
bool placeXmlChild(Machine& m, Object* parent, Object* child, Object* before)
{
    if (m.version() >= 8)
        for (Object* up = parent; up; up = parentOf(up)) {
            m.chargeWork(1);
            if (up == child)
                return false;
        }
    detach(m, child);
    std::vector<Object*> children = xmlChildren(parent);
    children.insert(before ? std::find(children.begin(), children.end(), before) : children.end(), child);
    setChildren(m, parent, children);
    setSlot(m, child, Parent, Value::object(parent));
    return true;
}

// Name parts: "pre:local" splits at its first colon, unless that colon
// ends the name.
std::size_t prefixColon(std::string_view name)
{
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos || colon + 1 == name.size() ? std::string_view::npos : colon;
}

std::string_view prefixOf(std::string_view name)
{
    const std::size_t colon = prefixColon(name);
    return colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
}

std::string_view localOf(std::string_view name)
{
    const std::size_t colon = prefixColon(name);
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Walks from the node up for an attribute that passes `match`.
template <typename Match>
Value findUp(Machine& m, Object* node, Match match)
{
    for (int depth = 0; node && depth < 1 << 20; node = parentOf(node), ++depth) {
        m.chargeWork(1);
        Object* attributes = slot(node, Attributes).objectOrNull();
        if (!attributes)
            continue;
        for (const Property& p : attributes->properties())
            if (Value found = match(p); !found.isUndefined())
                return found;
    }
    return Value::null();
}

Value namespaceFor(Machine& m, Object* node, std::string_view prefix)
{
    const std::string wanted = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
    return findUp(m, node, [&](const Property& p) { return p.key->view() == wanted ? Value::string(m.toString(p.value)) : Value(); });
}

// -- Accessors ----------------------------------------------------------------

enum Field { FieldType, FieldName, FieldValue, FieldAttributes, FieldChildNodes, FieldFirst, FieldLast, FieldNext, FieldPrevious,
             FieldParent, FieldPrefix, FieldLocalName, FieldNamespace };

constexpr const char* kFieldNames[] {"nodeType",   "nodeName",   "nodeValue",       "attributes", "childNodes", "firstChild", "lastChild",
                                     "nextSibling", "previousSibling", "parentNode", "prefix",     "localName",  "namespaceURI"};

Value sibling(Object* node, int step)
{
    Object* parent = parentOf(node);
    if (!parent)
        return Value::null();
    const std::vector<Object*> siblings = xmlChildren(parent);
    const auto at = std::find(siblings.begin(), siblings.end(), node);
    if (at == siblings.end())
        return Value::null();
    const std::ptrdiff_t index = (at - siblings.begin()) + step;
    return index >= 0 && index < std::ptrdiff_t(siblings.size()) ? Value::object(siblings[std::size_t(index)]) : Value::null();
}

Value fieldGetter(NativeCall& c)
{
    Machine& m = c.machine;
    Object* node = c.thisObject();
    if (!storeOf(node))
        return Value();
    const Value name = slot(node, Name);
    switch (Field(c.callee->tag())) {
    case FieldType: return slot(node, TypeSlot);
    case FieldName: return name;
    case FieldValue: return slot(node, NodeValue);
    case FieldAttributes: return slot(node, Attributes);
    case FieldChildNodes: return slot(node, ChildNodes);
    case FieldFirst:
    case FieldLast: {
        const std::vector<Object*> children = xmlChildren(node);
        if (children.empty())
            return Value::null();
        return Value::object(c.callee->tag() == FieldFirst ? children.front() : children.back());
    }
    case FieldNext:
    case FieldPrevious:
        m.chargeWork(xmlChildren(parentOf(node)).size());
        return sibling(node, c.callee->tag() == FieldNext ? 1 : -1);
    case FieldParent: return Value::objectOrNull(parentOf(node));
    case FieldPrefix:
    case FieldLocalName:
    case FieldNamespace: {
        if (!name.isString())
            return Value::null();
        const std::string_view text = name.asString()->view();
        if (c.callee->tag() == FieldPrefix)
            return m.stringValue(std::string(prefixOf(text)));
        if (c.callee->tag() == FieldLocalName)
            return m.stringValue(std::string(localOf(text)));
        const Value uri = namespaceFor(m, node, prefixOf(text));
        return uri.isNull() ? Value::string(m.heap().emptyString()) : uri;
    }
    }
    return Value();
}

Value fieldSetter(NativeCall& c)
{
    Machine& m = c.machine;
    Object* node = c.thisObject();
    if (!storeOf(node))
        return Value();
    // A name is kept as text; a value as it was given.
    const Value v = c.arg(0);
    // An undefined name leaves the name as it was.
    if (c.callee->tag() == FieldName && !v.isUndefined())
        setSlot(m, node, Name, Value::string(m.toString(v)));
    else if (c.callee->tag() == FieldValue)
        setSlot(m, node, NodeValue, v);
    return Value();
}

// -- Methods ------------------------------------------------------------------

Value nodeConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    // Without both its type and its text there is no node.
    if (!self || c.arg(0).isUndefined() || c.arg(1).isUndefined())
        return Value();
    makeIntoXmlNode(m, self, int(m.toInt32(c.arg(0))), Value::string(m.toString(c.arg(1))));
    // A node made brings the accessors back to a prototype the movie
    // replaced.
    if (c.constructing)
        installXmlNodeAccessors(m, self->prototype());
    return Value();
}

Value appendChildMethod(NativeCall& c)
{
    Object* child = c.arg(0).objectOrNull();
    if (storeOf(c.thisObject()) && storeOf(child))
        appendXmlChild(c.machine, c.thisObject(), child);
    return Value();
}

Value insertBeforeMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    Object* child = c.arg(0).objectOrNull();
    Object* before = c.arg(1).objectOrNull();
    if (!storeOf(self) || !storeOf(child) || !before || child == before || parentOf(before) != self)
        return Value();
    placeXmlChild(m, self, child, before);
    return Value();
}

Value removeNodeMethod(NativeCall& c)
{
    if (storeOf(c.thisObject()))
        detach(c.machine, c.thisObject());
    return Value();
}

Value hasChildNodesMethod(NativeCall& c)
{
    return Value::boolean(!xmlChildren(c.thisObject()).empty());
}

Object* copyNode(Machine& m, Object* node)
{
    Object* copy = newXmlNode(m, int(m.toNumber(slot(node, TypeSlot))), Value());
    setSlot(m, copy, Name, slot(node, Name));
    setSlot(m, copy, NodeValue, slot(node, NodeValue));
    Object* from = slot(node, Attributes).objectOrNull();
    Object* into = slot(copy, Attributes).objectOrNull();
    if (from && into)
        for (const Property& p : from->properties())
            m.define(into, p.key, p.value);
    return copy;
}

// A deep copy is made level by level, so a tall tree costs no native stack.
Value cloneNodeMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!storeOf(self))
        return Value();
    Object* root = copyNode(m, self);
    if (!m.toBoolean(c.arg(0)))
        return Value::object(root);
    std::vector<std::pair<Object*, Object*>> pending {{self, root}};
    while (!pending.empty()) {
        const auto [from, into] = pending.back();
        pending.pop_back();
        for (Object* child : xmlChildren(from)) {
            m.chargeWork(1);
            Object* copy = copyNode(m, child);
            appendXmlChild(m, into, copy);
            pending.emplace_back(child, copy);
        }
    }
    return Value::object(root);
}

Value escapeMethod(NativeCall& c)
{
    Machine& m = c.machine;
    if (c.count() == 0)
        return Value();
    return m.stringValue(escapeXml(m.toString(c.arg(0))->view()));
}

Value toStringMethod(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!storeOf(self))
        return Value();
    // A document starts with the declarations it was parsed with.
    std::string text;
    if (slot(self, Name).isNull() && m.toNumber(slot(self, TypeSlot)) == kXmlElement)
        for (const char* key : {"xmlDecl", "docTypeDecl"})
            if (const Value decl = m.get(c.thisValue, m.intern(key)); decl.isString())
                text += decl.asString()->view();
    return m.stringValue(text + xmlText(m, self));
}

Value namespaceForPrefixMethod(NativeCall& c)
{
    Machine& m = c.machine;
    if (!storeOf(c.thisObject()) || c.count() == 0)
        return Value::null();
    return namespaceFor(m, c.thisObject(), m.toString(c.arg(0))->view());
}

Value prefixForNamespaceMethod(NativeCall& c)
{
    Machine& m = c.machine;
    if (!storeOf(c.thisObject()) || c.count() == 0)
        return Value::null();
    const std::string uri = m.toStdString(c.arg(0));
    return findUp(m, c.thisObject(), [&](const Property& p) {
        const std::string_view key = p.key->view();
        if (!key.starts_with("xmlns") || (key.size() > 5 && key[5] != ':') || m.toStdString(p.value) != uri)
            return Value();
        return m.stringValue(std::string(key.size() > 5 ? key.substr(6) : std::string_view()));
    });
}

} // namespace

bool isXmlNode(const Value& value)
{
    return storeOf(value.objectOrNull()) != nullptr;
}

void makeIntoXmlNode(Machine& m, Object* object, int type, const Value& content)
{
    ArrayObject* store = m.newBareArray(nullptr);
    ArrayObject* children = m.newBareArray(nullptr);
    Object* attributes = m.newObject(nullptr);
    const Value textValue = content.isNullish() ? Value::null() : Value::string(m.toString(content));
    // Only elements are named; every other type holds its text.
    const bool text = type != kXmlElement;
    store->assign(m, {Value::string(m.intern(kMarker)), Value::number(type), text ? Value::null() : textValue, text ? textValue : Value::null(), Value::null(), Value::object(children),
                      Value::object(m.newArray()), Value::object(attributes),
                      // What a document starts with: see XmlDocumentField.
                      m.stringValue("application/x-www-form-urlencoded"), Value(), Value::boolean(false), Value(), Value::number(0), Value()});
    object->setPrimitive(Value::object(store));
}

Object* newXmlNode(Machine& m, int type, const Value& text)
{
    const Value nodeClass = m.get(Value::object(m.global()), m.intern("XMLNode"));
    Object* prototype = m.get(nodeClass, m.names().prototype).objectOrNull();
    Object* node = m.newObject(prototype ? prototype : m.builtins().objectPrototype);
    makeIntoXmlNode(m, node, type, text);
    // Made by the player, not by `new`: it names its class as such.
    m.define(node, m.names().constructor, nodeClass, HP);
    return node;
}

std::vector<Object*> xmlChildren(Object* node)
{
    std::vector<Object*> out;
    if (ArrayObject* list = childList(node))
        for (std::size_t i = 0; i < list->denseSize(); ++i)
            if (Object* child = list->dense(i).objectOrNull())
                out.push_back(child);
    return out;
}

bool appendXmlChild(Machine& m, Object* parent, Object* child)
{
    return parentOf(child) != parent && placeXmlChild(m, parent, child, nullptr);
}

void clearXmlChildren(Machine& m, Object* node)
{
    for (Object* child : xmlChildren(node))
        setSlot(m, child, Parent, Value::null());
    setChildren(m, node, {});
}

void appendParsedXml(Machine& m, Object* parent, const XmlDocumentData& parsed)
{
    // The parser bounds the depth; the pending list keeps this flat anyway.
    std::vector<std::pair<const std::vector<XmlNodeData>*, Object*>> pending {{&parsed.nodes, parent}};
    while (!pending.empty()) {
        const auto [nodes, into] = pending.back();
        pending.pop_back();
        std::vector<Object*> made;
        for (const XmlNodeData& data : *nodes) {
            const bool element = data.type == XmlNodeData::Type::Element;
            Object* node = newXmlNode(m, element ? kXmlElement : kXmlText, m.stringValue(element ? data.name : data.value));
            if (Object* attributes = slot(node, Attributes).objectOrNull())
                for (const auto& [key, value] : data.attributes)
                    m.define(attributes, m.intern(unescapeXml(key)), m.stringValue(value));
            setSlot(m, node, Parent, Value::object(into));
            made.push_back(node);
            if (!data.children.empty())
                pending.emplace_back(&data.children, node);
        }
        std::vector<Object*> children = xmlChildren(into);
        children.insert(children.end(), made.begin(), made.end());
        setChildren(m, into, children);
    }
}

std::string xmlText(Machine& m, Object* node)
{
    // Iterative: a tree script built may be far taller than the stack.
    std::string out;
    struct Step {
        Object* node;
        bool closing;
    };
    std::vector<Step> steps {{node, false}};
    while (!steps.empty()) {
        const Step step = steps.back();
        steps.pop_back();
        m.chargeWork(1);
        const Value name = slot(step.node, Name);
        if (step.closing) {
            out += "</" + m.toStdString(name) + ">";
            continue;
        }
        if (m.toNumber(slot(step.node, TypeSlot)) != kXmlElement) {
            const Value value = slot(step.node, NodeValue);
            out += value.isNullish() ? std::string() : escapeXml(m.toStdString(value));
            continue;
        }
        const std::vector<Object*> children = xmlChildren(step.node);
        if (name.isString()) {
            out += "<" + std::string(name.asString()->view());
            if (Object* attributes = slot(step.node, Attributes).objectOrNull())
                for (const Property& p : attributes->properties())
                    out += " " + std::string(p.key->view()) + "=\"" + escapeXml(m.toStdString(p.value)) + "\"";
            if (children.empty()) {
                out += " />";
                continue;
            }
            out += ">";
            steps.push_back({step.node, true});
        }
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            steps.push_back({*it, false});
        if (out.size() > Heap::kMaxStringBytes)
            m.abort("an XML text grew beyond what a movie may build");
    }
    return out;
}

Value xmlDocumentField(Object* node, XmlDocumentField field)
{
    return slot(node, Slot(DocumentFields + std::uint32_t(field)));
}

bool setXmlDocumentField(Machine& machine, Object* node, XmlDocumentField field, const Value& value)
{
    if (!storeOf(node))
        return false;
    setSlot(machine, node, Slot(DocumentFields + std::uint32_t(field)), value);
    return true;
}

void installXmlNodeAccessors(Machine& machine, Object* prototype)
{
    if (!prototype)
        return;
    for (int i = 0; i < int(std::size(kFieldNames)); ++i) {
        // What the movie put there itself stays.
        if (machine.findOwn(prototype, machine.intern(kFieldNames[i])))
            continue;
        const bool writable = i == FieldName || i == FieldValue;
        defineAccessor(machine, prototype, kFieldNames[i], fieldGetter, writable ? fieldSetter : nullptr, 0, i);
    }
}

void installXmlNodeClass(Machine& machine)
{
    Object* p = machine.newObject();
    defineClass(machine, "XMLNode", nodeConstructor, p);
    installXmlNodeAccessors(machine, p);
    defineMethod(machine, p, "appendChild", appendChildMethod, 0);
    defineMethod(machine, p, "cloneNode", cloneNodeMethod, 0);
    defineMethod(machine, p, "getNamespaceForPrefix", namespaceForPrefixMethod, 0);
    defineMethod(machine, p, "getPrefixForNamespace", prefixForNamespaceMethod, 0);
    defineMethod(machine, p, "hasChildNodes", hasChildNodesMethod, 0);
    defineMethod(machine, p, "insertBefore", insertBeforeMethod, 0);
    defineMethod(machine, p, "removeNode", removeNodeMethod, 0);
    defineMethod(machine, p, "toString", toStringMethod, 0);
    registerNative(machine, 100, 5, escapeMethod);
}

} // namespace swf::script
