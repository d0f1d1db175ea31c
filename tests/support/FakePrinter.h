#pragma once

// A double of the print dialog and printer: it keeps every page it is
// handed and answers as the test says.

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
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

    // What each job begun was handed, kept when the job is gone.
    struct Job {
        QString title;
        std::vector<QImage> pages;
        std::vector<QSizeF> sizes; // in points
        bool sent = false;
    };

    std::unique_ptr<platform::PrinterJob> beginJob(const QString& title, QWidget*, QString& error) override
    {
        error.clear();
        ++dialogs;
        if (whileAsking)
            whileAsking();
        if (!accept)
            return nullptr;
        jobs.push_back(std::make_shared<Job>(Job {title, {}, {}, false}));
        return std::make_unique<FakeJob>(*this, jobs.back());
    }

    bool accept = true; // false: the person cancels
    QString failure;    // set: the printer fails with this reason
    platform::PrintPaper paper {{612, 792}, {576, 756}, false};
    std::vector<QImage> pages;
    std::vector<QString> titles;
    int dialogs = 0;
    // Runs while the job's dialog is up, as its event loop would.
    std::function<void()> whileAsking;
    std::vector<std::shared_ptr<Job>> jobs;

private:
    class FakeJob final : public platform::PrinterJob {
    public:
        FakeJob(FakePrinter& printer, std::shared_ptr<Job> job)
            : m_printer(printer)
            , m_job(std::move(job))
        {
        }
        platform::PrintPaper paper() const override { return m_printer.paper; }
        bool addPage(const QImage& page, QSizeF size) override
        {
            m_job->pages.push_back(page);
            m_job->sizes.push_back(size);
            return true;
        }
        bool send(QString& error) override
        {
            error = m_printer.failure;
            m_job->sent = error.isEmpty();
            return m_job->sent;
        }

    private:
        FakePrinter& m_printer;
        std::shared_ptr<Job> m_job;
    };
};

} // namespace fakes
