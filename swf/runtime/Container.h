#pragma once

// A display object that holds others, each at its own depth, drawn from the
// lowest depth up. Sprites (the main movie among them) and buttons are
// containers.

#include <memory>
#include <vector>

#include "swf/runtime/DisplayObject.h"

namespace swf {

class Dictionary;
class LoadedMovie;

class Container : public DisplayObject {
public:
    // In depth order.
    const std::vector<std::shared_ptr<DisplayObject>>& children() const { return m_children; }
    DisplayObject* childAt(int depth) const;
    std::shared_ptr<DisplayObject> sharedChildAt(int depth) const;

    // Puts `child` at `depth`, taking off whatever was there; what a
    // `quiet` replacement takes off gets no unload of its own.
    void placeChild(int depth, std::shared_ptr<DisplayObject> child, bool quiet = false);
    // Takes the object at `depth` off the stage; returns it, or null. A
    // sprite with unload handlers in it (see FrameListener::hearsUnload)
    // stays, moved below every depth with only what has handlers left in
    // it, until finishUnload(); one already on its way out stays as it is.
    std::shared_ptr<DisplayObject> removeChild(int depth);
    // Takes off for good a child kept for its unload handlers, which have
    // now run; no one hears of it again.
    void finishUnload(DisplayObject& child);
    // Takes every child off the stage.
    void removeAllChildren();
    // Moves the child at `from` to `to`; one already at `to` takes its
    // place at `from`. Both stay on stage, as they are. False when nothing
    // is at `from`.
    bool moveChild(int from, int to);

    // How deep this container sits: the root is 0.
    int nesting() const { return m_nesting; }

    // The loaded movie whose characters this container places, null for
    // the main movie's. What it places comes from that movie's dictionary
    // and follows that movie's version.
    const std::shared_ptr<const LoadedMovie>& loadedMovie() const { return m_loadedMovie; }
    void setLoadedMovie(std::shared_ptr<const LoadedMovie> movie) { m_loadedMovie = std::move(movie); }
    const Dictionary& dictionary() const;
    int swfVersion() const;

protected:
    Container(Type type, Stage& stage, std::uint16_t characterId, std::shared_ptr<const Character> character, int nesting);

private:
    std::vector<std::shared_ptr<DisplayObject>>::const_iterator lowerBound(int depth) const;
    void detach(DisplayObject& child, bool quiet = false);
    bool keepForUnload(DisplayObject& child);
    // Whether this sprite, or one inside it, has unload handlers.
    bool heardInside() const;
    // Takes away what waits for no unload handler, unless this has one of
    // its own.
    void keepOnlyHeard();

    std::vector<std::shared_ptr<DisplayObject>> m_children;
    int m_nesting;
    std::shared_ptr<const LoadedMovie> m_loadedMovie;
};

} // namespace swf
