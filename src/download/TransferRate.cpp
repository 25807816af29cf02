#include "download/TransferRate.h"

#include <QLocale>

#include <cmath>

namespace {

// One decimal in the user's locale, no digit grouping, so the text reads back as a number.
QLocale plainLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

// Halves to even, as the running sum of the samples rounds.
qint64 roundHalfEven(double value)
{
    return static_cast<qint64>(std::nearbyint(value));
}

} // namespace

void TransferRate::restart()
{
    m_tenths = 0;
    m_received = 0;
    m_ringFull = false;
}

void TransferRate::setProgress(qint64 received, qint64 expected)
{
    m_received = received;
    m_expected = expected;
}

TransferRate::Tick TransferRate::tick()
{
    ++m_tenths;
    const QLocale locale = plainLocale();
    const double rate = (m_received / 1024.0) / (m_tenths / 10.0);
    const QString rateSample = locale.toString(rate, 'f', 1);

    Tick result;
    result.rateText = QStringLiteral("Transfer rate: ") + rateSample + QStringLiteral(" KB/Sec");

    if (m_position == RingSize) {
        m_ringFull = true;
        m_position = 0;
    }
    m_samples[m_position++] = rateSample;

    if (m_ringFull) {
        qint64 sum = 0;
        for (const QString &sample : m_samples)
            sum = roundHalfEven(sum + locale.toDouble(sample));
        if (sum == 0)
            sum = 1;
        // With the size unknown there is nothing to count down to.
        if (m_expected > 1) {
            const double seconds = ((m_expected - m_received) / 1024.0) / (sum / 5.0);
            result.remainingText = remainingText(std::llround(seconds));
        }
    }
    return result;
}

QString TransferRate::remainingText(qint64 seconds)
{
    if (seconds < 1)
        return QStringLiteral("<1 Second");
    if (seconds == 1)
        return QStringLiteral("1 Second");
    return QString::number(seconds) + QStringLiteral(" Seconds");
}
