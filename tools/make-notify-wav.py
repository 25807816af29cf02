#!/usr/bin/env python3
"""Writes resources/notify.wav: a short, soft two-note chime (22050 Hz, 16-bit mono)."""
import math
import struct
import sys
import wave

RATE = 22050


def note(freq, seconds, volume):
    n = int(RATE * seconds)
    out = []
    for i in range(n):
        t = i / RATE
        envelope = min(1.0, t / 0.01) * math.exp(-5.0 * t)
        sample = math.sin(2 * math.pi * freq * t) + 0.3 * math.sin(4 * math.pi * freq * t)
        out.append(volume * envelope * sample / 1.3)
    return out


samples = note(880.0, 0.18, 0.5) + note(1318.5, 0.42, 0.5)
path = sys.argv[1] if len(sys.argv) > 1 else "resources/notify.wav"
with wave.open(path, "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(2)
    w.setframerate(RATE)
    w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 32767)) for s in samples))
