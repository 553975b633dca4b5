// An advisory lock on a survey for a read-modify-write (kvr-cli edit,
// convert, suggest --apply): two writers of one file run one after the
// other instead of one losing the other's edit. Readers take no lock, and
// nothing is written beside the survey.
#pragma once

#include <QString>

namespace kvrio {

class SurveyLock
{
public:
    SurveyLock() = default;
    ~SurveyLock(); // releases
    SurveyLock(const SurveyLock &) = delete;
    SurveyLock &operator=(const SurveyLock &) = delete;

    // Waits up to `timeoutMs` for the lock on `path`. A missing file needs
    // none (true). False with a reason for the user when another writer
    // keeps it longer, or it cannot be taken.
    bool acquire(const QString &path, int timeoutMs, QString *why = nullptr);
    void release();

private:
    int m_fd = -1;
};

} // namespace kvrio
