#!/usr/bin/env python3
"""Writes the error sound: PCM mono, 22,050 samples per second, 16 bits,
53,864 bytes as a WAVE file. Two falling tones, each struck and fading, then
quiet: short and clear, not shrill.

    tools/make_error_sound.py OUTPUT.wav
"""
import math
import struct
import sys

RATE = 22050
FILE_SIZE = 53864
HEADER_SIZE = 44
SAMPLES = (FILE_SIZE - HEADER_SIZE) // 2  # 26,910 samples, about 1.22 seconds

# (start in seconds, frequency in Hz, length in seconds)
TONES = [(0.00, 880.0, 0.42), (0.30, 587.33, 0.85)]
PEAK = 0.6  # of full scale; the two tones together stay well below clipping


def tone_sample(t, start, freq, length):
    if t < start or t >= start + length:
        return 0.0
    local = t - start
    attack = min(1.0, local / 0.008)  # no click at the start
    release = min(1.0, (length - local) / 0.02)  # nor at the end
    decay = math.exp(-local * 4.0)
    wave = math.sin(2 * math.pi * freq * local) + 0.3 * math.sin(4 * math.pi * freq * local)
    return attack * release * decay * wave / 1.3


def samples():
    for i in range(SAMPLES):
        t = i / RATE
        value = sum(tone_sample(t, *tone) for tone in TONES) * PEAK
        yield max(-32768, min(32767, int(round(value * 32767))))


def wave_file():
    data = b"".join(struct.pack("<h", s) for s in samples())
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    content = wave_file()
    assert len(content) == FILE_SIZE, len(content)
    with open(sys.argv[1], "wb") as out:
        out.write(content)


if __name__ == "__main__":
    main()
