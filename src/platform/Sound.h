#pragma once

#include <QString>

// Plays a wave file asynchronously; a missing file gives the system beep instead.
class Sound
{
public:
    virtual ~Sound() = default;
    virtual void play(const QString &wavFile) = 0;
};
