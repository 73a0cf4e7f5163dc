#pragma once

#include "data/sqlite/file_check.h"

#include <QString>
#include <atomic>
#include <future>

namespace hv::data {

// The page check of a database file run beside the program, on a thread and
// a read-only engine handle of its own, so that a large file is checked
// while its list is read and its window answers. Going away stops the walk
// and waits for the thread.
class BackgroundPageCheck {
public:
    // Locks are waited for up to `lockTimeoutMs`, as the connection waits.
    BackgroundPageCheck(const QString& path, PageCheck depth, int lockTimeoutMs);
    ~BackgroundPageCheck();
    BackgroundPageCheck(const BackgroundPageCheck&) = delete;
    BackgroundPageCheck& operator=(const BackgroundPageCheck&) = delete;

    PageCheck depth() const { return m_depth; }
    // True once the verdict is in.
    bool ready() const;
    // The verdict, waited for; asked once.
    DatabaseFileVerdict verdict();

private:
    PageCheck m_depth;
    std::atomic<bool> m_stop{false};
    std::future<DatabaseFileVerdict> m_verdict;
};

}  // namespace hv::data
