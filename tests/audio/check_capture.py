#!/usr/bin/env python3
"""Checks a captured preview against what it must be.

check_capture.py preview CAPTURE.raw PREVIEW.wav TRACE
check_capture.py card CAPTURE.raw CARD.bin TRACE START END DECAY

CAPTURE.raw holds what the program handed to Wine's default output: 32-bit
float stereo frames. The sound must appear once, in both channels, exactly as
expected, with only silence before and at least one silent frame after it.
Expected is either the preview written by corvane-cli render, or the
instrument's card bytes (first directory entry of the image written by
corvane-cli image) decoded as the instrument plays them, (128 - byte) / 128,
faded as the preview is: from the start point the gain falls from 1 by
1 / decay length per sample, in 32-bit floats.
From Wine's trace (+timestamp,+alsa,+key) it reports the time from the Space
key to the first sound handed to the output, and the device period.
"""
import re
import struct
import sys
from array import array


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def float_wav(path):
    data = open(path, "rb").read()
    at = 12
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if tag == b"data":
            samples = array("f")
            samples.frombytes(data[at + 8:at + 8 + size])
            return list(samples)
        at += 8 + size + (size & 1)
    raise SystemExit(f"{path}: no data chunk")


def card_sound(path, start, end, decay):
    image = open(path, "rb").read()
    first = (image[36] << 8 | image[37]) - 1
    length = end - start
    # The decay length of an instrument that is not downsampled: decay x 1024 at the Tune 0 rate.
    decay_length = decay * 1024 * 25272 // 37908
    step = f32(1.0 / f32(decay_length))
    g, sound = 1.0, []
    for i in range(length):
        sound.append(f32((128 - image[first + i]) / 128.0 * g))
        g = f32(g - step)
        if g < 0:
            g = 0.0
    return sound


def check(capture_path, expected):
    raw = array("f")
    raw.frombytes(open(capture_path, "rb").read())
    left, right = raw[0::2], raw[1::2]
    problems = []
    if len(left) != len(right) or list(left) != list(right):
        problems.append("the two channels differ")
    sounding = [i for i, s in enumerate(left) if s != 0.0]
    if not sounding:
        return [f"nothing but silence in {len(left)} frames"]
    first_expected = next(i for i, s in enumerate(expected) if s != 0.0)
    offset = sounding[0] - first_expected
    if offset < 0:
        return ["the capture starts inside the sound"]
    got = list(left[offset:offset + len(expected)])
    if got != expected:
        wrong = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b), min(len(got), len(expected)))
        problems.append(f"frame {wrong} of the sound is {got[wrong] if wrong < len(got) else 'missing'}, "
                        f"expected {expected[wrong] if wrong < len(expected) else 'nothing'}")
    after = list(left[offset + len(expected):])
    if not after:
        problems.append("no silence after the sound")
    elif any(s != 0.0 for s in after):
        problems.append("sound after the end")
    print(f"  {len(left)} frames captured: {offset} silent, {len(expected)} of sound, {len(after)} silent after")
    return problems


def latency(trace_path):
    # Seconds since Wine started, per line: "1234.567:0123:0456:trace:channel:function ...".
    key_time, first_sound, releases = None, None, []
    for line in open(trace_path, errors="replace"):
        m = re.match(r"^(\d+\.\d+):", line)
        if not m:
            continue
        t = float(m[1])
        if key_time is None and re.search(r"trace:key:.*(KeyPress|type 2,)", line):
            key_time = t
        m = re.search(r"ReleaseBuffer\S*\s*\(?\S*\)?->\((\d+), (\w+)\)", line)
        if m and key_time is not None:
            frames, flags = int(m[1]), int(m[2], 16)
            releases.append(t)
            if first_sound is None and frames > 0 and flags == 0:
                first_sound = t
    if key_time is None or first_sound is None:
        print("  latency: no key or no release found in the trace")
        return
    gaps = sorted(b - a for a, b in zip(releases, releases[1:]))
    period = gaps[len(gaps) // 2] if gaps else float("nan")
    # Wine stamps its trace in whole milliseconds.
    print(f"  Space to first sound handed to the output: {round((first_sound - key_time) * 1000)} ms "
          f"(to the millisecond); device period (median between the render thread's releases): "
          f"{round(period * 1000)} ms")


def main():
    mode, capture, source, trace = sys.argv[1:5]
    if mode == "preview":
        expected = float_wav(source)
    else:
        start, end, decay = map(int, sys.argv[5:8])
        expected = card_sound(source, start, end, decay)
    problems = check(capture, expected)
    latency(trace)
    for p in problems:
        print(f"  {mode}: {p}", file=sys.stderr)
    sys.exit(1 if problems else 0)


main()
