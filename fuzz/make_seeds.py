#!/usr/bin/env python3
"""Writes the small seed corpora in corpus/: well-formed records and configuration files."""
import hashlib
import os

HERE = os.path.dirname(os.path.abspath(__file__))
# (offset in bytes, width in UTF-16 units) of type, recordNumber, date, time, phone, name,
# company, notes, status, hash, savedAt, spare1, spare2
LAYOUT = [(0, 2), (4, 15), (34, 12), (58, 10), (78, 14), (106, 75), (256, 50), (356, 200),
          (756, 3), (762, 70), (902, 15), (932, 15), (962, 15)]
TYPE, NUMBER, DATE, TIME, PHONE, NAME, COMPANY, NOTES, STATUS, HASH, SAVED = range(11)


def record(number, fields, sealed=True):
    texts = dict(fields)
    texts[NUMBER] = str(number)
    if sealed:
        order = [NUMBER, TYPE, DATE, TIME, PHONE, NAME, COMPANY, NOTES, SAVED, STATUS]
        text = "\u00ac".join(texts.get(f, "") for f in order) + "\n"
        texts[HASH] = hashlib.sha256(text.encode("utf-8")).hexdigest()
    data = bytearray(992)
    for field, value in texts.items():
        offset, width = LAYOUT[field]
        encoded = value[: width - 1].encode("utf-16-le")
        data[offset: offset + len(encoded)] = encoded
    return bytes(data)


def write(folder, name, data):
    with open(os.path.join(HERE, "corpus", folder, name), "wb") as f:
        f.write(data)


first = {TYPE: "I", DATE: "12/25/2024", TIME: " 9:30AM", PHONE: "800-555-1234", NAME: "Ann Example",
         COMPANY: "Example Ltd", NOTES: "Called about the \u00fcbersicht", STATUS: "O", SAVED: "1735119000"}
second = dict(first)
second.update({TYPE: "O", NAME: "Bob", STATUS: "E"})
write("record", "one-good", record(1, first))
write("record", "two-one-altered", record(1, first) + record(2, second, sealed=False))
write("record", "three-good", record(1, first) + record(2, second) + record(3, first))

write("config", "built-in", b"VNData.dta\n-\n###\n###\nArial\n0\n10\n\x00")
write("config", "crlf", "Anrufe.dta\r\n.\r\n212\r\n555\r\nDejaVu Sans\r\n-16777208\r\n12\r\n\x03".encode())
write("config", "short", b"VNData.dta\n-\n")
