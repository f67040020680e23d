#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets of the county office's readers:
the full data set (Aa, Ab, Ac), the accounted visits and fees (Mb, Rav) as
small dBase III tables in the office's layouts, joined at the targets'
separator, and the contract files of a demo folder made with szdemo.

    make_exchange_seeds.py SEED_DIR [DEMO_DATA_DIR]
"""
import datetime
import os
import struct
import sys

SEP = b"SZFUZZ|"


def dbf(fields, rows):
    """A dBase III table: fields (name, type, width, decimals), rows of values."""
    today = datetime.date(2016, 6, 10)
    reclen = 1 + sum(f[2] for f in fields)
    head = struct.pack("<BBBBIHH20x", 3, today.year % 100, today.month, today.day,
                       len(rows), 32 + 32 * len(fields) + 1, reclen)
    desc = b""
    offset = 1
    for name, typ, width, dec in fields:
        desc += struct.pack("<11sc4xBB14x", name.encode(), typ.encode(), width, dec)
        offset += width
    body = b""
    for row in rows:
        rec = b" "
        for (name, typ, width, dec), v in zip(fields, row):
            if v is None:
                t = b" " * width
            elif typ == "N":
                t = str(v).encode().rjust(width)
            elif typ == "D":
                t = v.encode()
            else:
                t = v.encode("cp852").ljust(width)
            assert len(t) == width, (name, v)
            rec += t
        body += rec
    return head + desc + b"\r" + body + b"\x1a"


def C(n, w):
    return (n, "C", w, 0)


def N(n, w, d=0):
    return (n, "N", w, d)


def D(n):
    return (n, "D", 8, 0)


AA = [C("ULVKOD", 4), C("FINKOD", 9), N("SORSZAM", 5), C("RESZ", 1), C("IDOSZAK", 6),
      N("ORVOSKOD", 5), N("JORVKOD", 5), C("TAJ", 9), C("KOZIGKOD", 7), C("AZTIP", 1),
      C("TERKAT", 2), C("ALLAMP", 3), N("TERPOT", 1), C("TEVKODOK", 34), D("ELBOCS"),
      N("APNAP", 4), D("ELREND"), D("SZAKVET"), N("ELVIZDB", 3), C("GYAK", 15),
      N("ELSZVIZ", 3), N("ELSZAM", 3), D("LEZDAT"), N("ENGSZAM", 4), D("ENGDAT"),
      N("OVIZITDB", 2), C("MODIDO", 6), C("MODTIPUS", 1), C("ALLAPOT", 1)]
AB = [C("ULVKOD", 4), C("FINKOD", 9), N("SORSZAM", 5), C("RESZ", 1), C("IDOSZAK", 6),
      C("TEVKOD", 2), N("ELLTIP", 1), N("ONKEP", 1), D("DATUMTOL"), C("APTAJ", 9),
      N("VIZITDB", 2), C("ELSZIDO", 6)]
AC = [C("ULVKOD", 4), C("FINKOD", 9), N("SORSZAM", 5), C("RESZ", 1), C("IDOSZAK", 6),
      N("BNOTIP", 1), C("BNOKOD", 5)]


def aa_row(p, s, resz, orvos, jorv, terpot, viz, allapot):
    return ["1890", "FIN000042", s, resz, p, orvos, jorv, "123456788", "1234567", "1", "01",
            "HUN", terpot, "AB", "20160102", 3, "20160101", "20160103", 14, "heti 2", 0, 1,
            None, 0, None, viz, "201606", "", allapot]


def ab_row(s, resz, p, d):
    return ["1890", "FIN000042", s, resz, p, "01", 2, 1, d, "012345678", 1, "201606"]


def main():
    out = sys.argv[1]
    for d in ("teljesadat", "elszamolt", "szerzodes"):
        os.makedirs(os.path.join(out, d), exist_ok=True)
    aa = dbf(AA, [aa_row("200412", 1, "", 5, 0, 1, 2, ""), aa_row("201605", 7, "", 12, 0, 1, 2, "u"),
                  aa_row("201501", 3, "", 12, 44, 2, 1, "R"), aa_row("201601", 30, "A", 12, 44, 1, 6, ""),
                  aa_row("201602", 30, "B", 12, 44, 1, 8, "")])
    ab = dbf(AB, [ab_row(7, "", "201605", "20160503"), ab_row(7, "", "201605", "20160502"),
                  ab_row(3, "", "201501", "20150105"), ab_row(30, "A", "201601", "20160104")])
    ac = dbf(AC, [["1890", "", 7, "", "201605", 3, "I10"], ["1890", "", 7, "", "201605", 6, "Z74"],
                  ["1890", "", 3, "", "201501", 1, "K25"]])
    with open(os.path.join(out, "teljesadat", "harom"), "wb") as f:
        f.write(aa + SEP + ab + SEP + ac)
    mb = dbf([C("ULVKOD", 4), N("SORSZAM", 5), C("RESZ", 1), C("IDOSZAK", 6), D("DATUMTOL"),
              C("ELSZIDO", 6), N("VIZITDB", 2)],
             [["1890", 12, "", "201603", "201603%02d" % d, "201604", 1] for d in range(1, 4)] +
             [["1890", 7, "A", "201603", "20160301", "201604", 1]])
    rav = dbf([C("IDOSZAK", 7), N("ALAPDIJ", 10, 2), N("ELOLEG", 12, 1)],
              [["2016.03", "3450.50", "120000.0"]])
    with open(os.path.join(out, "elszamolt", "mb-rav"), "wb") as f:
        f.write(mb + SEP + rav)
    if len(sys.argv) > 2:
        data = sys.argv[2]
        for i, name in enumerate(("SZERZ", "TERULET", "SZOLGSZ", "THELY", "PART")):
            with open(os.path.join(data, name + ".DBF"), "rb") as src:
                body = src.read()
            with open(os.path.join(out, "szerzodes", name.lower()), "wb") as f:
                f.write(bytes([i]) + body)


if __name__ == "__main__":
    main()
