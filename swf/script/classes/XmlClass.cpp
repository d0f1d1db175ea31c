// XML: a document node that parses text into its children. Its state
// (status, xmlDecl, docTypeDecl, loaded) is plain properties of the
// object, so movies read and override them as they always have; whether
// white space is ignored is read from `ignoreWhite` wherever the movie
// put it, its prototype included.

#include "swf/script/Machine.h"
#include "swf/script/XmlParser.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"
#include "swf/script/classes/Loads.h"
#include "swf/script/classes/XmlNodes.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

void parseInto(Machine& m, Object* self, const Value& source)
{
    const std::string text = m.toStdString(source);
    const XmlDocumentData parsed = parseXml(text, m.toBoolean(m.get(self, "ignoreWhite")));
    m.chargeWork(text.size() / 64);
    clearXmlChildren(m, self);
    appendParsedXml(m, self, parsed);
    if (!parsed.xmlDecl.empty())
        m.set(self, "xmlDecl", m.stringValue(parsed.xmlDecl));
    if (!parsed.docTypeDecl.empty())
        m.set(self, "docTypeDecl", m.stringValue(parsed.docTypeDecl));
    m.set(self, "status", Value::number(parsed.status));
}

Value xmlConstructor(NativeCall& c)
{
    Machine& m = c.machine;
    Object* self = c.thisObject();
    if (!self)
        return Value();
    makeIntoXmlNode(m, self, kXmlElement, Value::null());
    m.set(self, "status", Value::number(0));
    if (c.count() > 0 && !c.arg(0).isNullish())
        parseInto(m, self, c.arg(0));
    return Value();
}

Value parseXmlMethod(NativeCall& c)
{
    if (isXmlNode(c.thisValue))
        parseInto(c.machine, c.thisObject(), c.arg(0));
    return Value();
}

Value createNodeMethod(NativeCall& c)
{
    return Value::object(newXmlNode(c.machine, c.callee->tag(), c.arg(0)));
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
    machine.define(p, "__constructor__", nodeClass, H);
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
