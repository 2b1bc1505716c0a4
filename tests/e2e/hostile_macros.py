#!/usr/bin/env python3
"""Fills a folder with a hostile macro library for the end-to-end scripts: 994 small
macros, one of about 50 MB in long lines, one of a million events, four files of random
bytes that are not UTF-8, a macro in a subfolder and a file that is not a macro. A program
that skips what it cannot read loads 996 macros from it.

    hostile_macros.py FOLDER
"""
import os
import sys

d = sys.argv[1]
os.makedirs(os.path.join(d, "sub"), exist_ok=True)
bom = b"\xef\xbb\xbf"
for i in range(994):
    with open(os.path.join(d, "m%04d.qelmac" % i), "wb") as f:
        f.write(bom + ("Name=small %d\r\nDurationMs=%d\r\nE=0|0|%d|%d|-1\r\nE=%d|1|5|5|0\r\n"
                       % (i, i, i, i, i)).encode())
line = b"x" * 51199 + b"\n"
with open(os.path.join(d, "big.qelmac"), "wb") as f:
    f.write(b"Name=big\nDurationMs=10\n")
    for _ in range(1000):
        f.write(line)
    f.write(b"E=10|0|1|1|-1\n")
with open(os.path.join(d, "million.qelmac"), "wb") as f:
    f.write(bom + b"Name=million\r\nDurationMs=1000000\r\n")
    f.write(b"".join(b"E=%d|0|%d|%d|-1\r\n" % (t, t % 1280, t % 1024) for t in range(1000000)))
for i in range(4):
    with open(os.path.join(d, "random%d.qelmac" % i), "wb") as f:
        f.write(b"\xff" + os.urandom(4096 * (i + 1)))
with open(os.path.join(d, "sub", "x.qelmac"), "wb") as f:
    f.write(b"Name=in a subfolder\r\n")
with open(os.path.join(d, "notes.txt"), "wb") as f:
    f.write(os.urandom(1000))
