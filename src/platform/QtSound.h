#pragma once

#include "platform/Sound.h"

#include <memory>

class QSoundEffect;

// Plays notify.wav with Qt Multimedia when it is built in; otherwise, and when the file is
// missing, the system beep.
class QtSound : public Sound
{
public:
    QtSound();
    ~QtSound() override;
    void play(const QString &wavFile) override;

private:
#ifdef POLLWICK_HAVE_MULTIMEDIA
    std::unique_ptr<QSoundEffect> m_effect;
#endif
};
