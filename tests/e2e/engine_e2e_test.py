#!/usr/bin/env python3
"""End-to-end tests of quorvel-cli.exe with the office application's engine DLL.

A stand-in DLL built from our source lies beside the program (or somewhere it
must not be taken from); its script makes calls fail, and its record of every
call with its arguments and thread is read back here."""
import argparse
import os
import shutil
import subprocess
import sys
import unittest

import e2e_test
from e2e_test import Installation, plain, red, run_captured, winpath, without_stamp

ARGS = None
SETTINGS = ["AdsCacheOpenCursors", "AdsSetDateFormat", "AdsSetDecimals", "AdsShowDeleted", "AdsSetServerType"]


def structure_calls(fields, index_segments):
    """The calls that read an open table's structure, in the engine's order."""
    calls = ["AdsGetRecordLength", "AdsGetTableOpenOptions", "AdsGetAllIndexes"]
    # The page size is asked of the first index order, where there is one.
    calls += ["AdsGetIndexPageSize"] if index_segments else []
    calls += ["AdsGetBookmarkLength", "AdsGetNumFields"]
    calls += ["AdsGetFieldName", "AdsGetFieldType", "AdsGetFieldLength", "AdsGetFieldDecimals"] * fields
    calls.append("AdsGetNumIndexes")
    for segments in index_segments:
        calls += ["AdsGetIndexName", "AdsGetNumSegments"] + ["AdsGetSegmentFieldname"] * segments
        calls += ["AdsIsIndexUnique", "AdsIsIndexDescending", "AdsIsIndexPrimaryKey"]
    return calls + ["AdsGotoBOF"]


# The stand-in's tables: fields ID and NAME; with an index file, indexes on ID
# and on NAME+ID, without one (NOTIZEN) none.
SOUND_TABLE = structure_calls(2, [1, 2])
TABLE_WITHOUT_INDEX = structure_calls(2, [])
SELF_CHECK_FOLDER = "\\Quorvel-Selbsttest-"


def split_self_check(calls):
    """The calls of the self-check that proves the DLL when it is loaded (from
    the connection to its own folder to its end), and all others."""
    own, work, inside = [], [], False
    for c in calls:
        inside = inside or (c.name == "AdsConnect60" and SELF_CHECK_FOLDER in c.args["path"])
        (own if inside else work).append(c)
        if c.name == "AdsDisconnect":
            inside = False
    return own, work


class Call:
    def __init__(self, line):
        parts = line.split("|")
        self.thread, self.name = parts[0], parts[1]
        self.args = dict(part.split("=", 1) for part in parts[2:])


class EngineInstallation(Installation):
    """An installation whose runs see the stand-in's script and record."""

    def __init__(self, work, name):
        super().__init__(work, name)
        self.script = os.path.join(self.root, "script.txt")
        self.record = os.path.join(self.root, "calls.log")
        self.set_script("")

    def place_dll(self, folder, kind="usable"):
        os.makedirs(folder, exist_ok=True)
        source = {"usable": ARGS.standin, "partial": ARGS.standin_partial, "other": ARGS.standin_other}[kind]
        shutil.copy(source, os.path.join(folder, ARGS.dll_name))

    def set_script(self, text):
        with open(self.script, "w", newline="") as f:
            f.write(text)
        if os.path.exists(self.record):
            os.remove(self.record)

    def cli_with(self, *args, cwd=None, extra_path=None):
        env = dict(os.environ, QV_ACE_SCRIPT=winpath(self.script), QV_ACE_LOG=winpath(self.record))
        if extra_path:
            env["WINEPATH"] = extra_path
        return run_captured([ARGS.wine, self.exe, *args], env=env, cwd=cwd)

    def all_calls(self):
        if not os.path.exists(self.record):
            return []
        with open(self.record, encoding="cp1252") as f:
            return [Call(line) for line in f.read().splitlines()]

    def calls(self):
        """The calls of the work, without the self-check."""
        return split_self_check(self.all_calls())[1]


def calls_of_table(calls, table):
    """The calls from the open of table up to the next open or the disconnect."""
    opened = [i for i, c in enumerate(calls) if c.name == "AdsOpenTable" and c.args["path"].endswith("\\" + table)]
    assert len(opened) == 1, [c.name for c in calls]
    rest = calls[opened[0] + 1:]
    mine = [calls[opened[0]]]
    for c in rest:
        if c.name in ("AdsOpenTable", "AdsDisconnect"):
            break
        mine.append(c)
    return mine


class EngineDllEndToEnd(unittest.TestCase):
    def test_a_run_checks_every_table_through_the_dll(self):
        inst = EngineInstallation(ARGS.work, "dll-lauf")
        inst.place_dll(inst.program)
        db = inst.database("Firma Meier")
        inst.set_script("fail AdsOpenTable KUNDEN.ADT 7016 Error 7016:  Corrupt table  KUNDEN.ADT\n"
                        "fail AdsGetFieldType ARTIKEL.ADT*!Selbsttest 7123 Error 7123:  Unrecognized field type  ARTIKEL\n"
                        "fail AdsCloseTable NOTIZEN.ADT 5018 Error 5018:  Invalid handle\n")
        result = inst.cli_with("run", "--target", winpath(inst.target), "--db", winpath(db))
        out = result.stdout.decode("utf-8")
        self.assertEqual(result.returncode, 1, out + result.stderr.decode("utf-8", "replace"))
        self.assertIn("Datenbank-Engine: " + winpath(inst.program) + "\\" + ARGS.dll_name + ", Version 12.0a", out)
        kunden = 'Problem in Tabelle "KUNDEN" : Error 7016:  Corrupt table  KUNDEN.ADT'
        artikel = 'Problem in Tabelle "ARTIKEL" : Error 7123:  Unrecognized field type  ARTIKEL'
        self.assertIn("FEHLER: " + kunden, out)
        self.assertIn("FEHLER: " + artikel, out)
        log = [without_stamp(line) for line in inst.log_lines()]
        self.assertIn(red(kunden), log)
        self.assertIn(red(artikel), log)
        self.assertNotIn('Problem in Tabelle "NOTIZEN"', out, "a failing close is no problem of the table")
        data = os.path.join(inst.target, os.listdir(inst.target)[0], "DATABASEBACKUP", "DATA")
        notes = sorted(os.path.splitext(n)[0] + os.path.splitext(n)[1].upper() for n in os.listdir(db)
                       if n.upper().startswith("NOTIZEN."))
        self.assertEqual(sorted(os.listdir(data)), notes, "only the sound table is kept")

        calls = inst.calls()
        names = [c.name for c in calls]
        self.assertEqual(names[:5], SETTINGS, "the start-up settings first, once")
        self.assertEqual(sum(n in SETTINGS for n in names), 5)
        self.assertEqual(calls[1].args["format"], "DD.MM.YYYY")
        connects = [c for c in calls if c.name == "AdsConnect60"]
        self.assertEqual(len(connects), 1)
        scratch = connects[0].args["path"]
        self.assertIn("\\Quorvel-", scratch)
        self.assertEqual((connects[0].args["types"], connects[0].args["user"], connects[0].args["password"],
                          connects[0].args["options"]), ("1", "NULL", "NULL", "0"))
        self.assertEqual(names[-1], "AdsDisconnect")

        kunden_calls = calls_of_table(calls, "KUNDEN.ADT")
        self.assertEqual([c.name for c in kunden_calls], ["AdsOpenTable", "AdsGetLastError"])
        self.assertEqual(kunden_calls[0].thread, kunden_calls[1].thread)
        self.assertEqual(kunden_calls[0].args["path"], scratch.rstrip("\\") + "\\KUNDEN.ADT")
        artikel_calls = calls_of_table(calls, "ARTIKEL.ADT")
        self.assertEqual([c.name for c in artikel_calls],
                         ["AdsOpenTable"] + SOUND_TABLE[:8] + ["AdsGetLastError", "AdsCloseTable"])
        notizen_calls = calls_of_table(calls, "NOTIZEN.ADT")
        self.assertEqual([c.name for c in notizen_calls], ["AdsOpenTable"] + TABLE_WITHOUT_INDEX + ["AdsCloseTable"])
        open_args = notizen_calls[0].args
        self.assertEqual((open_args["alias"], open_args["type"], open_args["char"], open_args["lock"],
                          open_args["rights"], open_args["options"]), ("NULL", "3", "1", "1", "1", "0"))
        self.assertEqual(open_args["connection"], calls[-1].args["handle"])

    def test_verify_opens_private_copies_of_the_kept_tables(self):
        inst = EngineInstallation(ARGS.work, "dll-verify")
        inst.place_dll(inst.program)
        db = inst.database("Firma Meier")
        run = inst.cli_with("run", "--target", winpath(inst.target), "--db", winpath(db))
        self.assertEqual(run.returncode, 0, run.stdout.decode("utf-8"))
        inst.set_script("")
        verify = inst.cli_with("verify", "--target", winpath(inst.target))
        out = verify.stdout.decode("utf-8")
        self.assertEqual(verify.returncode, 0, out)
        self.assertEqual(out.count(" (3 Tabellen)"), 2, out)
        opened = [c.args["path"] for c in inst.calls() if c.name == "AdsOpenTable"]
        self.assertEqual(len(opened), 6, opened)
        target = winpath(inst.target).lower()
        for path in opened:
            self.assertIn("\\quorvel-", path.lower(), "a kept copy was opened itself")
            self.assertFalse(path.lower().startswith(target), path)

    def test_two_jobs_each_own_their_connection(self):
        inst = EngineInstallation(ARGS.work, "dll-zwei")
        inst.place_dll(inst.program)
        first, second = inst.database("Erste"), inst.database("Zweite")
        # The self-check's one connection when the DLL is loaded must not wait for a second.
        inst.set_script("await connections !Selbsttest 2\n")
        result = inst.cli_with("run", "--target", winpath(inst.target), "--db", winpath(first), "--db", winpath(second))
        self.assertEqual(result.returncode, 0, result.stdout.decode("utf-8"))
        calls = inst.calls()
        connects = [c for c in calls if c.name == "AdsConnect60"]
        self.assertEqual(len(connects), 2)
        self.assertNotEqual(connects[0].thread, connects[1].thread)
        thread_of_connection = {}
        for c in calls:
            if c.name == "AdsOpenTable":
                thread_of_connection.setdefault(c.args["connection"], set()).add(c.thread)
        self.assertEqual(len(thread_of_connection), 2)
        self.assertTrue(all(len(threads) == 1 for threads in thread_of_connection.values()), thread_of_connection)
        self.assertEqual(sum(c.name == "AdsCacheOpenCursors" for c in calls), 1, "settings once per process")
        self.assertEqual(sum(c.name == "AdsGotoBOF" for c in calls), 6)

    def test_list_names_the_engine_in_use_and_why(self):
        inst = EngineInstallation(ARGS.work, "dll-liste")
        dll_path = winpath(inst.program) + "\\" + ARGS.dll_name
        listing = inst.cli_with("list").stdout.decode("utf-8")
        self.assertIn("Datenbank-Engine: eingebaute Engine\r\n  Grund: " + dll_path + " nicht vorhanden\r\n", listing)
        inst.place_dll(inst.program)
        inst.set_script("version 12 1 b Lokaler Server\n")
        listing = inst.cli_with("list").stdout.decode("utf-8")
        self.assertIn("Datenbank-Engine: " + dll_path + ", Version 12.1b (Lokaler Server)\r\n", listing)
        inst.place_dll(inst.program, "partial")
        inst.set_script("")
        listing = inst.cli_with("list").stdout.decode("utf-8")
        self.assertIn("Datenbank-Engine: eingebaute Engine\r\n  Grund: " + dll_path + ": die Funktion AdsGotoBOF fehlt",
                      listing)
        inst.place_dll(inst.program, "other")
        listing = inst.cli_with("list").stdout.decode("utf-8")
        self.assertIn("Datenbank-Engine: eingebaute Engine\r\n  Grund: " + dll_path + " ist eine ", listing)
        self.assertEqual(inst.all_calls(), [], "a refused DLL is never called")

    def test_a_planted_dll_is_never_loaded(self):
        inst = EngineInstallation(ARGS.work, "dll-fremd")
        planted = os.path.join(inst.root, "Fremd")
        inst.place_dll(planted)
        db = inst.database("Daten")
        listing = inst.cli_with("list", cwd=planted, extra_path=winpath(planted)).stdout.decode("utf-8")
        self.assertIn("Datenbank-Engine: eingebaute Engine\r\n", listing)
        demanded = inst.cli_with("check", "--engine", "dll", winpath(db), cwd=planted, extra_path=winpath(planted))
        self.assertEqual(demanded.returncode, 2)
        self.assertIn("FEHLER: Keine verwendbare " + ARGS.dll_name + " gefunden: ", demanded.stderr.decode("utf-8"))
        self.assertEqual(demanded.stdout, b"", "nothing was checked")
        automatic = inst.cli_with("check", winpath(db), cwd=planted, extra_path=winpath(planted))
        self.assertEqual(automatic.returncode, 0)
        self.assertEqual(automatic.stdout.decode("utf-8").count("OK      "), 3)
        self.assertEqual(inst.calls(), [])

    def test_a_dll_proves_itself_before_it_checks_a_table(self):
        inst = EngineInstallation(ARGS.work, "dll-selbsttest")
        inst.place_dll(inst.program)
        db = inst.database("Firma Meier")
        result = inst.cli_with("run", "--target", winpath(inst.target), "--db", winpath(db))
        out = result.stdout.decode("utf-8")
        self.assertEqual(result.returncode, 0, out)
        own, work = split_self_check(inst.all_calls())
        self.assertEqual([vars(c) for c in inst.all_calls()[:len(own)]], [vars(c) for c in own],
                         "the self-check comes before everything else")
        folder = own[0].args["path"]
        self.assertFalse(os.path.exists(folder[2:].replace("\\", "/")), "its folder is gone")
        opened = [c.args["path"][len(folder):] for c in own if c.name == "AdsOpenTable"]
        self.assertEqual(opened, ["NOTIZEN.ADT", "ARTIKEL.ADT", "ARTIKEL.ADT"])
        created = [c for c in own if c.name == "AdsCreateIndex61"]
        self.assertEqual([(c.args["tag"], c.args["expression"], c.args["options"]) for c in created],
                         [("NR", "NR", "2")])
        self.assertEqual([c.name for c in work[:5]], SETTINGS)
        engine = "Datenbank-Engine: " + winpath(inst.program) + "\\" + ARGS.dll_name + ", Version 12.0a (Stand-in engine)"
        log = [without_stamp(line) for line in inst.log_lines()]
        self.assertEqual(log[0], plain(engine), "the run's protocol names the engine first")

        # A DLL that fails it is passed over, and says why.
        inst.set_script("fail AdsCreateIndex61 * 5175 Error 5175:  Other collation\n")
        reason = (winpath(inst.program) + "\\" + ARGS.dll_name + " besteht den Selbsttest nicht: das Anlegen "
                  "des Index NR von ARTIKEL.ADT scheitert (Error 5175:  Other collation)")
        demanded = inst.cli_with("run", "--engine", "dll", "--target", winpath(inst.target), "--db", winpath(db))
        self.assertEqual(demanded.returncode, 2)
        self.assertEqual(demanded.stderr.decode("utf-8"),
                         "FEHLER: Keine verwendbare " + ARGS.dll_name + " gefunden: " + reason + "\r\n")
        automatic = inst.cli_with("run", "--target", winpath(inst.target), "--db", winpath(db))
        out = automatic.stdout.decode("utf-8")
        self.assertEqual(automatic.returncode, 0, out)
        self.assertIn("Datenbank-Engine: eingebaute Engine\r\n  Grund: " + reason + "\r\n", out)
        log = [without_stamp(line) for line in inst.log_lines()]
        self.assertEqual(log[0], plain("Datenbank-Engine: eingebaute Engine (" + reason + ")"))
        self.assertEqual(inst.calls(), [], "the work went to the built-in engine")

    def test_the_engine_can_be_chosen(self):
        inst = EngineInstallation(ARGS.work, "dll-wahl")
        inst.place_dll(inst.program)
        db = inst.database("Daten")
        builtin = inst.cli_with("check", "--engine", "builtin", winpath(db))
        self.assertEqual(builtin.returncode, 0)
        self.assertTrue(builtin.stdout.decode("utf-8").startswith("Datenbank-Engine: eingebaute Engine\r\n"))
        self.assertEqual(inst.calls(), [], "the built-in engine leaves the DLL alone")
        dll = inst.cli_with("check", "--engine", "dll", winpath(db))
        self.assertEqual(dll.returncode, 0)
        self.assertEqual(dll.stdout.decode("utf-8").count("OK      "), 3)
        self.assertEqual(sum(c.name == "AdsOpenTable" for c in inst.calls()), 3)
        wrong = inst.cli_with("check", "--engine", "ace", winpath(db))
        self.assertEqual(wrong.returncode, 64)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for option in ("--wine", "--cli", "--gen", "--work", "--standin", "--standin-partial", "--standin-other",
                   "--dll-name"):
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    e2e_test.ARGS = ARGS
    os.makedirs(ARGS.work, exist_ok=True)
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
