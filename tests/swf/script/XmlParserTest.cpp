// The XML parser on well-formed, malformed and hostile text. A tree is
// written out in a compact form (name[attr=value](children), "text") so
// that each case states the whole result.

#include <gtest/gtest.h>

#include <string>

#include "swf/script/XmlParser.h"

namespace {

using swf::script::XmlDocumentData;
using swf::script::XmlNodeData;
namespace XmlStatus = swf::script::XmlStatus;

std::string compact(const std::vector<XmlNodeData>& nodes)
{
    std::string out;
    for (const XmlNodeData& n : nodes) {
        if (n.type == XmlNodeData::Type::Text) {
            out += '"' + n.value + '"';
            continue;
        }
        out += n.name;
        if (!n.attributes.empty()) {
            out += '[';
            for (const auto& [k, v] : n.attributes)
                out += k + "=" + v + (&v == &n.attributes.back().second ? "" : ",");
            out += ']';
        }
        if (!n.children.empty())
            out += "(" + compact(n.children) + ")";
    }
    return out;
}

TEST(XmlParser, TreesAndStatusAsTheReferencePlayerReadsThem)
{
    struct Case {
        const char* text;
        bool ignoreWhite;
        const char* tree;
        int status;
    };
    const Case cases[] {
        {"<a><b/>c<d x='1' y=\"2\"/></a>", false, "a(b\"c\"d[x=1,y=2])", XmlStatus::Ok},
        {"<a> <b/> </a>", false, "a(\" \"b\" \")", XmlStatus::Ok},
        {"<a> <b/> </a>", true, "a(b)", XmlStatus::Ok},
        {"<a>x &lt;&amp;&gt; &quot;&apos; &nbsp;</a>", false, "a(\"x <&> \"' &nbsp;\")", XmlStatus::Ok},
        {"<a t='&lt;b&gt;'/>", false, "a[t=<b>]", XmlStatus::Ok},
        {"<a x='1' x='2'/>", false, "a[x=1]", XmlStatus::Ok},
        {"<a><![CDATA[<b>&amp;]]></a>", false, "a(\"<b>&amp;\")", XmlStatus::Ok},
        {"<a><!-- no --></a>", false, "a", XmlStatus::Ok},
        {"<?xml version='1.0'?><!DOCTYPE a><a/>", false, "a", XmlStatus::Ok},
        {"<a><![CDATA[x</a>", false, "a", XmlStatus::UnterminatedCdata},
        {"<?xml <a/>", false, "", XmlStatus::UnterminatedDeclaration},
        {"<!DOCTYPE a", false, "", XmlStatus::UnterminatedDoctype},
        {"<a><!-- x", false, "a", XmlStatus::UnterminatedComment},
        {"<a x=1/>", false, "", XmlStatus::MalformedElement},
        {"<a x='1/>", false, "", XmlStatus::UnterminatedAttribute},
        {"<a><b>", false, "a(b)", XmlStatus::UnclosedElement},
        {"<a></b>", false, "a", XmlStatus::UnmatchedEndTag},
        {"", false, "", XmlStatus::Ok},
    };
    for (const Case& c : cases) {
        const XmlDocumentData doc = swf::script::parseXml(c.text, c.ignoreWhite);
        EXPECT_EQ(compact(doc.nodes), c.tree) << c.text;
        EXPECT_EQ(doc.status, c.status) << c.text;
    }
}

TEST(XmlParser, DeclarationsAreKeptAsText)
{
    const XmlDocumentData doc = swf::script::parseXml("<?xml version=\"1.0\"?>\n<!DOCTYPE html SYSTEM \"x\"><a/>", true);
    EXPECT_EQ(doc.xmlDecl, "<?xml version=\"1.0\"?>");
    EXPECT_EQ(doc.docTypeDecl, "<!DOCTYPE html SYSTEM \"x\">");
}

TEST(XmlParser, NestingBeyondTheCapEndsAsMalformedWithoutRecursing)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    const XmlDocumentData doc = swf::script::parseXml(deep, false);
    EXPECT_EQ(doc.status, XmlStatus::MalformedElement);
    std::size_t depth = 0;
    for (const std::vector<XmlNodeData>* level = &doc.nodes; !level->empty(); level = &level->front().children)
        ++depth;
    EXPECT_EQ(depth, swf::script::kMaxXmlDepth);
}

TEST(XmlParser, EscapingRoundTrips)
{
    const std::string text = "a<b>&\"c'\xc2\xa0";
    EXPECT_EQ(swf::script::escapeXml(text), "a&lt;b&gt;&amp;&quot;c&apos;\xc2\xa0");
    EXPECT_EQ(swf::script::unescapeXml(swf::script::escapeXml(text)), text);
}

} // namespace
