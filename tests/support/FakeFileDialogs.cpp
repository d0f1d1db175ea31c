#include "support/FakeFileDialogs.h"

#include <QStringList>

namespace fakes {

bool FakeFileDialogs::getOpenFileName(platform::OpenFileNameA& record)
{
    return answer(Call::Open, record);
}

bool FakeFileDialogs::getSaveFileName(platform::OpenFileNameA& record)
{
    return answer(Call::Save, record);
}

bool FakeFileDialogs::answer(Call call, platform::OpenFileNameA& record)
{
    shown.push_back({call, record});
    DialogAnswer next;
    if (!answers.empty()) {
        next = answers.front();
        answers.pop_front();
    }
    switch (next.kind) {
    case DialogAnswer::Kind::Confirm:
        return platform::filedialog::writeAnswer(record, QStringList{next.path},
                                                 next.filterNumber ? next.filterNumber : record.nFilterIndex);
    case DialogAnswer::Kind::CancelCleared:
        record.lpstrFile.fill('\0');
        return false;
    case DialogAnswer::Kind::CancelUntouched:
        return false;
    }
    return false;
}

} // namespace fakes
