# certdata.txt becomes binary garbage: the same 256 KiB every run, every byte but NUL.
import os
import random

SIZE = 256 * 1024


def setup(layout):
    garbage = bytes(byte or 0x0A for byte in random.Random(932).randbytes(SIZE))
    certdata = layout.unix / "certdata.txt"
    before = certdata.stat()
    certdata.write_bytes(garbage)
    os.utime(certdata, (before.st_atime, before.st_mtime))  # the date the case gave it
