#include "platform/QtSound.h"

#include <QApplication>
#include <QFileInfo>
#include <QUrl>

#ifdef POLLWICK_HAVE_MULTIMEDIA
#include <QSoundEffect>
#endif

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

void QtSound::play(const QString &wavFile)
{
    if (wavFile.isEmpty() || !QFileInfo::exists(wavFile)) {
        QApplication::beep();
        return;
    }
#ifdef POLLWICK_HAVE_MULTIMEDIA
    if (!m_effect)
        m_effect = std::make_unique<QSoundEffect>();
    const QUrl source = QUrl::fromLocalFile(wavFile);
    if (m_effect->source() != source)
        m_effect->setSource(source);
    m_effect->play();
#else
    QApplication::beep();
#endif
}
