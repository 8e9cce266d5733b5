#!/usr/bin/env python3
"""Writes the fuzzers' hand-made starting inputs: a file damaged in each way
that has broken well-known audio readers. tools/fuzz.sh adds the sample
files of tests/import/fixtures. Run from anywhere; rewrites corpus/*/handmade-*."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def riff(*chunks, size=None):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body) if size is None else size) + body


def chunk(cid, body, size=None, pad=True):
    out = cid + struct.pack("<I", len(body) if size is None else size) + body
    return out + (b"\0" if pad and len(body) % 2 else b"")


def fmt(tag=1, channels=1, rate=8000, bits=16):
    block = channels * ((bits + 7) // 8)
    return chunk(b"fmt ", struct.pack("<HHIIHH", tag, channels, rate, (rate * block) & 0xFFFFFFFF, block & 0xFFFF, bits))


def form(kind, *chunks, size=None):
    body = kind + b"".join(chunks)
    return b"FORM" + struct.pack(">I", len(body) if size is None else size) + body


def bchunk(cid, body, size=None):
    out = cid + struct.pack(">I", len(body) if size is None else size) + body
    return out + (b"\0" if len(body) % 2 else b"")


def extended(rate):
    if rate == 0:
        return b"\0" * 10
    exponent = 16383 + rate.bit_length() - 1
    return struct.pack(">HQ", exponent, rate << (64 - rate.bit_length()))


def comm(channels=1, frames=4, bits=16, rate=8000, rate_bytes=None, extra=b""):
    return bchunk(b"COMM", struct.pack(">HIH", channels, frames, bits) + (rate_bytes or extended(rate)) + extra)


def ssnd(data, offset=0, size=None):
    return bchunk(b"SSND", struct.pack(">II", offset, 0) + data, size)


FVER = bchunk(b"FVER", struct.pack(">I", 0xA2805140))

wav = {
    "zero-channels": riff(fmt(channels=0), chunk(b"data", b"\1\2\3\4")),
    "frames-overflow": riff(fmt(channels=65535, bits=32), chunk(b"data", b"\0" * 8, size=0xFFFFFFF0)),
    "data-beyond-file": riff(fmt(), chunk(b"data", b"\1\2", size=0x7FFFFFFF)),
    "sampler-loops-beyond-file": riff(fmt(), chunk(b"smpl", struct.pack("<9I", 0, 0, 0, 60, 0, 0, 0, 0x0AAAAAA0, 0),
                                                size=36 + 24 * 0x0AAAAAA0)),
    "chunk-size-wraps": riff(chunk(b"junk", b"\0" * 4, size=0xFFFFFFFF), fmt(), chunk(b"data", b"\1\2")),
    "riff-size-beyond-file": riff(fmt(), chunk(b"data", b"\1\2"), size=0xFFFFFFFF),
    "odd-chunks-without-pads": riff(chunk(b"junk", b"\1", pad=False), chunk(b"junq", b"\1", pad=False), fmt(),
                                    chunk(b"data", b"\1\2\3", pad=False)),
    "two-conflicting-formats": riff(fmt(channels=2, rate=44100), chunk(b"data", b"\1\2\3\4"),
                                    fmt(tag=3, channels=1, rate=0, bits=64), chunk(b"data", b"\5\6\7\x08")),
    "data-before-format": riff(chunk(b"data", b"\1\2\3\4"), fmt()),
    "empty-format-chunk": riff(chunk(b"fmt ", b""), chunk(b"data", b"\1\2")),
    "extensible-short": riff(chunk(b"fmt ", struct.pack("<HHIIHHH", 0xFFFE, 2, 8000, 32000, 4, 16, 22)),
                             chunk(b"data", b"\0" * 8)),
    "rate-1-hz": riff(fmt(rate=1), chunk(b"data", b"\1\2" * 8)),
    "only-header": riff(),
}

aiff = {
    "zero-channels": form(b"AIFF", comm(channels=0, frames=4), ssnd(b"\0" * 8)),
    "frames-overflow": form(b"AIFF", comm(channels=65535, frames=0xFFFFFFFF, bits=32), ssnd(b"\0" * 8)),
    "sound-beyond-file": form(b"AIFF", comm(), ssnd(b"\0" * 8, size=0x7FFFFFFF)),
    "sound-offset-beyond-file": form(b"AIFF", comm(), ssnd(b"\0" * 8, offset=0xFFFFFFF0)),
    "chunk-size-wraps": form(b"AIFF", bchunk(b"junk", b"\0" * 4, size=0xFFFFFFFF), comm(), ssnd(b"\0" * 8)),
    "form-size-beyond-file": form(b"AIFF", comm(), ssnd(b"\0" * 8), size=0xFFFFFFFF),
    "two-conflicting-comm": form(b"AIFF", comm(channels=2, frames=2), comm(channels=1, frames=400, bits=64),
                                 ssnd(b"\0" * 8)),
    "empty-comm": form(b"AIFF", bchunk(b"COMM", b""), ssnd(b"\0" * 8)),
    "aifc-without-version": form(b"AIFC", comm(extra=b"sowt\0"), ssnd(b"\0" * 8)),
    "aifc-unknown-type": form(b"AIFC", FVER, comm(extra=b"ima4\0"), ssnd(b"\0" * 8)),
    "rate-nan": form(b"AIFF", comm(rate_bytes=b"\x7f\xff" + b"\xff" * 8), ssnd(b"\0" * 8)),
    "rate-1-hz": form(b"AIFF", comm(rate=1), ssnd(b"\0" * 8)),
    "markers-counted-not-there": form(b"AIFF", comm(), ssnd(b"\0" * 8), bchunk(b"MARK", struct.pack(">H", 65535)),
                                      bchunk(b"INST", bytes([60, 0, 0, 127, 0, 0, 0, 0, 0, 1, 0, 1, 0, 2, 0, 1, 0, 3, 0, 4]))),
    "markers-odd-names": form(b"AIFF", comm(), ssnd(b"\0" * 8),
                              bchunk(b"MARK", struct.pack(">HHIB", 2, 1, 0, 1) + b"a" + struct.pack(">HIB", 2, 3, 0)),
                              bchunk(b"INST", bytes([60, 0, 0, 127, 0, 0, 0, 0, 0, 1, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0]))),
}


def card(count, records, trailer=b"envc"):
    head = b"cvne" + bytes([1, count]) + struct.pack("<H", 0x0F01) + b"\0\0" + b"Corvane " + b"\0" * 16
    return head + b"".join(records) + trailer


def record(n, stored=None, start=0, end=None):
    samples = b"".join(struct.pack("<f", i / 8.0) for i in range(n if stored is None else stored))
    return (b"Inst 1  " + struct.pack("<HBBIII", 2, 200, 0, start, n if end is None else end, n) + b"\0" * 16
            + samples)


cardfile = {
    "empty": card(0, []),
    "two-instruments": card(2, [record(3), record(5, start=9, end=2)]),
    "nine-instruments": card(9, [record(1)] * 9),
    "sample-count-beyond-file": card(1, [record(0x3FFFFFFF, stored=2)]),
    "sample-bytes-wrap": card(1, [record(0x40000001, stored=1)]),
    "no-trailer": card(1, [record(2)], trailer=b""),
    "header-cut": card(0, [])[:12],
    "version-0": b"cvne\0",
}

identify = {
    "short-28": bytes(range(28)),
    "tail-34": bytes(range(34)),
    "text-36": bytes([0, 7, 1, 0, 2, 0, 15, 9]) + struct.pack("<I", 65536) + b"CORVANE-WRITER-000000001",
    "odd-35": bytes(35),
    "empty": b"",
    "claims-37": bytes(37),
}


def write(target, seeds):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, "handmade-" + name), "wb") as out:
            out.write(data)


write("wav_reader", wav)
write("aiff_reader", aiff)
write("card_file", cardfile)
write("identify_reply", identify)
