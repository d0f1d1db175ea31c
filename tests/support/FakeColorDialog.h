#pragma once

// A double of the system's colour dialog: it keeps a copy of every record
// it is handed, with the custom colours as they arrived, and answers from a
// script the way the system dialog does, by writing into the record.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "platform/ColorDialog.h"

namespace fakes {

struct ColorAnswer {
    int result = 0;               // what chooseColor returns: 1 chosen, 0 cancelled
    std::uint32_t colour = 0;     // written to rgbResult when result is 1
    // Edits the custom colour table as a person defining colours would.
    std::function<void(std::uint32_t* custom)> editCustom;
};

class FakeColorDialog final : public platform::ColorDialog {
public:
    int chooseColor(platform::CHOOSECOLOR& record) override;

    struct Shown {
        platform::CHOOSECOLOR record;
        std::array<std::uint32_t, platform::kCustomColorCount> custom{};
    };
    std::vector<Shown> shown;
    std::deque<ColorAnswer> answers; // a cancel when empty
};

} // namespace fakes
