#!/usr/bin/env python3
"""The installer under wine, as an administrator rolls it out and a user lives with it.

One fresh wine prefix stands for a new PC: a silent installation, an update over
it while the tray program runs (settings and protocol kept, the program closed
and started again, also when it needs a while to end),
an update refused while a backup run holds the run lock, and a silent uninstall
that leaves backups and settings where they are. The steps build on each other
and run in the order of their names."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

ARGS = None
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel"
WINDOW_CLASS = "TVEZivavuvIdazadide"


class Wine:
    """A private prefix with one persistent wine server for all its programs."""

    def __init__(self, prefix):
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", LC_ALL="de_DE.UTF-8",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        shutil.rmtree(prefix, ignore_errors=True)
        # Wine's server and services outlive the call: they must not hold our output open.
        quiet = dict(env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
        subprocess.run(["wineboot", "-i"], timeout=300, **quiet)
        subprocess.run(["wineserver", "-w"], timeout=120, **quiet)
        subprocess.run(["wineserver", "-p"], check=True, timeout=60, **quiet)
        subprocess.run(["wine", "cmd", "/c", "exit"], timeout=120, **quiet)

    def run(self, *args, timeout=300):
        # Output in files, not pipes: wine's desktop process, started by the first
        # program that makes a window, inherits its handles and outlives it.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run(["wine", *args], env=self.env, stdout=out, stderr=err,
                                  timeout=timeout)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(done.args, done.returncode, out.read(), err.read())

    def start(self, *args, output=subprocess.DEVNULL):
        return subprocess.Popen(["wine", *args], env=self.env, stdin=subprocess.PIPE,
                                stdout=output, stderr=subprocess.DEVNULL)

    def unix_path(self, windows_path):
        out = subprocess.run(["winepath", "-u", windows_path], env=self.env, capture_output=True,
                             text=True, timeout=60)
        return out.stdout.strip()

    def reg_value(self, key, name):
        """The value's data as reg.exe shows it, or None when the value is missing."""
        out = self.run("reg", "query", key, "/v", name)
        if out.returncode != 0:
            return None
        # reg.exe writes to a pipe in the OEM code page (850 on a German PC).
        for line in out.stdout.decode("cp850").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0] == name and parts[1].startswith("REG_"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)


def wait_until(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.2)
    return True


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


class InstallerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine(os.path.join(ARGS.work, "prefix"))
        out = cls.wine.run(ARGS.setup, "/S")
        assert out.returncode == 0, out
        location = cls.wine.reg_value(UNINSTALL_KEY, "InstallLocation")
        assert location, "no InstallLocation after the installation"
        cls.install_dir_win = location
        cls.install_dir = cls.wine.unix_path(location)

    @classmethod
    def tearDownClass(cls):
        cls.wine.stop()

    def installed(self, name):
        return os.path.join(self.install_dir, name)

    def hold_when_free(self, windows_path):
        """A helper holding the file without sharing, once the system lets it."""
        for _ in range(60):
            holder = self.wine.start(ARGS.holdlock, windows_path, output=subprocess.PIPE)
            if holder.stdout.readline().strip() == b"held":
                return holder
            holder.stdin.close()
            holder.wait(timeout=60)
            holder.stdout.close()
            time.sleep(0.5)
        self.fail("the file never became free: " + windows_path)

    def test_1_silent_installation_into_the_users_programs_folder(self):
        self.assertTrue(self.install_dir_win.lower().endswith(r"\appdata\local\programs\quorvel"),
                        self.install_dir_win)
        for name in ("quorvel.exe", "quorvel-cli.exe", "uninstall.exe"):
            self.assertTrue(os.path.isfile(self.installed(name)), name)
        exe = self.install_dir_win + r"\quorvel.exe"
        self.assertEqual(self.wine.reg_value(RUN_KEY, "Quorvel"), '"' + exe + '"')
        self.assertEqual(self.wine.reg_value(UNINSTALL_KEY, "DisplayName"), "Quorvel")
        self.assertEqual(self.wine.reg_value(UNINSTALL_KEY, "DisplayVersion"), ARGS.version)
        self.assertEqual(self.wine.reg_value(UNINSTALL_KEY, "Publisher"), "Quorvel")
        self.assertEqual(self.wine.reg_value(UNINSTALL_KEY, "DisplayIcon"), '"' + exe + '",0')
        self.assertEqual(self.wine.reg_value(UNINSTALL_KEY, "UninstallString"),
                         '"' + self.install_dir_win + r'\uninstall.exe"')
        self.assertGreater(int(self.wine.reg_value(UNINSTALL_KEY, "EstimatedSize"), 16), 0)
        profile = self.install_dir_win[:self.install_dir_win.lower().index(r"\appdata\local")]
        start_menu = self.wine.unix_path(
            profile + r"\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\Quorvel.lnk")
        self.assertTrue(os.path.isfile(start_menu), start_menu)
        out = self.wine.run(self.installed("quorvel-cli.exe"), "--version")
        self.assertEqual(out.returncode, 0)
        self.assertEqual(out.stdout.decode().strip(), "Quorvel %s.0" % ARGS.version)

    def test_2_update_restarts_the_idle_tray_program_and_keeps_settings_and_protocol(self):
        settings = self.installed("UserMode.INI")
        protocol = self.installed(os.path.join("DATABASEUTIL", "QUORVEL.LOG"))
        write(settings, b'[MODE]\r\nglobalpath="C:\\Sicherung\\"\r\nCronHours="8,12,17"\r\n')
        write(protocol, b"</b>07.12.2026 17:00:00<b></b>: Sicherung fertig<hr>\r\n")
        settings_before, protocol_before = read(settings), read(protocol)

        tray = self.wine.start(self.installed("quorvel.exe"))
        try:
            ready = self.wine.run(ARGS.waitwindow, WINDOW_CLASS, "60")
            self.assertEqual(ready.returncode, 0, "the tray program showed no window")
            out = self.wine.run(ARGS.setup, "/S")
            self.assertEqual(out.returncode, 0, out)
            self.assertIsNotNone(tray.wait(timeout=60), "the tray program still runs")
        finally:
            if tray.poll() is None:
                tray.kill()
            tray.stdin.close()
        # The updated program runs again at once: backups go on without a new logon.
        ready = self.wine.run(ARGS.waitwindow, WINDOW_CLASS, "60")
        self.assertEqual(ready.returncode, 0, "the tray program was not started again")
        self.assertEqual(read(settings), settings_before)
        self.assertEqual(read(protocol), protocol_before)
        self.assertTrue(os.path.isfile(self.installed("quorvel.exe")))

    def test_3_update_during_a_backup_run_is_cancelled_and_changes_nothing(self):
        program = self.installed("quorvel-cli.exe")
        os.utime(program, (1_000_000_000, 1_000_000_000))
        lock = self.wine.start(ARGS.holdlock, output=subprocess.PIPE)
        try:
            self.assertEqual(lock.stdout.readline().strip(), b"held")
            out = self.wine.run(ARGS.setup, "/S")
            self.assertNotEqual(out.returncode, 0, "the installer ran during a backup run")
        finally:
            lock.stdin.close()
            lock.wait(timeout=60)
            lock.stdout.close()
        self.assertEqual(os.stat(program).st_mtime, 1_000_000_000, "a program was replaced")

    def test_3a_update_waits_for_a_program_that_agreed_to_close_and_finishes_copies(self):
        # The program the last update started gives way to one that, asked to
        # close, keeps its window and instance a while (its copies between runs).
        closed = self.wine.run(ARGS.waitwindow, WINDOW_CLASS, "60", "close")
        self.assertEqual(closed.returncode, 0, "the tray program did not close")
        closing = self.wine.start(ARGS.holdlock, "--closing", output=subprocess.PIPE)
        try:
            self.assertEqual(closing.stdout.readline().strip(), b"held")
            with tempfile.TemporaryFile() as out:
                setup = subprocess.Popen(["wine", ARGS.setup, "/S"], env=self.wine.env,
                                         stdout=out, stderr=subprocess.STDOUT)
                # Longer than a refused close was waited for.
                time.sleep(20)
                self.assertIsNone(setup.poll(), "the installer gave up on a closing program")
                closing.stdin.close()
                self.assertEqual(setup.wait(timeout=120), 0)
        finally:
            if not closing.stdin.closed:
                closing.stdin.close()
            closing.wait(timeout=60)
            closing.stdout.close()
        ready = self.wine.run(ARGS.waitwindow, WINDOW_CLASS, "60")
        self.assertEqual(ready.returncode, 0, "the tray program was not started again")

    def test_4_silent_uninstall_removes_the_programs_and_keeps_backups_and_settings(self):
        backup = os.path.join(ARGS.work, "prefix", "drive_c", "Sicherung", "C__Daten",
                              "DATABASEBACKUP", "DATA", "KUNDEN.ADT")
        backup_inside = self.installed(os.path.join("Sicherungen", "DATA", "ARTIKEL.ADT"))
        write(backup, b"table")
        write(backup_inside, b"table")
        uninstaller = self.installed("uninstall.exe")
        # The program has just ended ("Beenden"), but its file is not free yet.
        closed = self.wine.run(ARGS.waitwindow, WINDOW_CLASS, "60", "close")
        self.assertEqual(closed.returncode, 0, "the tray program did not close")
        ending = self.hold_when_free(self.install_dir_win + r"\quorvel.exe")
        try:
            out = self.wine.run(uninstaller, "/S")
            self.assertEqual(out.returncode, 0, out)
            time.sleep(3)
        finally:
            ending.stdin.close()
            ending.wait(timeout=60)
            ending.stdout.close()
        # The uninstaller runs on from a copy of itself and removes its original last.
        self.assertTrue(wait_until(lambda: not os.path.exists(uninstaller), 120))
        for name in ("quorvel.exe", "quorvel-cli.exe"):
            self.assertFalse(os.path.exists(self.installed(name)), name)
        self.assertIsNone(self.wine.reg_value(RUN_KEY, "Quorvel"))
        self.assertIsNone(self.wine.reg_value(UNINSTALL_KEY, "DisplayName"))
        self.assertEqual(read(backup), b"table")
        self.assertEqual(read(backup_inside), b"table")
        self.assertTrue(os.path.isfile(self.installed("UserMode.INI")))
        self.assertTrue(os.path.isfile(self.installed(os.path.join("DATABASEUTIL", "QUORVEL.LOG"))))

    def test_5_silent_installation_into_a_chosen_folder(self):
        # NSIS takes /D= unquoted; wine would quote a folder with a blank.
        folder = r"C:\Programme\QuorvelBüro"
        out = self.wine.run(ARGS.setup, "/S", "/D=" + folder)
        self.assertEqual(out.returncode, 0, out)
        installed = self.wine.unix_path(folder)
        self.assertTrue(os.path.isfile(os.path.join(installed, "quorvel.exe")))
        self.assertEqual(self.wine.reg_value(RUN_KEY, "Quorvel"), '"' + folder + r'\quorvel.exe"')
        self.assertEqual(self.wine.reg_value(UNINSTALL_KEY, "InstallLocation"), folder)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("--setup", "--version", "--waitwindow", "--holdlock", "--work"):
        parser.add_argument(name, required=True)
    ARGS, rest = parser.parse_known_args()
    os.makedirs(ARGS.work, exist_ok=True)
    xvfb = None
    if not os.environ.get("DISPLAY"):  # the tray program needs a display
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                 "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write_end,),
                                stderr=subprocess.DEVNULL)
        os.close(write_end)
        os.environ["DISPLAY"] = ":" + os.read(read_end, 16).decode().strip()
    try:
        result = unittest.main(argv=[sys.argv[0]] + rest, exit=False).result
    finally:
        if xvfb:
            xvfb.kill()
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
