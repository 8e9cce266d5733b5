#!/usr/bin/env python3
"""Writes the Windows zip: make_windows_zip.py OUT.zip VERSION CORVANE_EXE CLI_EXE README LICENSE.

The files at the top of the archive (Explorer's "Extract All" makes the
folder), in a fixed order, dated SOURCE_DATE_EPOCH, with fixed attributes, so
that two builds of one commit give the same bytes. The texts get Windows line
ends, and the README its version."""
import os
import sys
import time
import zipfile


def windows_text(path, version):
    with open(path, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version)
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def main():
    out, version, program, cli, readme, licence = sys.argv[1:7]
    # Zip dates start in 1980 and have two-second steps.
    epoch = max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800)
    date_time = time.gmtime(epoch)[:6]
    entries = [
        ("corvane.exe", open(program, "rb").read()),
        ("corvane-cli.exe", open(cli, "rb").read()),
        ("README.txt", windows_text(readme, version)),
        ("LICENSE.txt", windows_text(licence, version)),
    ]
    with zipfile.ZipFile(out, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS: no Unix owner or mode bits
            info.external_attr = 0x20  # the archive attribute, as Explorer writes it
            archive.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    if "SOURCE_DATE_EPOCH" not in os.environ:
        sys.exit("make_windows_zip.py: SOURCE_DATE_EPOCH is not set")
    main()
