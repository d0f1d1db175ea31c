#pragma once

// Text to an XML tree by the reference player's rules: entities in text
// and attribute values are decoded, comments dropped, CDATA kept as text,
// the XML declaration and the DOCTYPE kept aside as text, and text that
// is only white space dropped when asked. A malformed document gives the
// tree read so far and a status code; the parser never fails otherwise.
//
// It reads text from the network and from disk, so it is bounded: no
// recursion, a cap on nesting depth, and work linear in the input.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swf::script {

struct XmlNodeData {
    enum class Type : std::uint8_t { Element = 1, Text = 3 };
    Type type = Type::Element;
    std::string name;  // elements
    std::string value; // text
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<XmlNodeData> children;
};

// The status codes XML.status reports.
namespace XmlStatus {
constexpr int Ok = 0;
constexpr int UnterminatedCdata = -2;
constexpr int UnterminatedDeclaration = -3;
constexpr int UnterminatedDoctype = -4;
constexpr int UnterminatedComment = -5;
constexpr int MalformedElement = -6;
constexpr int UnterminatedAttribute = -8;
constexpr int UnclosedElement = -9;
constexpr int UnmatchedEndTag = -10;
} // namespace XmlStatus

struct XmlDocumentData {
    std::vector<XmlNodeData> nodes;
    std::string xmlDecl;
    std::string docTypeDecl;
    int status = XmlStatus::Ok;
};

// Elements nest at most this deep; deeper ones end the parse as
// malformed, so that no reader of the tree recurses without bound.
constexpr std::size_t kMaxXmlDepth = 256;

XmlDocumentData parseXml(std::string_view text, bool ignoreWhite);
// Text with &, <, >, " and ' as entities, as XML.toString writes it.
std::string escapeXml(std::string_view text);
// The five named entities back to their characters; others stay.
std::string unescapeXml(std::string_view text);

} // namespace swf::script
