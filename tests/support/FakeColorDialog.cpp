#include "support/FakeColorDialog.h"

#include <algorithm>

namespace fakes {

int FakeColorDialog::chooseColor(platform::CHOOSECOLOR& record)
{
    Shown seen{record, {}};
    if (record.lpCustColors)
        std::copy_n(record.lpCustColors, platform::kCustomColorCount, seen.custom.begin());
    shown.push_back(seen);

    ColorAnswer answer;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    if (answer.editCustom && record.lpCustColors)
        answer.editCustom(record.lpCustColors);
    if (answer.result == 1)
        record.rgbResult = answer.colour;
    return answer.result;
}

} // namespace fakes
