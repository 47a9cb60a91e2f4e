#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' names and contents.

    python3 tools/zip.py OUT.zip FILE...    (names as given, relative to the current folder)

Entries go in the order given, each dated SOURCE_DATE_EPOCH (or 1980-01-01 where it is not
set), as a regular file of mode 644 made on Unix, with no extra fields: no access or change
times, no owners. So two builds of one commit give the same zip, on any system.
"""
import os
import stat
import sys
import time
import zipfile


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: python3 tools/zip.py OUT.zip FILE...")
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    stamp = time.gmtime(int(epoch))[:6] if epoch else (1980, 1, 1, 0, 0, 0)
    partial = sys.argv[1] + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in sys.argv[2:]:
            entry = zipfile.ZipInfo(name, date_time=max(stamp, (1980, 1, 1, 0, 0, 0)))
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3  # Unix, whose mode bits the upper half holds
            entry.external_attr = (stat.S_IFREG | 0o644) << 16
            with open(name, "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)
    os.replace(partial, sys.argv[1])


if __name__ == "__main__":
    main()
