#include "platform/Printer.h"

#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace platform {

bool QtPrinter::printPage(const QImage& page, const QString& title, QWidget* parent, QString& error)
{
    error.clear();
    if (page.isNull()) {
        error = QStringLiteral("There is nothing to print.");
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QPainter painter;
    if (!painter.begin(&printer)) {
        error = QStringLiteral("The printer could not be started.");
        return false;
    }
    const QRect area = painter.viewport();
    QSize size = page.size();
    size.scale(area.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(area.topLeft(), size), page);
    if (!painter.end()) {
        error = QStringLiteral("The page could not be sent to the printer.");
        return false;
    }
    return true;
}

} // namespace platform
