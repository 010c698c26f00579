#!/usr/bin/env python3
"""Writes a database-like folder: ADT tables with repetitive records, memo
files with German text, index pages, and a few incompressible files."""
import os, random, struct, sys

def main(folder, megabytes):
    random.seed(4711)
    os.makedirs(folder, exist_ok=True)
    words = ("Kunde Rechnung Lieferung Müller Köln Straße Betrag Artikel Menge Preis Datum "
             "Bestellung Angebot Zahlung offen erledigt Skonto Netto Brutto Umsatzsteuer").split()
    budget = megabytes * 1024 * 1024
    written = 0
    n = 0
    while written < budget:
        n += 1
        kind = n % 5
        size = random.randint(2, 40) * 1024 * 1024
        path = os.path.join(folder, f"T{n:03d}" + [".ADT", ".ADM", ".ADI", ".ADT", ".bin"][kind])
        with open(path, "wb") as f:
            if kind in (0, 3):  # fixed records: numbers, names, dates
                rec = 120
                for i in range(size // rec):
                    name = " ".join(random.choice(words) for _ in range(4)).encode("cp1252")
                    body = struct.pack("<iid", i, random.randint(0, 99999), random.random() * 1000) + name
                    f.write(b"\x04\0\0\0\0" + body[:rec - 5].ljust(rec - 5, b" "))
            elif kind == 1:  # memo text
                while f.tell() < size:
                    f.write((" ".join(random.choice(words) for _ in range(30)) + ".\r\n").encode("cp1252"))
            elif kind == 2:  # index pages, half empty
                for i in range(size // 512):
                    f.write(bytes(random.getrandbits(8) for _ in range(64)) + bytes(448))
            else:
                f.write(os.urandom(size))
            written += f.tell()
    print(f"{written / 1048576:.0f} MB in {n} files")

if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 500)
