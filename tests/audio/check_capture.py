#!/usr/bin/env python3
"""check_capture.py CAPTURE.raw EXPECTED.wav TRACE PRESSED

The float stereo frames handed to Wine's output must hold corvane-cli's render once,
exactly, in both channels, between silence. From Wine's trace (+timestamp,+alsa) and the
moment the probe pressed Play (PRESSED, in the trace's seconds) it prints the time to the
first sound handed over, and the device period.
"""
import re
import struct
import sys
from array import array


def float_wav(path):
    data = open(path, "rb").read()
    at = 12
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if tag == b"data":
            return list(array("f", data[at + 8:at + 8 + size]))
        at += 8 + size + (size & 1)
    raise SystemExit(f"{path}: no data chunk")


def check(capture_path, expected):
    raw = array("f", open(capture_path, "rb").read())
    left, right = list(raw[0::2]), list(raw[1::2])
    sounding = [i for i, s in enumerate(left) if s != 0.0]
    if not sounding:
        return [f"nothing but silence in {len(left)} frames"]
    offset = sounding[0] - next(i for i, s in enumerate(expected) if s != 0.0)
    if offset < 0:
        return ["the capture starts inside the sound"]
    got, after = left[offset:offset + len(expected)], left[offset + len(expected):]
    print(f"  {len(left)} frames captured: {offset} silent, {len(expected)} of sound, {len(after)} silent after")
    problems = [] if left == right else ["the two channels differ"]
    if got != expected:
        wrong = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b), min(len(got), len(expected)))
        problems.append(f"frame {wrong} of the sound is {got[wrong] if wrong < len(got) else 'missing'}, "
                        f"expected {expected[wrong] if wrong < len(expected) else 'nothing'}")
    if not after or any(s != 0.0 for s in after):
        problems.append("sound after the end" if after else "no silence after the sound")
    return problems


def latency(trace_path, pressed):
    # Seconds since Wine started, per line: "1234.567:0123:0456:trace:channel:function ...".
    first_sound, releases = None, []
    for line in open(trace_path, errors="replace"):
        m = re.match(r"^(\d+\.\d+):.*ReleaseBuffer\S*\s*\(?\S*\)?->\((\d+), (\w+)\)", line)
        if m and float(m[1]) >= pressed:
            releases.append(float(m[1]))
            if first_sound is None and int(m[2]) > 0 and int(m[3], 16) == 0:
                first_sound = float(m[1])
    if first_sound is None:
        print("  latency: no release found in the trace after Play was pressed")
        return
    gaps = sorted(b - a for a, b in zip(releases, releases[1:]))
    period = gaps[len(gaps) // 2] if gaps else float("nan")
    # Wine stamps its trace in whole milliseconds.
    print(f"  Play pressed to first sound handed to the output: {round((first_sound - pressed) * 1000)} ms; "
          f"device period (median between the render thread's releases): {round(period * 1000)} ms")


def main():
    capture, expected, trace, pressed = (sys.argv[1:5] + [""])[:4]
    problems = check(capture, float_wav(expected))
    if pressed:
        latency(trace, float(pressed))
    else:
        print("  latency: Play was not pressed")
    for p in problems:
        print(f"  {p}", file=sys.stderr)
    sys.exit(1 if problems else 0)


main()
