#!/usr/bin/env python3
"""End-to-end tests of quorvel-cli.exe under wine on generated databases.

Every archive the program writes is read back with python's zipfile, Info-ZIP
unzip and 7-Zip, and its names are compared with the source tree."""
import argparse
import html.parser
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse
import zipfile

ARGS = None
STAMP = re.compile(r"^</b>\d\d\.\d\d\.\d{4}( \d\d:\d\d:\d\d)?<b>")


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def clean_path_name(windows_path):
    d = windows_path.rstrip("\\")
    return "".join("_" if c in '\\?|><:/*"' else c for c in d)[:100].rstrip(". ")


def run_captured(command, **kwargs):
    """Runs a program with its output in files, not pipes: wine's desktop process,
    started by the first program that makes a window, inherits that program's
    handles and would keep a pipe open long after the program ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(command, stdout=out, stderr=err, timeout=600, **kwargs)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(done.args, done.returncode, out.read(), err.read())


def run_wine(exe, *args, stdin=None):
    return run_captured([ARGS.wine, exe, *args], stdin=stdin)


def without_stamp(line):
    return STAMP.sub("<b>", line)


def red(text):
    return '<b>: <FONT color="#FF0000">' + text + "</FONT>"


def plain(text):
    return "<b></b>: " + text


def link(path):
    return '<a href="file://' + path + '">' + path + "</a>"


def tree_names(folder, take):
    names = []
    for root, _, files in os.walk(folder):
        for name in files:
            rel = os.path.relpath(os.path.join(root, name), folder).replace(os.sep, "/")
            if take(os.path.splitext(name)[1].lower()):
                names.append(rel)
    return sorted(names)


def takes_database(ext):
    return ext in (".adi", ".adt", ".adm", ".md5")


def takes_other(ext):
    return ext not in (".tmp", ".bak", ".adi", ".adt", ".adm")


class Installation:
    """A copy of the program in a folder of its own (its DATABASEUTIL and UserMode.INI)."""

    def __init__(self, work, name):
        self.root = os.path.join(work, name)
        shutil.rmtree(self.root, ignore_errors=True)
        self.program = os.path.join(self.root, "Programm")
        os.makedirs(self.program)
        self.exe = os.path.join(self.program, "quorvel-cli.exe")
        shutil.copy(ARGS.cli, self.exe)
        self.target = os.path.join(self.root, "Sicherungen")
        os.makedirs(self.target)

    def database(self, name, damaged=False):
        folder = os.path.join(self.root, name)
        result = run_wine(ARGS.gen, "damaged" if damaged else "sample", winpath(folder))
        assert result.returncode == 0, result.stderr
        return folder

    def cli(self, *args):
        return run_wine(self.exe, *args)

    def log_lines(self):
        with open(os.path.join(self.program, "DATABASEUTIL", "QUORVEL.LOG"), "rb") as f:
            return f.read().decode("cp1252").split("\r\n")[:-1]


class CliEndToEnd(unittest.TestCase):
    def check_archive(self, path, expected_names):
        for command in (["unzip", "-tqq", path], ["7z", "t", path]):
            result = subprocess.run(command, capture_output=True)
            self.assertEqual(result.returncode, 0, f"{command[0]} rejects {path}: {result.stdout[-400:]}")
        with zipfile.ZipFile(path) as z:
            self.assertIsNone(z.testzip())
            names = []
            for info in z.infolist():
                name = info.filename
                if not info.flag_bits & 0x800:
                    name = name.encode("cp437").decode("cp850")
                names.append(name)
        self.assertEqual(sorted(names), expected_names)

    def test_two_databases_one_damaged(self):
        inst = Installation(ARGS.work, "zwei")
        sound = inst.database("Firma Müller")
        damaged = inst.database("Firma Schmidt", damaged=True)
        result = inst.cli("run", "--target", winpath(inst.target), "--db", winpath(sound), "--db", winpath(damaged))
        out = result.stdout.decode("utf-8")
        self.assertEqual(result.returncode, 1, out + result.stderr.decode("utf-8", "replace"))
        self.assertIn('FEHLER: Problem in Tabelle "RECHNUNG" : Error 7016:', out)

        sound_dir, damaged_dir = winpath(sound) + "\\", winpath(damaged) + "\\"
        root = winpath(inst.target) + "\\" + clean_path_name(winpath(sound)) + "\\"
        lines = [without_stamp(line) for line in inst.log_lines()]
        start = lines.index(plain(f'Datenbank "{sound_dir}" überprüfen..'))
        sound_tree = os.path.join(inst.target, clean_path_name(winpath(sound)), "DATABASEBACKUP")
        # Each set is stamped when it starts: the two may lie a second apart.
        zip_stamp = os.listdir(os.path.join(sound_tree, "ZIP"))[0]
        other_stamp = os.listdir(os.path.join(sound_tree, "ZIPOTHER"))[0]
        zip_set = root + "DATABASEBACKUP\\ZIP\\" + zip_stamp + "\\"
        other_set = root + "DATABASEBACKUP\\ZIPOTHER\\" + other_stamp + "\\"
        self.assertEqual(lines[start:start + 11], [
            plain(f'Datenbank "{sound_dir}" überprüfen..'),
            plain("Alle Tabellen scheinen in Ordnung zu sein. Die letzte funktionierende Sicherung finden Sie in "
                  + link(root + "DATABASEBACKUP\\DATA2\\") + "."),
            plain("Daten-Ziparchiv erstellen.."),
            plain("Das Ziparchiv der Datenbank finden Sie hier " + link(zip_set) + "."),
            plain("Datei 1 von 1 : " + link(zip_set + "datenbank.zip") + "."),
            plain("Datei-Ziparchiv erstellen.."),
            plain("Das Ziparchiv der anderen Dateien finden Sie hier " + link(other_set) + "."),
            plain("Datei 1 von 1 : " + link(other_set + "andere.zip") + "."),
            plain(f'Datenbank "{sound_dir}" fertig.'),
            "<hr>", "<hr>"])
        bad = lines.index(plain(f'Datenbank "{damaged_dir}" überprüfen..'))
        self.assertTrue(lines[bad + 1].startswith(red('Problem in Tabelle "RECHNUNG" : Error 7016:  ')[:-7]))
        self.assertTrue(lines[bad + 2].startswith(red("Wenn sich diese Tabelle normal benutzen lässt")[:-7]))
        self.assertEqual(lines[bad + 3:bad + 6], [plain(f'Datenbank "{damaged_dir}" fertig.'), "<hr>", "<hr>"])
        self.assertTrue(lines[0].startswith(plain("Datenbank-Engine: eingebaute Engine (")), lines[0])
        self.assertEqual(len(lines), 1 + 11 + 6, "the engine, two job blocks and nothing else")
        with open(os.path.join(inst.program, "DATABASEUTIL", "QUORVEL.htm"), "rb") as f:
            self.assertIn("Firma M\xfcller".encode("cp1252"), f.read())

        # DATA and DATA2 hold the sound tables; the damaged one is not copied.
        for folder in ("DATA", "DATA2"):
            self.assertEqual(sorted(os.listdir(os.path.join(sound_tree, folder))),
                             ["ARTIKEL.ADI", "ARTIKEL.ADT", "KUNDEN.ADI", "KUNDEN.ADM", "KUNDEN.ADT",
                              "NOTIZEN.ADM", "NOTIZEN.ADT"])
            with open(os.path.join(sound_tree, folder, "KUNDEN.ADM"), "rb") as a, \
                    open(os.path.join(sound, "KUNDEN.adm"), "rb") as b:
                self.assertEqual(a.read(), b.read())
        damaged_tree = os.path.join(inst.target, clean_path_name(winpath(damaged)), "DATABASEBACKUP")
        self.assertNotIn("RECHNUNG.ADT", os.listdir(os.path.join(damaged_tree, "DATA")))
        # The database's set, written during the check, is gone again with everything in it.
        damaged_zip = os.path.join(damaged_tree, "ZIP")
        self.assertEqual(os.listdir(damaged_zip) if os.path.exists(damaged_zip) else [], [],
                         "no archives after a table problem")
        self.assertFalse(os.path.exists(os.path.join(damaged_tree, "ZIPOTHER")))

        self.check_archive(os.path.join(sound_tree, "ZIP", zip_stamp, "datenbank.zip"), tree_names(sound, takes_database))
        self.check_archive(os.path.join(sound_tree, "ZIPOTHER", other_stamp, "andere.zip"), tree_names(sound, takes_other))

        # A second run the same day points to the sets made today.
        again = inst.cli("run", "--target", winpath(inst.target), "--db", winpath(sound))
        self.assertEqual(again.returncode, 0, again.stdout.decode("utf-8"))
        top = [without_stamp(line) for line in inst.log_lines()[:7]]
        self.assertRegex(top[0], "^" + re.escape(plain("Datenbank-Engine: eingebaute Engine (" + winpath(inst.program)))
                         + r"\\ACE(32|64)\.DLL nicht vorhanden\)$", "the run names its engine first")
        self.assertEqual(top[3], plain("Alle Ziparchive der Datenbank finden Sie hier "
                                       + link(root + "DATABASEBACKUP\\ZIP\\") + "."))
        self.assertEqual(top[4], plain("Alle Ziparchive der anderen Dateien finden Sie hier "
                                       + link(root + "DATABASEBACKUP\\ZIPOTHER\\") + "."))
        self.assertEqual(len(os.listdir(os.path.join(sound_tree, "ZIP"))), 1)

    def test_links_of_the_protocol_page_lead_to_folders_whose_names_hold_markup_characters(self):
        inst = Installation(ARGS.work, "zeichen")
        folders = [inst.database(name) for name in ("Daten #2 & Co", "50% Rabatt; O'Brien &amp; Söhne")]
        args = ["run", "--target", winpath(inst.target)]
        for folder in folders:
            args += ["--db", winpath(folder)]
        result = inst.cli(*args)
        out = result.stdout.decode("utf-8")
        self.assertEqual(result.returncode, 0, out)
        self.assertIn('Datenbank "' + winpath(folders[0]) + '\\" überprüfen..', out, "the console shows plain text")

        class Links(html.parser.HTMLParser):
            def __init__(self):
                super().__init__()
                self.links, self.href, self.text = [], None, ""

            def handle_starttag(self, tag, attrs):
                if tag == "a":
                    self.href, self.text = dict(attrs)["href"], ""

            def handle_data(self, data):
                self.text += data if self.href is not None else ""

            def handle_endtag(self, tag):
                if tag == "a":
                    self.links.append((self.href, self.text))
                    self.href = None

        page = Links()
        with open(os.path.join(inst.program, "DATABASEUTIL", "QUORVEL.htm"), "rb") as f:
            page.feed(f.read().decode("cp1252"))
        self.assertGreaterEqual(len(page.links), 2 * 4, page.links)
        for href, text in page.links:
            url = urllib.parse.urlsplit(href)
            self.assertEqual((url.scheme, url.query, url.fragment), ("file", "", ""), href)
            path = urllib.parse.unquote(url.netloc + url.path)
            self.assertEqual(path, text, "the link's text is the path it leads to")
            self.assertTrue(path.startswith(winpath(inst.target)), path)
            self.assertTrue(os.path.exists(path[2:].replace("\\", "/")), path)

    def test_missing_target(self):
        inst = Installation(ARGS.work, "ohneziel")
        sound = inst.database("Daten")
        result = inst.cli("run", "--target", winpath(os.path.join(inst.root, "gibtsnicht")), "--db", winpath(sound))
        self.assertEqual(result.returncode, 2)
        self.assertIn("Sicherungsverzeichnis fehlt!", result.stderr.decode("utf-8"))
        self.assertEqual(inst.log_lines(), ["Sicherungsverzeichnis fehlt!"])

    def test_database_folder_missing(self):
        inst = Installation(ARGS.work, "ohnedb")
        gone = winpath(os.path.join(inst.root, "weg"))
        result = inst.cli("run", "--target", winpath(inst.target), "--db", gone)
        self.assertEqual(result.returncode, 1)
        self.assertIn("FEHLER: Datenbankverzeichnis nicht vorhanden: " + gone + "\r\n",
                      result.stderr.decode("utf-8"))
        self.assertIn("Keine der Datenbanken ist vorhanden", result.stderr.decode("utf-8"))
        # A folder named on the command line that is missing fails the run,
        # also when the others are backed up.
        sound = inst.database("Daten")
        result = inst.cli("run", "--target", winpath(inst.target), "--db", winpath(sound), "--db", gone)
        out = result.stdout.decode("utf-8")
        self.assertEqual(result.returncode, 1, out)
        self.assertIn("1 Datenbank bearbeitet, mit Fehlern.", out)
        self.assertIn("Datenbankverzeichnis nicht vorhanden: " + gone, result.stderr.decode("utf-8"))
        self.assertIn(red("Datenbankverzeichnis nicht vorhanden: " + gone),
                      [without_stamp(line) for line in inst.log_lines()], "the protocol names it")

    def test_run_lock_held(self):
        inst = Installation(ARGS.work, "gesperrt")
        sound = inst.database("Daten")
        holder = subprocess.Popen([ARGS.wine, ARGS.holdlock], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        try:
            self.assertEqual(holder.stdout.readline().strip(), b"held")
            result = inst.cli("run", "--target", winpath(inst.target), "--db", winpath(sound))
            self.assertEqual(result.returncode, 3)
            self.assertIn("Es läuft bereits eine Sicherung", result.stderr.decode("utf-8"))
        finally:
            holder.stdin.close()
            holder.wait(timeout=60)
            holder.stdout.close()
        after = inst.cli("run", "--target", winpath(inst.target), "--db", winpath(sound))
        self.assertEqual(after.returncode, 0, after.stdout.decode("utf-8"))

    def test_unreadable_user_list_ends_with_errors(self):
        inst = Installation(ARGS.work, "listegesperrt")
        util = os.path.join(inst.program, "DATABASEUTIL")
        os.makedirs(util, exist_ok=True)
        user_list = os.path.join(util, "UserDefined.txt")
        with open(user_list, "wb") as f:
            f.write(b"C:\\Eigene Daten\r\n")
        holder = subprocess.Popen([ARGS.wine, ARGS.holdlock, winpath(user_list)],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        try:
            self.assertEqual(holder.stdout.readline().strip(), b"held")
            result = inst.cli("run", "--target", winpath(inst.target))
        finally:
            holder.stdin.close()
            holder.wait(timeout=60)
            holder.stdout.close()
        self.assertEqual(result.returncode, 1)
        problem = "Die Datenbankliste " + winpath(user_list) + " kann nicht gelesen werden: Datei " \
            + winpath(user_list) + " kann nicht geöffnet werden"
        self.assertIn("FEHLER: " + problem, result.stderr.decode("utf-8"))
        self.assertIn(red(problem), [without_stamp(line) for line in inst.log_lines()])

    def test_check_only(self):
        inst = Installation(ARGS.work, "pruefen")
        sound = inst.database("Gut")
        damaged = inst.database("Kaputt", damaged=True)
        good = inst.cli("check", winpath(sound))
        self.assertEqual(good.returncode, 0)
        out = good.stdout.decode("utf-8")
        self.assertEqual(out.count("OK      "), 3)
        bad = inst.cli("check", winpath(damaged))
        self.assertEqual(bad.returncode, 1)
        self.assertIn("FEHLER  " + winpath(damaged) + "\\RECHNUNG.ADT: Error 7016:", bad.stdout.decode("utf-8"))
        self.assertEqual(os.listdir(inst.target), [], "a check writes no backup")

    def test_check_of_two_folders_judges_each_table_by_its_own_files(self):
        inst = Installation(ARGS.work, "zweimal")
        first = inst.database("Erste")
        second = inst.database("Zweite")
        memo = sorted(n for n in os.listdir(second) if n.upper().endswith(".ADM"))[0]
        os.remove(os.path.join(second, memo))
        result = inst.cli("check", winpath(first), winpath(second))
        out = result.stdout.decode("utf-8")
        self.assertEqual(result.returncode, 1, out)
        self.assertIn("FEHLER  " + winpath(second) + "\\" + memo[:-4] + ".ADT: Error 7008:", out)
        self.assertIn("OK      " + winpath(first) + "\\" + memo[:-4] + ".ADT", out)

    def test_verify(self):
        inst = Installation(ARGS.work, "verify")
        sound = inst.database("Daten")
        missing = inst.cli("verify", "--target", winpath(os.path.join(inst.root, "gibtsnicht")))
        self.assertEqual(missing.returncode, 2)
        self.assertIn("Sicherungsverzeichnis fehlt!", missing.stderr.decode("utf-8"))
        run = inst.cli("run", "--target", winpath(inst.target), "--db", winpath(sound))
        self.assertEqual(run.returncode, 0, run.stdout.decode("utf-8"))
        before = sorted(os.path.join(d, f) for d, _, fs in os.walk(inst.target) for f in fs)
        good = inst.cli("verify", "--target", winpath(inst.target))
        out = good.stdout.decode("utf-8")
        self.assertEqual(good.returncode, 0, out)
        self.assertEqual(out.count("OK      "), 4, out)  # ZIP, ZIPOTHER, DATA, DATA2
        self.assertNotIn("FEHLER", out)
        after = sorted(os.path.join(d, f) for d, _, fs in os.walk(inst.target) for f in fs)
        self.assertEqual(before, after, "verify writes nothing")
        tree = os.path.join(inst.target, clean_path_name(winpath(sound)), "DATABASEBACKUP")
        zip_set = os.path.join(tree, "ZIP", os.listdir(os.path.join(tree, "ZIP"))[0])
        archive = os.path.join(zip_set, "datenbank.zip")
        # A day whose walk took no file leaves an empty set folder: sound.
        os.makedirs(os.path.join(tree, "ZIPOTHER", "01-02-2026-08-00-00"))
        empty = inst.cli("verify", "--target", winpath(inst.target))
        self.assertEqual(empty.returncode, 0, empty.stdout.decode("utf-8"))
        self.assertIn("(leer: keine Dateien dieser Art)", empty.stdout.decode("utf-8"))
        # A folder of the user's is no set; the leftover of an interrupted run is named.
        os.makedirs(os.path.join(tree, "ZIP", "Eigene Ablage"))
        leftover = os.path.join(tree, "ZIPOTHER", "02-02-2026-08-00-00.unfertig")
        os.makedirs(leftover)
        mixed = inst.cli("verify", "--target", winpath(inst.target))
        mixed_out = mixed.stdout.decode("utf-8")
        self.assertEqual(mixed.returncode, 1, mixed_out)
        self.assertNotIn("Eigene Ablage", mixed_out)
        self.assertIn("FEHLER  " + winpath(leftover) + "\\: unvollständig (abgebrochene Sicherung)",
                      mixed_out)
        os.rmdir(leftover)
        # A missing part is named, not taken for a smaller set.
        moved = os.path.join(zip_set, "datenbank Teil[2].zip")
        os.rename(archive, moved)
        gap = inst.cli("verify", "--target", winpath(inst.target))
        self.assertEqual(gap.returncode, 1)
        self.assertIn("FEHLER  " + winpath(zip_set) + "\\: Teil 1 fehlt", gap.stdout.decode("utf-8"))
        os.rename(moved, archive)
        # One flipped byte inside the database archive's data is found and named.
        with open(archive, "r+b") as f:
            f.seek(100)
            byte = f.read(1)
            f.seek(100)
            f.write(bytes([byte[0] ^ 0x5A]))
        bad = inst.cli("verify", "--target", winpath(inst.target))
        self.assertEqual(bad.returncode, 1)
        self.assertIn("FEHLER  " + winpath(archive) + ": ", bad.stdout.decode("utf-8"))

    def test_second_day_set_is_the_same_with_or_without_the_first(self):
        inst = Installation(ARGS.work, "secondday")
        db = inst.database("Daten")
        run = inst.cli("run", "--target", winpath(inst.target), "--db", winpath(db))
        self.assertEqual(run.returncode, 0, run.stdout.decode("utf-8"))
        tree = os.path.join(inst.target, clean_path_name(winpath(db)), "DATABASEBACKUP")
        # The first day's sets become yesterday's: wine reports a folder's
        # modification time as its creation time.
        yesterday = time.time() - 86400
        aged_sets = {}
        for kind in ("ZIP", "ZIPOTHER"):
            (first,) = os.listdir(os.path.join(tree, kind))
            aged = os.path.join(tree, kind, time.strftime("%d-%m-%Y-%H-%M-%S", time.localtime(yesterday)))
            os.rename(os.path.join(tree, kind, first), aged)
            os.utime(aged, (yesterday, yesterday))
            aged_sets[kind] = os.path.basename(aged)

        def change(name, edit):
            path = os.path.join(db, name)
            with open(path, "rb") as f:
                data = f.read()
            with open(path, "wb") as f:
                f.write(edit(data))

        change("KUNDEN.md5", lambda d: d[:-1] + bytes([d[-1] ^ 1]))  # only its last byte
        change("Brief an Müller.txt", lambda d: d[::-1])  # same size, other content
        change(os.path.join("Vorlagen", "Angebot.txt"), lambda d: d + b"!")
        with open(os.path.join(db, "Neu.txt"), "wb") as f:
            f.write(b"neu")
        fresh = os.path.join(inst.root, "Ohne")
        os.makedirs(fresh)
        for target in (inst.target, fresh):
            run = inst.cli("run", "--target", winpath(target), "--db", winpath(db))
            self.assertEqual(run.returncode, 0, run.stdout.decode("utf-8"))
        fresh_tree = os.path.join(fresh, clean_path_name(winpath(db)), "DATABASEBACKUP")
        for kind, take in (("ZIP", takes_database), ("ZIPOTHER", takes_other)):
            (reference,) = os.listdir(os.path.join(fresh_tree, kind))
            (made,) = set(os.listdir(os.path.join(tree, kind))) - {aged_sets[kind]}
            today = os.path.join(tree, kind, made)
            for part in os.listdir(os.path.join(fresh_tree, kind, reference)):
                with open(os.path.join(today, part), "rb") as a, \
                        open(os.path.join(fresh_tree, kind, reference, part), "rb") as b:
                    self.assertEqual(a.read(), b.read(), part)
                self.check_archive(os.path.join(today, part), tree_names(db, take))
        verify = inst.cli("verify", "--target", winpath(inst.target))
        out = verify.stdout.decode("utf-8")
        self.assertEqual(verify.returncode, 0, out)
        self.assertEqual(out.count("OK      "), 6, out)  # two sets of each kind, DATA, DATA2

    def test_deep_paths(self):
        """Office folders deeper than 260 characters, into a backup tree deeper still."""
        inst = Installation(ARGS.work, "tief")
        database = inst.database("Firma Müller")
        level = "Kunden 2026 Angebote Firma Müller & Söhne GmbH Anlagen"
        deep = os.path.join(database, *[f"{level} {n}" for n in range(8)])
        os.makedirs(deep)
        for name, content in (("Angebot Nr. 1.txt", b"Angebot"), ("Plan.pdf", b"%PDF" * 1000)):
            with open(os.path.join(deep, name), "wb") as f:
                f.write(content)
        self.assertGreater(len(winpath(deep)), 400)
        target = os.path.join(inst.target, *[f"Sicherung der Firmendaten auf dem Server {n}" for n in range(5)])
        os.makedirs(target)
        self.assertGreater(len(winpath(target) + "\\" + clean_path_name(winpath(database))), 260)

        result = inst.cli("run", "--target", winpath(target), "--db", winpath(database))
        out = result.stdout.decode("utf-8")
        self.assertEqual(result.returncode, 0, out + result.stderr.decode("utf-8", "replace"))
        tree = os.path.join(target, clean_path_name(winpath(database)), "DATABASEBACKUP")
        zip_stamp = os.listdir(os.path.join(tree, "ZIP"))[0]
        other_stamp = os.listdir(os.path.join(tree, "ZIPOTHER"))[0]
        self.check_archive(os.path.join(tree, "ZIP", zip_stamp, "datenbank.zip"),
                           tree_names(database, takes_database))
        other_names = tree_names(database, takes_other)
        self.assertIn("/".join([f"{level} {n}" for n in range(8)] + ["Angebot Nr. 1.txt"]), other_names)
        self.check_archive(os.path.join(tree, "ZIPOTHER", other_stamp, "andere.zip"), other_names)
        self.assertEqual(len(os.listdir(os.path.join(tree, "DATA2"))), 7)

        # The user reads plain paths: in the protocol, its links and on the console.
        root = winpath(target) + "\\" + clean_path_name(winpath(database)) + "\\"
        lines = [without_stamp(line) for line in inst.log_lines()]
        other_set = root + "DATABASEBACKUP\\ZIPOTHER\\" + other_stamp + "\\"
        self.assertIn(plain("Datei 1 von 1 : " + link(other_set + "andere.zip") + "."), lines)
        with open(os.path.join(inst.program, "DATABASEUTIL", "QUORVEL.htm"), "rb") as f:
            page = f.read()
        for text in ["\n".join(lines).encode("cp1252", "replace"), page, result.stdout, result.stderr]:
            self.assertNotIn(b"\\\\?\\", text)

        check = inst.cli("check", winpath(database))
        self.assertEqual(check.returncode, 0, check.stdout.decode("utf-8"))
        self.assertEqual(check.stdout.decode("utf-8").count("OK      "), 3)
        verify = inst.cli("verify", "--target", winpath(target))
        verified = verify.stdout.decode("utf-8")
        self.assertEqual(verify.returncode, 0, verified)
        self.assertEqual(verified.count("OK      "), 4, verified)
        self.assertNotIn("\\\\?\\", verified)

    def test_programs_declare_long_paths(self):
        """The console program and the window programs (their manifest keeps per-monitor DPI)."""
        for exe in (ARGS.cli, ARGS.windowed):
            listing = subprocess.run(["7z", "x", "-so", exe, ".rsrc/MANIFEST/1"], capture_output=True)
            self.assertEqual(listing.returncode, 0, listing.stderr)
            manifest = listing.stdout.decode("utf-8")
            self.assertRegex(manifest, r"<longPathAware[^>]*>true</longPathAware>", exe)
        self.assertRegex(manifest, r"<dpiAwareness[^>]*>PerMonitorV2")

    def test_version_and_list(self):
        inst = Installation(ARGS.work, "liste")
        version = inst.cli("--version")
        self.assertEqual(version.returncode, 0)
        self.assertEqual(version.stdout.decode("utf-8").strip(), "Quorvel 1.0.0.0")
        os.makedirs(os.path.join(inst.program, "DATABASEUTIL"), exist_ok=True)
        with open(os.path.join(inst.program, "DATABASEUTIL", "UserDefined.txt"), "wb") as f:
            f.write(("C:\\Eigene Daten\r\n" + winpath(inst.target) + "\r\n").encode("cp1252"))
        listing = inst.cli("list").stdout.decode("utf-8")
        self.assertIn("Datenbanken (aus UserDefined.txt):", listing)
        self.assertIn("  C:\\Eigene Daten   [nicht vorhanden]\r\n", listing)
        self.assertIn("Sicherungen um (Stunden): 8,9,10,11,12,13,14,15,16,17,18", listing)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for option in ("--wine", "--cli", "--gen", "--holdlock", "--windowed", "--work"):
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    os.makedirs(ARGS.work, exist_ok=True)
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
