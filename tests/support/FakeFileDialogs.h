#pragma once

// A double of the system's open and save dialogs: it keeps a copy of every
// record it is handed and answers from a script the way the system dialog
// does, by writing into the record's buffers.

#include <deque>
#include <utility>
#include <vector>

#include <QString>

#include "platform/FileDialogs.h"

namespace fakes {

struct DialogAnswer {
    enum class Kind {
        Confirm,          // the person chose `path`
        CancelUntouched,  // cancelled; buffers left as they were
        CancelCleared,    // cancelled; the dialog emptied the file buffer
    };
    Kind kind = Kind::CancelUntouched;
    QString path;
    int filterNumber = 0; // 0 keeps the record's own
};

inline DialogAnswer choose(QString path, int filterNumber = 0)
{
    return {DialogAnswer::Kind::Confirm, std::move(path), filterNumber};
}

inline DialogAnswer cancel()
{
    return {};
}

class FakeFileDialogs final : public platform::FileDialogs {
public:
    enum class Call { Open, Save };

    bool getOpenFileName(platform::OpenFileNameA& record) override;
    bool getSaveFileName(platform::OpenFileNameA& record) override;

    struct Shown {
        Call call;
        platform::OpenFileNameA record; // as it arrived
    };
    std::vector<Shown> shown;
    std::deque<DialogAnswer> answers; // a cancel when empty

private:
    bool answer(Call call, platform::OpenFileNameA& record);
};

} // namespace fakes
