#pragma once

// The desktop's print dialog and printer, for one page at a time.

#include <QString>

class QImage;
class QWidget;

namespace platform {

class Printer {
public:
    virtual ~Printer() = default;
    // Asks which printer, then prints `page` scaled to fit the paper with
    // its proportions kept. False when the person cancels or the printer
    // fails; `error` then says why (empty on a cancel).
    virtual bool printPage(const QImage& page, const QString& title, QWidget* parent, QString& error) = 0;
};

// Qt's print dialog over the system's printers.
class QtPrinter final : public Printer {
public:
    bool printPage(const QImage& page, const QString& title, QWidget* parent, QString& error) override;
};

} // namespace platform
