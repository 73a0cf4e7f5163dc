#include "data/sqlite/background_page_check.h"

#include <chrono>

namespace hv::data {

BackgroundPageCheck::BackgroundPageCheck(const QString& path, PageCheck depth, int lockTimeoutMs) : m_depth(depth)
{
    m_verdict = std::async(std::launch::async,
                           [this, path, depth, lockTimeoutMs] {
                               return DatabaseFileCheck::checkPages(path, depth, lockTimeoutMs, &m_stop);
                           });
}

BackgroundPageCheck::~BackgroundPageCheck()
{
    m_stop = true;
    if (m_verdict.valid())
        m_verdict.wait();
}

bool BackgroundPageCheck::ready() const
{
    return !m_verdict.valid() || m_verdict.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

DatabaseFileVerdict BackgroundPageCheck::verdict()
{
    return m_verdict.get();
}

}  // namespace hv::data
