#pragma once

// The desktop's print dialog and printer: one page at a time, or a job of
// many pages that a movie's script builds.

#include <QSizeF>
#include <QString>
#include <memory>

class QImage;
class QWidget;

namespace platform {

// The paper the person chose, in points (1/72 inch).
struct PrintPaper {
    QSizeF paper;
    // The part of the sheet the printer can print on.
    QSizeF page;
    bool landscape = false;
};

// A job under way: pages go to the printer one by one, and print when the
// job is sent. A job let go of unsent prints nothing.
class PrinterJob {
public:
    virtual ~PrinterJob() = default;
    virtual PrintPaper paper() const = 0;
    // `page` printed `size` points large from the top left of the
    // printable area, cut where the page ends. False when the printer
    // would not take it.
    virtual bool addPage(const QImage& page, QSizeF size) = 0;
    // False when the printer fails; `error` then says why.
    virtual bool send(QString& error) = 0;
};

class Printer {
public:
    virtual ~Printer() = default;
    // Asks which printer, then prints `page` scaled to fit the paper with
    // its proportions kept. False when the person cancels or the printer
    // fails; `error` then says why (empty on a cancel).
    virtual bool printPage(const QImage& page, const QString& title, QWidget* parent, QString& error) = 0;
    // Asks which printer for a job of several pages; null when the person
    // cancels or the printer cannot start (`error` says why, empty on a
    // cancel).
    virtual std::unique_ptr<PrinterJob> beginJob(const QString& title, QWidget* parent, QString& error) = 0;
};

// Qt's print dialog over the system's printers.
class QtPrinter final : public Printer {
public:
    bool printPage(const QImage& page, const QString& title, QWidget* parent, QString& error) override;
    std::unique_ptr<PrinterJob> beginJob(const QString& title, QWidget* parent, QString& error) override;
};

} // namespace platform
