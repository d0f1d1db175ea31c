#pragma once

// The movie's own part of the control's right-click menu: the ContextMenu
// set as the `menu` of the object under the pointer, of a timeline holding
// it, or of the main movie. Its onSelect runs before the menu shows; an
// item chosen runs its own onSelect(owner, item) at the next frame
// boundary, as the reference player's do.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <QPointF>

#include "swf/runtime/FrameEvents.h"
#include "swf/script/Host.h"
#include "swf/script/Value.h"

namespace swf::script {

class Machine;
class StageHost;

struct MovieMenu {
    struct Item {
        std::string caption;
        bool enabled = true;
        bool separatorBefore = false;
    };
    std::vector<Item> items;
    // The built-in items the movie took away, by builtInItems' names
    // ("zoom", "quality", "play", "loop", "rewind", "forward_back", "print").
    std::vector<std::string> hiddenBuiltIns;
};

class MovieMenus final : public FrameListener {
public:
    MovieMenus(Machine& machine, StageHost& host);

    // The menu for a right-click at a stage point (twips).
    MovieMenu menuAt(QPointF stagePoint);
    // The `index`-th item of the last menu given was chosen.
    void choose(std::size_t index);

    void enterFrame() override;

private:
    // The owner's menu, or undefined when it has none.
    Value menuOf(ClipHandle owner);
    Value customItem(const Value& menu, std::size_t index);

    Machine& m_machine;
    StageHost& m_host;
    ClipHandle m_owner;
    // Where each item shown sits among the menu's customItems.
    std::vector<std::size_t> m_shown;
    // Held until the frame boundary, a menu opened meanwhile or not.
    struct Chosen {
        ClipHandle owner;
        std::size_t index = 0;
    };
    std::optional<Chosen> m_chosen;
};

} // namespace swf::script
