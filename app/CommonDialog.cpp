#include "app/CommonDialog.h"

#include "platform/ColorDialog.h"

namespace mCommonDialog {

std::array<std::uint32_t, 16> CustomColors{};
bool CustomColorsLoaded = false;

void LoadCustomColors()
{
    for (int index = 0; index < int(CustomColors.size()); ++index)
        CustomColors[std::size_t(index)] = platform::GetSysColor(index);
    CustomColorsLoaded = true;
}

bool ShowColor(platform::ColorDialog& dialog, std::int32_t& lngColor, bool blnAnyColor, bool blnFullOpen,
               bool blnPreventFullOpen, QWidget* hwndOwner, std::int32_t /*lngReserved*/)
{
    using namespace platform;

    CHOOSECOLOR record;
    record.lStructSize = kChooseColorSize;
    record.hwndOwner = hwndOwner;
    record.rgbResult = std::uint32_t(lngColor);
    record.lpCustColors = CustomColors.data();

    std::uint32_t flags = blnAnyColor ? CC_ANYCOLOR : CC_SOLIDCOLOR;
    flags |= CC_RGBINIT;
    if (blnFullOpen)
        flags |= CC_FULLOPEN;
    if (blnPreventFullOpen)
        flags |= CC_PREVENTFULLOPEN;
    // No hook and no template of ours exist to enable.
    record.Flags = flags & ~(CC_ENABLEHOOK | CC_ENABLETEMPLATE);

    if (!CustomColorsLoaded)
        LoadCustomColors();

    if (dialog.chooseColor(record) == 1) {
        lngColor = std::int32_t(record.rgbResult);
        return true;
    }
    lngColor = -1;
    return false;
}

} // namespace mCommonDialog
