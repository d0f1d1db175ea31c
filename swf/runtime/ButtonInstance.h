#pragma once

// A button on stage: a container showing the records of its current state.
// It stays in the up state until input moves it; the hit state's records
// are kept in the definition for hit testing.

#include <memory>

#include "swf/define/Definitions.h"
#include "swf/runtime/Container.h"

namespace swf {

class ButtonInstance final : public Container {
public:
    enum class State { Up, Over, Down };

    ButtonInstance(Stage& stage, std::uint16_t id, std::shared_ptr<const ButtonDefinition> definition, int nesting);

    const ButtonDefinition& definition() const { return *m_definition; }
    State state() const { return m_state; }
    // Shows the records of `state`, made afresh.
    void setState(State state);

private:
    std::shared_ptr<const ButtonDefinition> m_definition;
    State m_state = State::Up;
    bool m_built = false;
};

} // namespace swf
