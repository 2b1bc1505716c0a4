#!/usr/bin/env python3
"""Writes data/transl.dt from the readable sources in data/i18n/.

data/i18n/en.json lists the program's English texts in row order; every other
<code>.json maps each English text, spelled exactly the same, to its translation.
The table file is UTF-8 with a byte-order mark and CR LF line ends: line 1 is the
number of languages, then the rows (names, codes, texts) one cell per line.

Before writing, every translation is checked: present, one line, the same "%s" /
"%d" placeholders in the same order, the same blanks at either end, the em dash and
the "  |  " separator kept. Any fault is listed and nothing is written.

Usage: tools/build_transl.py [--check]   (--check: verify data/transl.dt is current)
Standard library only.
"""
import json
import os
import re
import sys

ORDER = ["en", "ar", "cn", "cs", "de", "el", "es", "fr", "hu", "it", "jp", "kr",
         "nl", "pl", "pt", "tr"]

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "data", "i18n")
TARGET = os.path.join(ROOT, "data", "transl.dt")

PLACEHOLDER = re.compile(r"%[sd]")
# Texts that must come back in the same number in every translation.
KEPT_MARKS = ["\u2014", "  |  "]
# The update dialog tells a running download by its button reading "Abort": these
# three captions must differ from one another in every language.
DISTINCT = ["Exit", "Skip", "Abort"]


def load(code):
    with open(os.path.join(SOURCE, code + ".json"), encoding="utf-8") as f:
        return json.load(f)


def edge_blanks(text):
    return len(text) - len(text.lstrip(" ")), len(text) - len(text.rstrip(" "))


def check_cell(english, text):
    faults = []
    if any(c in text for c in "\r\n"):
        faults.append("holds a line break")
    if PLACEHOLDER.findall(english) != PLACEHOLDER.findall(text):
        faults.append("placeholders %s, expected %s" % (PLACEHOLDER.findall(text),
                                                         PLACEHOLDER.findall(english)))
    if edge_blanks(english) != edge_blanks(text):
        faults.append("blanks at the ends differ from the English text")
    for mark in KEPT_MARKS:
        if english.count(mark) != text.count(mark):
            faults.append("%r not kept" % mark)
    return faults


def build():
    english = load("en")
    texts = english["texts"]
    faults = []
    if len(set(texts)) != len(texts):
        faults.append("en: an English text is listed twice")
    columns = []
    for code in ORDER:
        data = english if code == "en" else load(code)
        if data.get("code") != code:
            faults.append("%s: code is %r" % (code, data.get("code")))
        if not data.get("name"):
            faults.append("%s: no display name" % code)
        if code == "en":
            cells = list(texts)
        else:
            mapping = data.get("texts", {})
            for extra in sorted(set(mapping) - set(texts)):
                faults.append("%s: %r is not an English text of the program" % (code, extra))
            cells = []
            for t in texts:
                if t not in mapping or not mapping[t]:
                    faults.append("%s: no translation of %r" % (code, t))
                    cells.append("")
                    continue
                for fault in check_cell(t, mapping[t]):
                    faults.append("%s: %r: %s" % (code, t, fault))
                cells.append(mapping[t])
            shown = [cells[texts.index(t)] for t in DISTINCT]
            if len(set(shown)) != len(shown):
                faults.append("%s: %s translate to equal texts %s" % (code, DISTINCT, shown))
        columns.append([data.get("name", ""), code] + cells)
    lines = [str(len(ORDER))]
    for row in range(len(columns[0])):
        for column in columns:
            lines.append(column[row])
    return faults, "\ufeff" + "".join(line + "\r\n" for line in lines)


def main():
    faults, content = build()
    if faults:
        for fault in faults:
            print(fault, file=sys.stderr)
        print("%d fault(s); %s not written" % (len(faults), TARGET), file=sys.stderr)
        return 1
    data = content.encode("utf-8")
    if "--check" in sys.argv[1:]:
        with open(TARGET, "rb") as f:
            if f.read() != data:
                print("%s is out of date: run tools/build_transl.py" % TARGET, file=sys.stderr)
                return 1
        print("%s is current" % TARGET)
        return 0
    with open(TARGET, "wb") as f:
        f.write(data)
    print("wrote %s: %d languages, %d rows" % (TARGET, len(ORDER),
                                               (content.count("\r\n") - 1) // len(ORDER)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
