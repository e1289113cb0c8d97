#!/usr/bin/env python3
"""Rewrites ZIP archives so that they depend on their contents alone.

Usage: normalize_zip.py EPOCH ARCHIVE...

CPack's archive writer records each staged file's owner and its change and access times, which
differ with every run and every builder. Each archive is written anew: its entries in name order,
each with the time EPOCH (seconds since 1970, UTC), no owner, no extra fields, deflated.
"""
import sys
import time
import zipfile


def normalize(path, epoch):
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # a ZIP entry holds no time before 1980
    with zipfile.ZipFile(path) as source:
        entries = sorted((info.filename, source.read(info)) for info in source.infolist()
                         if not info.is_dir())
    with zipfile.ZipFile(path, "w") as target:
        for name, data in entries:
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 0  # MS-DOS: no Unix owner or mode
            info.external_attr = 0
            info.compress_type = zipfile.ZIP_DEFLATED
            target.writestr(info, data, compresslevel=9)


def main(arguments):
    if len(arguments) < 2 or not arguments[0].isdigit():
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    for path in arguments[1:]:
        normalize(path, int(arguments[0]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
