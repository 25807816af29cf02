#include "download/DownloadAttempts.h"

void DownloadAttempts::begin()
{
    m_failed = false;
    // Every attempt gets its whole time-out; ticks left over from an attempt that failed
    // otherwise would cut the next one short.
    m_timeoutTicks = 0;
}

bool DownloadAttempts::fail()
{
    m_failed = true;
    return m_retryCount < MaxRetries;
}

bool DownloadAttempts::timeoutTick()
{
    if (++m_timeoutTicks < TimeoutTicks)
        return false;
    m_timeoutTicks = 0;
    m_failed = true;
    return true;
}

DownloadAttempts::RetryStep DownloadAttempts::retryTick()
{
    RetryStep step;
    ++m_retryTicks;
    if (m_retryCount < MaxRetries - 1)
        step.label = QStringLiteral("Retry in ") + QString::number(RetryTicks - m_retryTicks);
    if (m_retryTicks < RetryTicks)
        return step;
    return endCountdown();
}

DownloadAttempts::RetryStep DownloadAttempts::endCountdown()
{
    RetryStep step;
    m_retryTicks = 0;
    ++m_retryCount;
    if (m_retryCount < MaxRetries) {
        step.action = RetryAction::Retry;
        step.label = QStringLiteral("Retrying");
    } else {
        step.action = RetryAction::GiveUp;
        step.label.clear();
        m_failed = true;
    }
    return step;
}
