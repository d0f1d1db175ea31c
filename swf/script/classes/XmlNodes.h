#pragma once

// The tree behind XMLNode and XML objects. A node's type, name, value,
// parent, children and attributes live in a store inside the object that
// only natives reach; script sees them through XMLNode's accessors, and
// `childNodes` is an Array kept equal to the children after every change.

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
// nothing changes) when the child is the parent or one of its ancestors.
bool appendXmlChild(Machine& machine, Object* parent, Object* child);
// Drops every child of the node.
void clearXmlChildren(Machine& machine, Object* node);
// Builds the parsed tree below `parent`.
void appendParsedXml(Machine& machine, Object* parent, const XmlDocumentData& parsed);
// The node and everything below it as XML text.
std::string xmlText(Machine& machine, Object* node);

} // namespace swf::script
