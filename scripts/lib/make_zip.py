#!/usr/bin/env python3
"""Writes a zip that two builds of one commit write to the same bytes, and that Windows shows
right: the entries in the order given, all with one fixed time, and each name both in the GBK
code page of a Chinese Windows (which Windows' own zip folders read) and, in Info-ZIP's Unicode
path field, in UTF-8 (which 7-Zip and other tools read).

Usage: make_zip.py OUTPUT EPOCH FILE[=NAME]...
"""
import struct
import sys
import time
import zipfile
import zlib


class WindowsEntry(zipfile.ZipInfo):
    def _encodeFilenameFlags(self):
        return self.filename.encode("gbk"), self.flag_bits


def main():
    output, epoch, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # a zip time cannot be before 1980
    with zipfile.ZipFile(output, "w") as archive:
        for argument in files:
            path, _, name = argument.partition("=")
            name = name or path.rsplit("/", 1)[-1]
            entry = WindowsEntry(name, stamp)
            entry.create_system = 0
            entry.external_attr = 0x20  # an archived file, as Windows writes it
            entry.compress_type = zipfile.ZIP_DEFLATED
            utf8 = name.encode("utf-8")
            if utf8 != name.encode("gbk"):
                unicode_path = struct.pack("<BI", 1, zlib.crc32(name.encode("gbk"))) + utf8
                entry.extra = struct.pack("<HH", 0x7075, len(unicode_path)) + unicode_path
            with open(path, "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()
