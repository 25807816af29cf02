#pragma once

#include <QString>

// Counts of one download window: the 30-second time-out of an attempt and the 61-second
// countdown between attempts. A download makes at most five attempts, the first and four
// retries; the retry count is never reset.
class DownloadAttempts
{
public:
    static constexpr int TimeoutTicks = 30;
    static constexpr int RetryTicks = 61;
    static constexpr int MaxRetries = 5;

    // A new attempt starts: not failed, and a full time-out ahead of it.
    void begin();

    // Marks the attempt failed. True when a retry countdown follows, false when the attempts
    // are used up.
    bool fail();
    bool failed() const { return m_failed; }

    // One second of waiting for data. True on the tick that reaches the time-out (30); the
    // attempt is then marked failed.
    bool timeoutTick();

    enum class RetryAction
    {
        Wait,
        Retry,
        GiveUp
    };
    struct RetryStep
    {
        RetryAction action = RetryAction::Wait;
        QString label; // retry text: "Retry in 60" ... "Retry in 1", "Retrying" or empty
    };
    // One second of the countdown. On tick 61 the countdown ends: Retry while fewer than five
    // retries have been counted, GiveUp (the attempt stays failed) at the fifth.
    RetryStep retryTick();
    // Ends the countdown now (a wait for the site is over), as its last tick does.
    RetryStep endCountdown();

    int retryCount() const { return m_retryCount; }
    // The attempt under way is the fifth: no retry follows it.
    bool lastAttempt() const { return m_retryCount >= MaxRetries - 1; }
    int countdownTicks() const { return m_retryTicks; }
    int timeoutTicks() const { return m_timeoutTicks; }

private:
    bool m_failed = false;
    int m_retryCount = 0;
    int m_retryTicks = 0;
    int m_timeoutTicks = 0;
};
