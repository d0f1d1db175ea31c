// System: what the player and the machine it runs on can do
// (capabilities), the security calls movies make before loading
// (allowDomain and friends, which change nothing here: the sandbox is
// fixed by where the movie came from), the input method editor, and the
// text encoding switch. Capabilities tell the truth about this player:
// sound and video play, nothing records, script does not print.

#include <cctype>
#include <cstdio>

#include "swf/script/Machine.h"
#include "swf/script/PlayerVersion.h"
#include "swf/script/classes/Broadcasters.h"
#include "swf/script/classes/Builtins.h"
#include "swf/script/classes/ClassSupport.h"

namespace swf::script {

using namespace BuiltinFlags;

namespace {

Value unknownMode(NativeCall& c)
{
    return Value::string(c.machine.intern("UNKNOWN"));
}

// Percent-escapes all but letters, digits and "-_.", as serverString
// carries its values.
std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.') {
            out += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        }
    }
    return out;
}

void installCapabilities(Machine& m, Object* system)
{
    const Host::SystemFacts facts = m.host().systemFacts();
    Object* capabilities = m.newObject();
    m.define(system, "capabilities", Value::object(capabilities));
    // Name, value and serverString's short name, in serverString's order.
    const struct {
        const char* name;
        bool value;
        const char* shortName;
    } flags[] = {
        {"hasAudio", true, "A"},
        {"hasStreamingAudio", true, "SA"},
        {"hasStreamingVideo", true, "SV"},
        {"hasEmbeddedVideo", true, "EV"},
        {"hasMP3", true, "MP3"},
        {"hasAudioEncoder", false, "AE"},
        {"hasVideoEncoder", false, "VE"},
        {"hasAccessibility", false, "ACC"},
        {"hasPrinting", false, "PR"},
        {"hasScreenPlayback", false, "SP"},
        {"hasScreenBroadcast", false, "SB"},
        {"isDebugger", false, "DEB"},
    };
#if defined(_WIN32)
    const std::string os = "Windows";
#elif defined(__APPLE__)
    const std::string os = "Mac OS";
#else
    const std::string os = "Linux";
#endif
    const std::string manufacturer = "Tovimark " + os;
    const std::string resolution = std::to_string(facts.screenWidth) + "x" + std::to_string(facts.screenHeight);
    std::string server;
    for (const auto& flag : flags) {
        m.define(capabilities, flag.name, Value::boolean(flag.value));
        server += std::string(server.empty() ? "" : "&") + flag.shortName + (flag.value ? "=t" : "=f");
    }
    const std::pair<const char*, std::string> texts[] = {
        {"V", std::string(kPlayerVersion)}, {"M", manufacturer}, {"R", resolution}, {"DP", std::to_string(facts.screenDpi)},
        {"COL", "color"}, {"AR", "1.0"}, {"OS", os}, {"L", facts.language}, {"IME", "t"}, {"PT", "StandAlone"},
        {"AVD", "t"}, {"LFD", "f"}, {"WD", "f"},
    };
    for (const auto& [shortName, value] : texts)
        server += std::string("&") + shortName + "=" + escaped(value);
    m.define(capabilities, "hasIME", Value::boolean(true));
    m.define(capabilities, "avHardwareDisable", Value::boolean(true));
    m.define(capabilities, "localFileReadDisable", Value::boolean(false));
    m.define(capabilities, "windowlessDisable", Value::boolean(false));
    m.define(capabilities, "language", m.stringValue(facts.language));
    m.define(capabilities, "manufacturer", m.stringValue(manufacturer));
    m.define(capabilities, "os", m.stringValue(os));
    m.define(capabilities, "pixelAspectRatio", Value::number(1));
    m.define(capabilities, "playerType", m.stringValue("StandAlone"));
    m.define(capabilities, "screenColor", m.stringValue("color"));
    m.define(capabilities, "screenDPI", Value::number(facts.screenDpi));
    m.define(capabilities, "screenResolutionX", Value::number(facts.screenWidth));
    m.define(capabilities, "screenResolutionY", Value::number(facts.screenHeight));
    m.define(capabilities, "version", Value::string(m.intern(kPlayerVersion)));
    m.define(capabilities, "serverString", m.stringValue(server));
}

void installSecurity(Machine& m, Object* system)
{
    Object* security = m.newObject();
    m.define(system, "security", Value::object(security));
    for (const char* name : {"allowDomain", "allowInsecureDomain", "loadPolicyFile"})
        defineMethod(m, security, name, answerUndefined);
    defineMethod(m, security, "chooseLocalSwfPath", answerUndefined);
    defineMethod(m, security, "escapeDomain", answerUndefined);
    Object* resolverPrototype = m.newObject();
    Function* resolver = defineClass(m, {}, answerUndefined, resolverPrototype);
    m.define(security, "PolicyFileResolver", Value::object(resolver));
    defineMethod(m, resolverPrototype, "resolve", answerUndefined);
    const std::string& url = m.host().movieUrl();
    const bool web = url.starts_with("http:") || url.starts_with("https:");
    m.define(security, "sandboxType", m.stringValue(web ? "remote" : "localWithFile"));
}

void installIme(Machine& m, Object* system)
{
    Object* ime = m.newObject();
    m.define(system, "IME", Value::object(ime));
    for (const char* mode : {"ALPHANUMERIC_FULL", "ALPHANUMERIC_HALF", "CHINESE", "JAPANESE_HIRAGANA", "JAPANESE_KATAKANA_FULL",
                             "JAPANESE_KATAKANA_HALF", "KOREAN", "UNKNOWN"})
        m.define(ime, mode, Value::string(m.intern(mode)));
    // The desktop's own input method serves text fields; movies cannot
    // steer it.
    for (const char* name : {"getEnabled", "setEnabled", "setConversionMode", "setCompositionString", "doConversion"})
        defineMethod(m, ime, name, answerFalse);
    defineMethod(m, ime, "getConversionMode", unknownMode);
    makeBroadcaster(m, ime);
}

void installProduct(Machine& m, Object* system)
{
    Object* p = m.newObject();
    Function* product = defineClass(m, {}, answerUndefined, p);
    m.define(system, "Product", Value::object(product));
    for (const char* name : {"download", "installedVersion", "isInstalled", "isRunning", "launch"})
        defineMethod(m, p, name, answerFalse);
}

} // namespace

void installSystemObject(Machine& machine)
{
    Object* system = machine.newObject();
    machine.define(machine.global(), "System", Value::object(system), H);
    installCapabilities(machine, system);
    installSecurity(machine, system);
    installIme(machine, system);
    installProduct(machine, system);
    defineMethod(machine, system, "setClipboard", answerUndefined);
    defineMethod(machine, system, "showSettings", answerUndefined);
    // Text of files loaded without a byte order mark is read as UTF-8,
    // or in the desktop's code page once a movie sets this.
    machine.define(system, "useCodepage", Value::boolean(false));
    machine.define(system, "exactSettings", Value::boolean(machine.vmVersion() >= 7));
}

} // namespace swf::script
