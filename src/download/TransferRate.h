#pragma once

#include <QString>

#include <array>

// Transfer rate and time left of one download, driven by the 100 ms speed tick. Every tick
// adds a tenth of a second and gives the rate so far; the last five rates, kept as their
// one-decimal texts in a ring, give the time left once the ring has filled.
class TransferRate
{
public:
    static constexpr int RingSize = 5;

    struct Tick
    {
        QString rateText;      // "Transfer rate: 12.5 KB/Sec"
        QString remainingText; // "<1 Second", "1 Second", "7 Seconds"; null until the ring is full
    };

    // A new body begins: elapsed time and bytes back to 0 and the ring counts as not full. The
    // ring's position and its old samples stay; they are overwritten as new ones arrive.
    void restart();
    // Bytes received so far and the expected size (1 when the size is unknown).
    void setProgress(qint64 received, qint64 expected);
    Tick tick();

    qint64 elapsedTenths() const { return m_tenths; }
    qint64 received() const { return m_received; }
    qint64 expected() const { return m_expected; }

    // "<1 Second", "1 Second" or "N Seconds" for a time left rounded to whole seconds.
    static QString remainingText(qint64 seconds);

private:
    qint64 m_tenths = 0;
    qint64 m_received = 0;
    qint64 m_expected = 1;
    std::array<QString, RingSize> m_samples;
    int m_position = 0;
    bool m_ringFull = false;
};
