// XML: a document node that parses text into its children. Its state
// (contentType, docTypeDecl, ignoreWhite, loaded, status, xmlDecl) lives
// with the node and shows through accessors that the first document made
// puts on its prototype, as the reference player does; a movie that sets
// one of them on the prototype itself gets a plain value there, which
// every document then reads (`XML.prototype.ignoreWhite = true`).

#include "swf/script/Machine.h"
#include "swf/script/XmlParser.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Loads.h"
#include "swf/script/classes/XmlNodes.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

constexpr const char* kFieldNames[] {"contentType", "docTypeDecl", "ignoreWhite", "loaded", "status", "xmlDecl"};
static_assert(std::size(kFieldNames) == kXmlDocumentFieldCount);

void parseInto(Machine& m, Object* self, const Value& source)
{
    const std::string text = m.toStdString(source);
    const XmlDocumentData parsed = parseXml(text, m.toBoolean(m.get(self, "ignoreWhite")));
    m.chargeWork(text.size() / 64);
    clearXmlChildren(m, self);
    appendParsedXml(m, self, parsed);
    // A declaration the new text lacks is gone with the old text.
    const auto declaration = [&](const std::string& found) { return found.empty() ? Value() : m.stringValue(found); };
    setXmlDocumentField(m, self, XmlDocumentField::XmlDecl, declaration(parsed.xmlDecl));
    setXmlDocumentField(m, self, XmlDocumentField::DocTypeDecl, declaration(parsed.docTypeDecl));
    setXmlDocumentField(m, self, XmlDocumentField::Status, Value::number(parsed.status));
}

Value fieldGetter(NativeCall& c)
{
    return xmlDocumentField(c.thisObject(), XmlDocumentField(c.callee->tag()));
}

// What each field keeps of a value set: the reference player takes every
// value as text first (its toString runs), then as the field's own type,
// and leaves the field as it was for undefined.
Value fieldValue(Machine& m, XmlDocumentField field, const Value& given)
{
    const Value text = Value::string(m.toString(given));
    switch (field) {
    case XmlDocumentField::IgnoreWhite:
    case XmlDocumentField::Loaded: return Value::boolean(m.toBoolean(given));
    case XmlDocumentField::Status: return Value::number(m.toInt32(given));
    default: return text;
    }
}

Value fieldSetter(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    const auto field = XmlDocumentField(c.callee->tag());
    if (!self || (isXmlNode(c.thisValue) && c.arg(0).isUndefined()))
        return Value();
    if (isXmlNode(c.thisValue) && setXmlDocumentField(m, self, field, fieldValue(m, field, c.arg(0))))
        return Value();
    // Not a document (the prototype, most often): the value stays here.
    String* key = m.intern(kFieldNames[c.callee->tag()]);
    m.remove(self, key);
    m.define(self, key, c.arg(0));
    return Value();
}

void installFields(Machine& m, Object* prototype)
{
    if (!prototype)
        return;
    for (int i = 0; i < int(std::size(kFieldNames)); ++i)
        if (!m.findOwn(prototype, m.intern(kFieldNames[i])))
            defineAccessor(m, prototype, kFieldNames[i], fieldGetter, fieldSetter, 0, i);
}

Value xmlConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self || self->kind() != ObjectKind::Plain)
        return Value();
    makeIntoXmlNode(m, self, kXmlElement, Value::null());
    // A subclass's constructor reaches here through super(), not new;
    // its object descends from XML's prototype all the same.
    Object* prototype = m.get(Value::object(c.callee), m.names().prototype).objectOrNull();
    constexpr int kMaxChain = 256;
    bool descends = c.constructing;
    Object* up = self->prototype();
    for (int depth = 0; up && !descends && depth < kMaxChain; ++depth, up = up->prototype())
        descends = up == prototype;
    if (descends)
        installFields(m, prototype);
    // Null is text like any other value; only undefined parses nothing.
    if (!c.arg(0).isUndefined())
        parseInto(m, self, c.arg(0));
    return Value();
}

Value parseXmlMethod(NativeCall& c)
{
    if (isXmlNode(c.thisValue) && !c.arg(0).isUndefined())
        parseInto(c.machine, c.thisObject(), c.arg(0));
    return Value();
}

Value createNodeMethod(NativeCall& c)
{
    // Undefined makes no node; anything else is taken as text.
    if (c.arg(0).isUndefined())
        return Value();
    Object* node = newXmlNode(c.machine, c.callee->tag(), Value::string(c.machine.toString(c.arg(0))));
    installXmlNodeAccessors(c.machine, node->prototype());
    return Value::object(node);
}

Value onDataMethod(NativeCall& c)
{
    return defaultOnData(c, parseInto);
}

} // namespace

void installXmlClass(Machine& machine)
{
    const Value nodeClass = machine.get(Value::object(machine.global()), machine.intern("XMLNode"));
    Object* nodePrototype = machine.get(nodeClass, machine.names().prototype).objectOrNull();
    Object* p = machine.newObject(nodePrototype);
    machine.define(p, "__constructor__", nodeClass, H | Swf6);
    Function* xml = machine.newNative(xmlConstructor);
    initializeFunction(machine, xml, HP);
    machine.define(xml, machine.names().prototype, Value::object(p), HP);
    machine.define(machine.global(), "XML", Value::object(xml), H);
    defineScriptMethod(machine, p, "addRequestHeader", addRequestHeaderMethod);
    defineMethod(machine, p, "createElement", createNodeMethod, 0, kXmlElement);
    defineMethod(machine, p, "createTextNode", createNodeMethod, 0, kXmlText);
    defineScriptMethod(machine, p, "getBytesLoaded", bytesLoadedMethod, 0, 0);
    defineScriptMethod(machine, p, "getBytesTotal", bytesLoadedMethod, 0, 1);
    defineMethod(machine, p, "load", loadMethod, 0);
    defineScriptMethod(machine, p, "onData", onDataMethod);
    defineScriptMethod(machine, p, "onLoad", ignoreOnLoad);
    defineMethod(machine, p, "parseXML", parseXmlMethod, 0);
    defineMethod(machine, p, "send", sendMethod, 0);
    defineMethod(machine, p, "sendAndLoad", sendAndLoadMethod, 0);
}

} // namespace swf::script
