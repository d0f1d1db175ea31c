// The text a movie loads, through every parser that reads it: XML (with
// and without white space kept), URL-encoded variables and style sheets,
// first on their own and then through the script classes that build
// objects from them and write them back out; and the same bytes as an MP3
// file that loadSound reads (its ID3 tags and its frames) and as an FLV
// file that NetStream plays (its tags and their AMF0 script data), and as
// a stored object's file that SharedObject reads back. Loaded text comes
// from disk and the network, so whatever crashes, hangs or grows here
// would do the same to a person whose movie loads a hostile file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "swf/media/Amf0.h"
#include "swf/media/FlvFile.h"
#include "swf/media/Id3Tags.h"
#include "swf/media/Mp3File.h"
#include "swf/script/FakeHost.h"
#include "swf/script/Function.h"
#include "swf/script/Machine.h"
#include "swf/script/SolFormat.h"
#include "swf/script/StreamFile.h"
#include "swf/script/XmlParser.h"
#include "swf/script/classes/UrlVariables.h"
#include "swf/text/StyleSheetParser.h"

namespace {

using namespace swf::script;

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

std::size_t depthOf(const std::vector<XmlNodeData>& nodes)
{
    std::size_t deepest = 0;
    std::vector<std::pair<const std::vector<XmlNodeData>*, std::size_t>> pending {{&nodes, 0}};
    while (!pending.empty()) {
        const auto [level, depth] = pending.back();
        pending.pop_back();
        for (const XmlNodeData& n : *level) {
            deepest = std::max(deepest, depth + 1);
            pending.emplace_back(&n.children, depth + 1);
        }
    }
    return deepest;
}

// Runs inside the machine as an entry, so script faults stop as they do
// for a movie.
Value exercise(NativeCall& c)
{
    Machine& m = c.machine;
    const Value text = c.arg(0);
    const Value xml = m.construct(m.get(Value::object(m.global()), m.intern("XML")), std::span(&text, 1));
    m.callMethod(xml, m.intern("toString"), {});
    const Value vars = m.construct(m.get(Value::object(m.global()), m.intern("LoadVars")), {});
    decodeUrlVariables(m, vars.objectOrNull(), m.toString(text)->view());
    m.callMethod(vars, m.intern("toString"), {});
    // The same text as a style sheet, through the class that keeps its
    // rules as objects and hands them back.
    const Value textField = m.get(Value::object(m.global()), m.intern("TextField"));
    const Value sheet = m.construct(m.get(textField, m.intern("StyleSheet")), {});
    m.callMethod(sheet, m.intern("parseCSS"), std::span(&text, 1));
    m.callMethod(sheet, m.intern("getStyleNames"), {});
    // The same bytes as a stored object's file; what reads back must write
    // out again.
    Object* stored = m.newObject();
    if (decodeSol(m, m.toString(text)->view(), stored))
        check(encodeSol(m, "fuzz", stored).has_value());
    return Value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (bool ignoreWhite : {false, true}) {
        const XmlDocumentData doc = parseXml(text, ignoreWhite);
        check(depthOf(doc.nodes) <= kMaxXmlDepth);
    }
    check(unescapeXml(escapeXml(text)) == text);
    if (const auto rules = swf::parseStyleSheet(QString::fromUtf8(text.data(), qsizetype(size))))
        for (const swf::StyleRule& rule : *rules)
            check(!rule.selectors.empty() && rule.declarations.size() <= size);
    for (const auto& [name, value] : splitUrlVariables(text))
        check(name.size() + value.size() <= size);

    // A tag's text is at most a few UTF-8 bytes per byte of the file.
    const std::span<const std::uint8_t> bytes(data, size);
    for (const auto& [name, value] : swf::readId3Tags(bytes).fields)
        check(value.size() <= 4 * size + 4);
    constexpr std::size_t kMaxFrames = 1 << 16;
    const swf::Result<swf::Mp3File> mp3 = swf::decodeMp3File(bytes, kMaxFrames);
    check(!mp3 || mp3.value().sound.frames() <= kMaxFrames);
    if (const swf::Result<swf::FlvFile> flv = swf::readFlvFile(bytes))
        for (const swf::FlvTag& tag : flv.value().tags)
            check(tag.body.data() >= data && tag.body.data() + tag.body.size() <= data + size);
    // The file as a stream plays it, picture and sound, from the start and
    // after seeks either way.
    {
        swf::script::StreamFile stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        std::string error;
        for (const double ms : {0.0, 400.0, 100.0}) {
            stream.pictureAt(ms, error);
            stream.seekSound(ms);
            while (const auto part = stream.soundUntil(ms + 300, error))
                check(part->samples.size() <= 960'000 + (size * 64 + 4096) * 2);
        }
    }
    for (const swf::AmfValue& value : swf::readAmf0Values(bytes))
        check(value.text.size() <= size && value.members.size() <= size);

    swftest::FakeHost host;
    Machine machine(host, 8);
    host.setMachine(&machine);
    ScriptLimits limits;
    limits.instructionBudget = 100'000;
    machine.setLimits(limits);
    machine.heap().setLiveLimit(64 * 1024 * 1024);
    const Value argument = machine.stringValue(std::string(text));
    machine.callFromHost(Value::object(machine.newNative(exercise)), Value(), std::span(&argument, 1));
    machine.collectGarbage();
    check(machine.heap().liveBytes() <= machine.heap().liveLimit());
    return 0;
}
