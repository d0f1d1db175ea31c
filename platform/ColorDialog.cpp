#include "platform/ColorDialog.h"

#include <QColor>
#include <QColorDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPalette>

namespace platform {

std::uint32_t toBgr(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return std::uint32_t(rgb.red()) | std::uint32_t(rgb.green()) << 8 | std::uint32_t(rgb.blue()) << 16;
}

QColor fromBgr(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

std::uint32_t GetSysColor(int nIndex)
{
    struct Role {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    // In the system's index order: scroll bar, desktop, active caption,
    // inactive caption, menu, window, window frame, menu text, window text,
    // caption text, active border, inactive border, application workspace,
    // highlight, highlighted text, button face.
    static constexpr Role kRoles[] = {
        {QPalette::Active, QPalette::Button},        {QPalette::Active, QPalette::Dark},
        {QPalette::Active, QPalette::Highlight},     {QPalette::Inactive, QPalette::Highlight},
        {QPalette::Active, QPalette::Window},        {QPalette::Active, QPalette::Base},
        {QPalette::Active, QPalette::Shadow},        {QPalette::Active, QPalette::WindowText},
        {QPalette::Active, QPalette::Text},          {QPalette::Active, QPalette::HighlightedText},
        {QPalette::Active, QPalette::Window},        {QPalette::Inactive, QPalette::Window},
        {QPalette::Active, QPalette::Mid},           {QPalette::Active, QPalette::Highlight},
        {QPalette::Active, QPalette::HighlightedText}, {QPalette::Active, QPalette::Button},
    };
    if (nIndex < 0 || nIndex >= int(std::size(kRoles)))
        return 0;
    const Role& role = kRoles[nIndex];
    return toBgr(QGuiApplication::palette().color(role.group, role.role));
}

int QtColorDialog::chooseColor(CHOOSECOLOR& record)
{
    if (record.lStructSize != kChooseColorSize || !record.lpCustColors)
        return 0;

    // Qt keeps one custom colour table for all its dialogs; the record's
    // table is the one that counts, so it is loaded before and read back after.
    for (int i = 0; i < kCustomColorCount; ++i)
        QColorDialog::setCustomColor(i, fromBgr(record.lpCustColors[i]));

    QColorDialog dialog(record.hwndOwner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    // Without an initial colour the system dialog starts on black.
    dialog.setCurrentColor((record.Flags & CC_RGBINIT) ? fromBgr(record.rgbResult) : QColor(Qt::black));
    // Only an owner is kept waiting, as the system dialog does it: without
    // one every window stays usable while the caller waits for the answer.
    dialog.setWindowModality(record.hwndOwner ? Qt::WindowModal : Qt::NonModal);
    QEventLoop waiting;
    QObject::connect(&dialog, &QDialog::finished, &waiting, &QEventLoop::quit);
    dialog.show();
    if (dialog.isVisible())
        waiting.exec();
    const bool chosen = dialog.result() == QDialog::Accepted;

    for (int i = 0; i < kCustomColorCount; ++i)
        record.lpCustColors[i] = toBgr(QColorDialog::customColor(i));
    if (!chosen)
        return 0;
    record.rgbResult = toBgr(dialog.selectedColor());
    return 1;
}

} // namespace platform
