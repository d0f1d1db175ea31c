#pragma once

// The tree behind XMLNode and XML objects. A node's type, name, value,
// parent, children and attributes live in a store inside the object that
// only natives reach; script sees them through XMLNode's accessors, and
// `childNodes` is an Array kept equal to the children after every change.

#include <cstdint>
#include <string>
#include <vector>

#include "swf/script/Value.h"

namespace swf::script {

class Machine;
class Object;
struct XmlDocumentData;

constexpr int kXmlElement = 1;
constexpr int kXmlText = 3;

// Whether the object is a node, and making one (an element's name or a
// text's value in `text`) with XMLNode.prototype.
bool isXmlNode(const Value& value);
void makeIntoXmlNode(Machine& machine, Object* object, int type, const Value& text);
Object* newXmlNode(Machine& machine, int type, const Value& text);

std::vector<Object*> xmlChildren(Object* node);
// Appends `child` below `parent`, taking it from where it was; false (and
// nothing changes) when it is one of the parent's children already. Before
// version 8 the child may be the parent or one of its ancestors.
bool appendXmlChild(Machine& machine, Object* parent, Object* child);
// Drops every child of the node.
void clearXmlChildren(Machine& machine, Object* node);
// Builds the parsed tree below `parent`.
void appendParsedXml(Machine& machine, Object* parent, const XmlDocumentData& parsed);
// The node and everything below it as XML text.
std::string xmlText(Machine& machine, Object* node);
// Puts XMLNode's accessors on `prototype` where it has no property of
// that name: the reference player adds them whenever it makes a node, so
// a prototype the movie replaced gets them back.
void installXmlNodeAccessors(Machine& machine, Object* prototype);

// What an XML document keeps beside its node, hidden as the node's own
// fields are; XML's accessors read and write them. Every node has them,
// so a node adopted as a document needs nothing more.
enum class XmlDocumentField : std::uint8_t { ContentType, DocTypeDecl, IgnoreWhite, Loaded, Status, XmlDecl };
constexpr std::uint32_t kXmlDocumentFieldCount = 6;
// Undefined, and false from the setter, for what is not a node.
Value xmlDocumentField(Object* node, XmlDocumentField field);
bool setXmlDocumentField(Machine& machine, Object* node, XmlDocumentField field, const Value& value);

} // namespace swf::script
