#!/usr/bin/env python3
"""Makes Kinetra's string resources from the per-language tables.

usage: make-strings-rc.py TABLE_DIR OUT_DIR

Writes OUT_DIR/KinetraStrings.rc, which names one binary file per string
(the text in the set's code page and its NUL) and the 56-byte
MessagePoolMap, and those files beside it.
"""
import os
import struct
import sys

SETS = [  # table, resource type, code page
    ('en.txt', 256, 'cp1252'),
    ('fr.txt', 3400, 'cp1252'),
    ('de.txt', 3401, 'cp1252'),
    ('ja.txt', 3409, 'cp932'),
]
PREFIX = 'CKinetraStrings'
COUNT = 36
UNUSED = 0x2A2A2A2A  # "****"
MAP = [1, 256, 3400, 3401] + [UNUSED] * 7 + [3409, UNUSED, UNUSED]


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == '\\' and i + 1 < len(text):
            nxt = text[i + 1]
            out.append({'n': '\n', 't': '\t', '\\': '\\'}.get(nxt, '\\' + nxt))
            i += 2
        else:
            out.append(c)
            i += 1
    return ''.join(out)


def read_table(path):
    strings = {}
    with open(path, encoding='utf-8') as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip('\n')
            if not line or line.startswith('#'):
                continue
            number, sep, text = line.partition('\t')
            if not sep or not number.isdigit():
                sys.exit(f'{path}:{n}: expected NUMBER<TAB>TEXT')
            if int(number) in strings:
                sys.exit(f'{path}:{n}: string {number} given twice')
            strings[int(number)] = unescape(text)
    if sorted(strings) != list(range(1, COUNT + 1)):
        sys.exit(f'{path}: needs strings 1 to {COUNT}')
    return strings


def main():
    table_dir, out_dir = sys.argv[1], sys.argv[2]
    os.makedirs(out_dir, exist_ok=True)
    lines = ['// Made by make-strings-rc.py from the tables in strings/; do not edit.']
    for table, rtype, codepage in SETS:
        strings = read_table(os.path.join(table_dir, table))
        lines.append(f'\n// {table}: set {rtype}, {codepage}')
        for number in range(1, COUNT + 1):
            data = strings[number].encode(codepage) + b'\0'
            name = f'{PREFIX}{number}'
            file = f'{rtype}-{number}.bin'
            with open(os.path.join(out_dir, file), 'wb') as f:
                f.write(data)
            lines.append(f'{name} {rtype} "{file}"')
    with open(os.path.join(out_dir, 'MessagePoolMap.bin'), 'wb') as f:
        f.write(struct.pack('<14I', *MAP))
    lines.append('\nMessagePoolMap 200 "MessagePoolMap.bin"\n')
    with open(os.path.join(out_dir, 'KinetraStrings.rc'), 'w') as f:
        f.write('\n'.join(lines))


main()
