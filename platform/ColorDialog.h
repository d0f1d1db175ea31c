#pragma once

// The system's colour dialog, met through the Windows colour record so that
// callers written against it keep working: the caller fills the record,
// the dialog answers in rgbResult and updates the custom colour table in
// place. Colours are 0x00BBGGRR throughout.

#include <cstdint>

class QColor;
class QWidget;

namespace platform {

// The record's flag bits, with their system values.
inline constexpr std::uint32_t CC_RGBINIT = 0x1;
inline constexpr std::uint32_t CC_FULLOPEN = 0x2;
inline constexpr std::uint32_t CC_PREVENTFULLOPEN = 0x4;
inline constexpr std::uint32_t CC_SHOWHELP = 0x8;
inline constexpr std::uint32_t CC_ENABLEHOOK = 0x10;
inline constexpr std::uint32_t CC_ENABLETEMPLATE = 0x20;
inline constexpr std::uint32_t CC_ENABLETEMPLATEHANDLE = 0x40;
inline constexpr std::uint32_t CC_SOLIDCOLOR = 0x80;
inline constexpr std::uint32_t CC_ANYCOLOR = 0x100;

// The size the record announces, as the 32-bit system lays it out.
inline constexpr std::uint32_t kChooseColorSize = 36;
inline constexpr int kCustomColorCount = 16;

struct CHOOSECOLOR {
    std::uint32_t lStructSize = 0;
    QWidget* hwndOwner = nullptr;
    const void* hInstance = nullptr;
    std::uint32_t rgbResult = 0;
    std::uint32_t* lpCustColors = nullptr; // kCustomColorCount entries
    std::uint32_t Flags = 0;
    std::intptr_t lCustData = 0;
    const void* lpfnHook = nullptr;
    const char* lpTemplateName = nullptr;
};

// ChooseColorA: shows the dialog the record describes and waits for its
// answer; only hwndOwner, when given, is blocked meanwhile. 1 when the
// person chose a colour, 0 on cancel or when the record is not one the
// dialog can show (wrong size, no custom colour table).
class ColorDialog {
public:
    virtual ~ColorDialog() = default;
    virtual int chooseColor(CHOOSECOLOR& record) = 0;
};

// Qt's own colour dialog, not the desktop's, since only Qt's keeps custom
// colours. It always shows its custom colour area, so CC_FULLOPEN and
// CC_PREVENTFULLOPEN change nothing; every colour is solid, so
// CC_SOLIDCOLOR and CC_ANYCOLOR change nothing either.
class QtColorDialog final : public ColorDialog {
public:
    int chooseColor(CHOOSECOLOR& record) override;
};

std::uint32_t toBgr(const QColor& colour);
QColor fromBgr(std::uint32_t bgr);

// GetSysColor for the indexes 0 to 15 (scroll bar to button face): the
// nearest role of the application's palette, as 0x00BBGGRR. Other indexes
// give 0.
std::uint32_t GetSysColor(int nIndex);

} // namespace platform
