#pragma once

// A double of the print dialog and printer: it keeps every page it is
// handed and answers as the test says.

#include <QImage>
#include <QString>
#include <vector>

#include "platform/Printer.h"

namespace fakes {

class FakePrinter final : public platform::Printer {
public:
    bool printPage(const QImage& page, const QString& title, QWidget*, QString& error) override
    {
        pages.push_back(page);
        titles.push_back(title);
        error = failure;
        return accept && failure.isEmpty();
    }

    bool accept = true; // false: the person cancels
    QString failure;    // set: the printer fails with this reason
    std::vector<QImage> pages;
    std::vector<QString> titles;
};

} // namespace fakes
