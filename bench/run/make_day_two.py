#!/usr/bin/env python3
"""The database's other files, and the next day's changes.

  make_day_two.py documents FOLDER MEGABYTES
      writes office documents into FOLDER: letters and lists of varied German
      text (they compress) and scans, PDFs and spreadsheets (they do not).
  make_day_two.py change DB OUT PERCENT
      writes into OUT (same relative paths) every file of DB that changes by
      the next day: PERCENT of the tables (the .ADT and its memo, one record
      edited each) and PERCENT of the other files (one byte each). Sizes stay:
      a change the comparison finds only part-way through."""
import os, random, sys

WORDS = ("Sehr geehrte Damen und Herren vielen Dank für Ihre Bestellung vom wir bestätigen "
         "Lieferung Rechnung Angebot Termin Mahnung Zahlung Skonto Betrag offen erledigt "
         "Müller Schmidt Köln München Straße Bahnhofstraße Ansprechpartner Nachlieferung "
         "Reklamation freundlichen Grüßen Anlage Vertrag Kündigung Quartal Umsatz").split()


def text(rng, size):
    out = []
    n = 0
    while n < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(5, 16)))
        line += f" {rng.randint(1, 99999)},{rng.randint(0, 99):02d} EUR am {rng.randint(1, 28)}.{rng.randint(1, 12)}.20{rng.randint(15, 26)}\r\n"
        out.append(line)
        n += len(line)
    return "".join(out).encode("cp1252")[:size]


def documents(folder, megabytes):
    rng = random.Random(4711)
    budget = megabytes * 1_000_000
    written = i = 0
    while written < budget:
        i += 1
        sub = os.path.join(folder, f"Kunde{i % 7:02d}")
        os.makedirs(sub, exist_ok=True)
        kind = i % 4
        if kind in (0, 1):  # letters, lists
            size = rng.randint(20_000, 400_000)
            data = text(rng, size)
            name = f"Brief{i:04d}.txt" if kind == 0 else f"Liste{i:04d}.csv"
        else:  # scans, PDFs, spreadsheets: compressed already
            size = rng.randint(100_000, 3_000_000)
            data = rng.randbytes(size)
            name = f"Scan{i:04d}.jpg" if kind == 2 else f"Vertrag{i:04d}.pdf"
        with open(os.path.join(sub, name), "wb") as f:
            f.write(data)
        written += size


def edited(data, at, old, new):
    """One record's field edited: the first old after position at becomes new."""
    pos = data.find(old, at)
    if pos < 0:
        pos = data.find(old)
    return data[:pos] + new + data[pos + len(old):]


def change(db, out, percent):
    every = max(1, round(100 / percent))
    files = sorted(os.path.relpath(os.path.join(d, f), db) for d, _, fs in os.walk(db) for f in fs)
    tables = [f for f in files if f.upper().endswith(".ADT")]
    others = [f for f in files if os.path.splitext(f)[1].lower() not in (".adt", ".adm", ".adi")]
    changed = []
    for table in tables[::every]:
        memo = table[:-4] + ".adm"
        changed += [(table, b"Schmidt", b"Schmitt"), (memo, b"Termin", b"termin")]
    for other in others[::every]:
        changed.append((other, None, None))
    for rel, old, new in changed:
        with open(os.path.join(db, rel), "rb") as f:
            data = f.read()
        at = len(data) * 6 // 10
        if old is None:
            data = data[:at] + bytes([data[at] ^ 0x01]) + data[at + 1:]
        else:
            data = edited(data, at, old, new)
        os.makedirs(os.path.dirname(os.path.join(out, rel)), exist_ok=True)
        with open(os.path.join(out, rel), "wb") as f:
            f.write(data)
    print(f"{len(changed)} files change")


if __name__ == "__main__":
    if sys.argv[1] == "documents":
        documents(sys.argv[2], int(sys.argv[3]))
    else:
        change(sys.argv[2], sys.argv[3], float(sys.argv[4]))
