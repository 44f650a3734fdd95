#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_entry (see the input layout there).

Run again after changing the layout: python3 tests/fuzz/make_seeds.py
"""
import datetime
import pathlib
import struct

FIRST_DAY = datetime.date(1700, 1, 1)
ZONES = {"local": 0, "utc": 1, "plus14": 2, "minus12": 3, "berlin": 4, "sao_paulo": 5,
         "apia": 6, "lord_howe": 7}
UTF8, UTF16, LATIN1 = 0, 1, 2


def seed(now, hour, minute, zone, date_text, name, decoding=UTF8):
    day = (now - FIRST_DAY).days
    ms = (hour * 60 + minute) * 60_000
    text = date_text + name
    if decoding == UTF8:
        body = text.encode("utf-8")
    elif decoding == UTF16:
        body = text.encode("utf-16-le")
    else:
        body = text.encode("latin-1")
    return struct.pack("<IIBBB", day, ms, ZONES[zone], decoding, len(date_text)) + body


def days_back(now, days):
    return (now - datetime.timedelta(days=days)).strftime("%d%m%Y")


NOW = datetime.date(2026, 12, 6)
SEEDS = {
    "eva": seed(NOW, 14, 0, "local", "05031973", "Eva"),
    "example_utc": seed(NOW, 23, 59, "utc", "24011973", "Zuz Zarnok"),
    "leap_day_umlauts": seed(NOW, 10, 0, "berlin", "29022000", "Jürgen Größe-Übel"),
    "oldest": seed(NOW, 0, 0, "local", days_back(NOW, 50000), "Methusalem"),
    "one_too_old": seed(NOW, 12, 0, "local", days_back(NOW, 50001), "Methusalem"),
    "today": seed(NOW, 8, 0, "plus14", NOW.strftime("%d%m%Y"), "Neu"),
    "yesterday": seed(NOW, 8, 0, "minus12", days_back(NOW, 1), "Baby"),
    "dotted_markup": seed(NOW, 9, 0, "local", "24.01.1973", "<b>fett</b>"),
    "arabic_indic_rtl": seed(NOW, 9, 0, "local", "\u0662\u0664\u0660\u0661\u0661\u0669\u0667\u0663",
                             "\u0645\u0631\u064a\u0645", UTF16),
    "fullwidth_emoji": seed(NOW, 9, 0, "local", "\uff12\uff14\uff10\uff11\uff11\uff19\uff17\uff13",
                            "Anna \U0001F382\U0001F973"),
    "midnight_change": seed(datetime.date(2024, 6, 1), 0, 30, "sao_paulo", "04112018", "Joana"),
    # A day the zone skipped as a whole is never a birth date.
    "skipped_day": seed(datetime.date(2020, 1, 1), 12, 0, "apia", "30122011", "Sina"),
    "control_blanks": seed(NOW, 7, 0, "lord_howe", " 5031973", "Tab\tNeu\nZeile\x1b[31m\x00",
                           LATIN1),
    "seven_digits": seed(NOW, 7, 0, "local", "2401197", "Kurz"),
}

corpus = pathlib.Path(__file__).resolve().parent / "corpus"
corpus.mkdir(exist_ok=True)
for name, data in SEEDS.items():
    (corpus / name).write_bytes(data)
