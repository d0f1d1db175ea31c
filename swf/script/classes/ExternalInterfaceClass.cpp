// flash.external.ExternalInterface: calls between the movie and the page
// that holds it. A desktop player has no page, so it is not available:
// call answers null and addCallback false, as the reference player does
// where there is no container. The text helpers the class keeps for its
// own messages work as the reference player's do.

#include <string>
#include <string_view>

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value constructor(NativeCall&)
{
    return Value();
}

Value availableGetter(NativeCall&)
{
    return Value::boolean(false);
}

// The text of the first argument, or null where there is none to change.
template <typename Rewrite>
Value rewriteText(NativeCall& c, Rewrite rewrite)
{
    if (c.arg(0).isUndefined() || c.arg(0).isNull())
        return Value::null();
    const std::string text = c.machine.toStdString(c.arg(0));
    if (text.empty())
        return Value::null();
    std::string out;
    out.reserve(text.size());
    rewrite(std::string_view(text), out);
    return c.machine.stringValue(out);
}

// A string as a JavaScript literal's inside: quotes and line ends escaped,
// nothing else (backslashes included) touched.
Value jsQuoteString(NativeCall& c)
{
    return rewriteText(c, [](std::string_view text, std::string& out) {
        for (const char ch : text) {
            switch (ch) {
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += ch; break;
            }
        }
    });
}

constexpr struct {
    char plain;
    std::string_view entity;
} kEntities[] {{'&', "&amp;"}, {'"', "&quot;"}, {'\'', "&apos;"}, {'<', "&lt;"}, {'>', "&gt;"}};

Value escapeXml(NativeCall& c)
{
    return rewriteText(c, [](std::string_view text, std::string& out) {
        for (const char ch : text) {
            std::string_view entity;
            for (const auto& e : kEntities)
                if (e.plain == ch)
                    entity = e.entity;
            if (entity.empty())
                out += ch;
            else
                out += entity;
        }
    });
}

// The five entities back to their characters, in one pass from the left,
// so "&amp;lt;" becomes "&lt;"; any other entity stays as written.
Value unescapeXml(NativeCall& c)
{
    return rewriteText(c, [](std::string_view text, std::string& out) {
        for (std::size_t i = 0; i < text.size();) {
            bool replaced = false;
            if (text[i] == '&') {
                for (const auto& e : kEntities) {
                    if (text.substr(i, e.entity.size()) == e.entity) {
                        out += e.plain;
                        i += e.entity.size();
                        replaced = true;
                        break;
                    }
                }
            }
            if (!replaced)
                out += text[i++];
        }
    });
}

} // namespace

void installExternalInterfaceClass(Machine& machine)
{
    packageObject(machine, "flash", H | Swf6);
    Object* external = packageObject(machine, "flash.external", H | Swf8);
    Object* p = machine.newObject();
    Function* cls = defineClass(machine, {}, constructor, p, H, HPC);
    machine.define(external, "ExternalInterface", Value::object(cls), H | Swf8);
    defineAccessor(machine, cls, "available", availableGetter, nullptr, HP);
    defineScriptMethod(machine, cls, "addCallback", answerFalse, HPC);
    defineScriptMethod(machine, cls, "call", answerNull, HPC);
    defineMethod(machine, cls, "_escapeXML", escapeXml, HPC);
    defineMethod(machine, cls, "_unescapeXML", unescapeXml, HPC);
    defineMethod(machine, cls, "_jsQuoteString", jsQuoteString, HPC);
    // The rest carry messages to and from a page; with none, they have
    // nothing to do.
    for (const char* name : {"_addCallback", "_callOut", "_evalJS", "_initJS", "_objectID"})
        defineMethod(machine, cls, name, answerUndefined, HPC);
    for (const char* name : {"_argumentsToAS", "_argumentsToXML", "_arrayToAS", "_arrayToJS", "_arrayToXML", "_callIn", "_objectToAS",
                             "_objectToJS", "_objectToXML", "_toAS", "_toJS", "_toXML"})
        defineScriptMethod(machine, cls, name, answerUndefined, HPC);
}

} // namespace swf::script
