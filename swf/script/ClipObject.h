#pragma once

// The script side of a movie clip or a text field: the object its
// variables live on, and the handle of the display object behind it. Its underscore properties
// (_x, _name, _currentframe ...) and its children by name are the host's,
// read and written through the handle.
//
// When the clip is removed the object keeps its absolute target path; a
// reference held by script then re-resolves by that path (see Host.h).

#include <cstdint>
#include <string>

#include "swf/script/Host.h"
#include "swf/script/Object.h"

namespace swf::script {

class ClipObject final : public Object {
public:
    // What kind of display object stands behind it.
    enum class Face : std::uint8_t { Clip, TextField, Button, Video };

    ClipObject(Object* prototype, ClipHandle handle, Face face = Face::Clip)
        : Object(prototype, ObjectKind::Clip)
        , m_handle(handle)
        , m_face(face)
    {
        setHasSpecialProperties();
    }

    ClipHandle handle() const { return m_handle; }
    // A text field: reached like a clip, typed as a plain object.
    bool isTextField() const { return m_face == Face::TextField; }
    // A button: typed as a plain object too.
    bool isButton() const { return m_face == Face::Button; }
    // A video: its width, height, smoothing and deblocking are its own.
    bool isVideo() const { return m_face == Face::Video; }
    bool removed() const { return m_removed; }
    const std::string& removedPath() const { return m_path; }
    void markRemoved(std::string path)
    {
        m_removed = true;
        m_path = std::move(path);
    }

    bool getSpecial(Machine& machine, String* key, Value& out) override;
    // A built-in property as the player keeps it, whatever script put
    // before it (GetProperty reads this way).
    Value builtIn(Machine& machine, ClipProperty property) const;
    bool getAfterOwn(Machine& machine, String* key, Value& out) override;
    bool setSpecial(Machine& machine, String* key, const Value& value) override;
    void specialKeys(Machine& machine, std::vector<Value>& keys) override;

    std::size_t extraBytes() const override { return Object::extraBytes() + m_path.capacity(); }

private:
    ClipHandle m_handle;
    std::string m_path;
    bool m_removed = false;
    Face m_face = Face::Clip;
};

} // namespace swf::script
