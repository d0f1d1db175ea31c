#pragma once

// The colour dialog as the main window asks for it, with a custom colour
// table that lasts as long as the process.

#include <array>
#include <cstdint>

class QWidget;

namespace platform {
class ColorDialog;
}

namespace mCommonDialog {

// Handed to the dialog as its custom colours, 0x00BBGGRR; the dialog
// updates them in place, so what the person defines is offered again next
// time. Not saved.
extern std::array<std::uint32_t, 16> CustomColors;
// False until CustomColors was first filled.
extern bool CustomColorsLoaded;

// Fills CustomColors with the system colours 0 to 15.
void LoadCustomColors();

// Shows the colour dialog with lngColor selected. True when a colour was
// chosen, which is then in lngColor; otherwise lngColor is -1. An owner of
// nullptr leaves every window usable while the dialog is open.
bool ShowColor(platform::ColorDialog& dialog, std::int32_t& lngColor, bool blnAnyColor, bool blnFullOpen,
               bool blnPreventFullOpen, QWidget* hwndOwner = nullptr, std::int32_t lngReserved = 0);

} // namespace mCommonDialog
