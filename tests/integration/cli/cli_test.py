#!/usr/bin/env python3
"""Runs the built quen-install as a user would, on the demo recovery source.

Usage: cli_test.py QUEN_INSTALL MAKE_DEMO [unittest arguments]
"""
import fcntl
import json
import os
import pty
import re
import signal
import struct
import subprocess
import sys
import termios
import tempfile
import time
import unittest

QUEN_INSTALL = MAKE_DEMO = None


class Cli(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="quen-cli-")
        self.root = self.dir.name
        self.demo = os.path.join(self.root, "demo")
        subprocess.run([MAKE_DEMO, self.demo], check=True, stdout=subprocess.DEVNULL)
        self.database = os.path.join(self.demo, "image.json")
        self.machine = os.path.join(self.root, "machine")
        self.log = os.path.join(self.root, "run.log")

    def tearDown(self):
        self.dir.cleanup()

    def run_cli(self, *source, json_lines=False, stdin=None):
        args = [QUEN_INSTALL, "run", "--database", self.database, *source,
                "--machine-root", self.machine, "--log", self.log]
        if json_lines:
            args.append("--json")
        return subprocess.run(args, input=stdin, capture_output=True, text=True, timeout=60)

    def folder(self):
        return ["--source", os.path.join(self.demo, "folder")]

    def discs(self):
        return ["--discs"] + [os.path.join(self.demo, "discs", n) for n in "123"]

    def drive_c(self, *parts):
        return os.path.join(self.machine, "drives", "c", *parts)

    def installed(self, name):
        return os.path.exists(self.drive_c("Program Files", "Quen", name, "installed.txt"))

    def work_area_removed(self):
        return not os.path.exists(self.drive_c("Windows", "Temp", "Quen"))

    def edit_modules(self, edit):
        with open(self.database) as f:
            db = json.load(f)
        db["modules"] = edit(db["modules"])
        with open(self.database, "w") as f:
            json.dump(db, f)

    def add_module_first(self, label, script):
        """Puts an EXE/BATCH module whose setup program is `script` first in the database."""
        package = os.path.join(self.demo, "folder", "Modules", label)
        image = os.path.join(self.root, label)
        os.makedirs(package)
        os.makedirs(image)
        with open(os.path.join(image, "setup.sh"), "w") as f:
            f.write("#!/bin/sh\n" + script)
        subprocess.run(["wimlib-imagex", "capture", image, os.path.join(package, "m.mod"), label],
                       check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["wimlib-imagex", "info", os.path.join(package, "m.mod"), "1",
                        "--image-property", "RELEASEID=R-1"], check=True, stdout=subprocess.DEVNULL)
        record = {"PartID_Rel": "M-1", "PartType": "Module", "InstallerType": "EXE/BATCH",
                  "CustomerLabel": label, "ReleaseName": label, "ReleaseID_Rel": "R-1",
                  "PathToRelease": "Modules\\" + label, "SetupFile": "setup.sh", "MajorVersion": "1",
                  "DetailedVersion": "1", "Baseplus": "no", "Temporary": "no", "Recoverable": "no"}
        self.edit_modules(lambda modules: [record] + modules)

    def test_a_folder_run_without_failures_exits_0_and_sums_up_modules_records_and_log(self):
        self.edit_modules(lambda modules: [m for m in modules if m["CustomerLabel"] != "Legacy tool"])
        result = self.run_cli(*self.folder())
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        out = result.stdout
        self.assertRegex(out, r"Camera suite +installed")
        self.assertRegex(out, r"Recovery data +skipped \(data\)")
        self.assertIn("Office templates M-300: DetailedVersion=2024.1.0 InstallMode=Recovery", out)
        self.assertIn("Result: completed in", out)
        self.assertIn("Log: " + self.log, out)
        self.assertTrue(os.path.getsize(self.log) > 0)
        self.assertTrue(self.installed("Camera"))  # the scrambled package
        self.assertTrue(os.path.exists(self.drive_c("Windows", "Drivers", "Inf", "QuenNet", "quennet.inf")))
        self.assertTrue(os.path.exists(self.drive_c("Program Files", "Quen", "Templates", "version.txt")))
        self.assertTrue(self.work_area_removed())

    def test_a_partial_install_exits_1_and_says_which_modules_were_not_installed_and_why(self):
        def break_records(modules):
            by_label = {m["CustomerLabel"]: m for m in modules}
            by_label["Power Manager"]["ReleaseID_Rel"] = "R-9999"
            return modules
        self.edit_modules(break_records)
        os.remove(os.path.join(self.demo, "folder", "Modules", "Camera", "camera.mod"))
        self.add_module_first("Hanging", "sleep 30\n")
        result = self.run_cli(*self.folder(), "--setup-timeout", "1")
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        self.assertIn("Setup of Legacy tool failed with exit code 3", result.stdout)
        self.assertRegex(result.stdout, r"Legacy tool +setup failed \(exit code 3\)")
        self.assertRegex(result.stdout, r"Result: completed, 4 modules not installed in .*\(exit code 1\)\n"
                                        r"  Hanging: setup timed out after 1 s\n"
                                        r"  Power Manager: release ID mismatch \(record R-9999, package R-2001\)\n"
                                        r"  Camera suite: package missing\n"
                                        r"  Legacy tool: setup failed \(exit code 3\)\n")
        with open(self.log) as f:
            log = f.read()
        self.assertIn("Info    quen-install: Command line: quen-install run --database " + self.database, log)
        self.assertIn("quen-install: Drive S: is " + os.path.join(self.demo, "folder"), log)
        self.assertRegex(log, r"Info    quen-install: Outcome: Camera suite +package missing")
        self.assertIn("Warning quen-install: Not installed: Legacy tool: setup failed (exit code 3)", log)
        self.assertIn("Warning quen-install: Result: completed, 4 modules not installed", log)
        warnings = [line.split(" Warning ")[1] for line in log.splitlines() if " Warning " in line]
        self.assertEqual(len(warnings), len(set(warnings)), warnings)

    def test_disc_folders_are_switched_on_each_request_and_every_event_is_a_json_line(self):
        result = self.run_cli(*self.discs(), json_lines=True)
        self.assertEqual(result.returncode, 1, result.stderr)
        events = [json.loads(line) for line in result.stdout.splitlines()]
        kinds = [e["event"] for e in events]
        self.assertEqual(kinds[:2], ["progress", "status"])
        self.assertEqual(events[-1], {**events[-1], "event": "finished", "status": 0,
                                      "outcome": "completed", "exception": None})
        self.assertEqual([(e["disc"], e["answer"]) for e in events if e["event"] == "discRequest"],
                         [(2, True), (3, True)])
        self.assertEqual([(e["module"], e["code"]) for e in events if e["event"] == "setupFailed"],
                         [("Legacy tool", 3)])
        outcomes = {e["module"]: (e["outcome"], e["code"]) for e in events if e["event"] == "moduleOutcome"}
        self.assertEqual(outcomes["Legacy tool"], ("setupFailed", 3))
        self.assertEqual(outcomes["Recovery data"], ("skippedData", 0))
        self.assertEqual(outcomes["Power Manager"], ("installed", 0))
        details = [e for e in events if e["event"] == "detailProgress"]
        self.assertTrue(details and all(0 <= e["done"] <= e["total"] for e in details), details[:3])
        percents = [e["percent"] for e in events if e["event"] == "progress"]
        self.assertEqual(percents, sorted(percents))
        self.assertEqual(percents[-1], 100)
        self.assertIn("Disc 3 put in", result.stderr)
        self.assertTrue(self.installed("PowerManager"))

    def on_terminal(self, columns, *options, env=None):
        """Runs from the recovery folder with standard output on a terminal `columns` wide."""
        master, slave = pty.openpty()
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
        args = [QUEN_INSTALL, "run", "--database", self.database, *self.folder(),
                "--machine-root", self.machine, "--log", self.log, *options]
        with subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=slave, stderr=subprocess.PIPE,
                              env={**os.environ, **(env or {})}) as cli:
            os.close(slave)
            out = b""
            while True:
                try:
                    chunk = os.read(master, 65536)
                except OSError:
                    break
                if not chunk:
                    break
                out += chunk
            stderr = cli.stderr.read().decode()
            cli.wait(timeout=60)
        os.close(master)
        return out.decode(), stderr

    def test_the_progress_bar_fits_the_terminal_and_plain_quiet_and_verbose_output_behave(self):
        out, _ = self.on_terminal(40, env={"TERM": "xterm"})
        self.assertIn("\x1b[K", out)
        bars = [line for line in out.replace("\x1b[K", "").replace("\r", "\n").splitlines()
                if re.search(r"\[[#.]*\] +\d+%", line)]
        self.assertTrue(bars)
        for line in bars:  # one column spare: a full line would wrap on some terminals
            self.assertTrue(line.startswith("[") and len(line) <= 39, line)
        for options, env in [(["--plain"], {"TERM": "xterm"}), ([], {"TERM": "dumb"})]:
            with self.subTest(options=options, env=env):
                out, _ = self.on_terminal(40, *options, env=env)
                self.assertNotIn("\x1b", out)
                self.assertIn("Installing Camera suite", out)
        out, _ = self.on_terminal(40, "--quiet")
        self.assertNotIn("Installation started", out)
        self.assertNotIn("Installing", out)
        self.assertIn("Result: completed", out)
        _, err = self.on_terminal(40, "--verbose", "--plain")
        self.assertIn(" Info    Installer thread running", err)

    def test_wrong_disc_folders_end_the_run_within_seconds_naming_folder_and_markers_and_exit_2(self):
        discs = os.path.join(self.demo, "discs")
        cases = [([os.path.join(discs, n) for n in "213"], [], "2 holds the marker QRD2; disc 1 needs QRD1"),
                 (self.discs()[1:], ["--media-type", "XYZ"], "1 holds the marker QRD1; disc 1 needs XYZ1")]
        for folders, options, reason in cases:
            with self.subTest(options=options):
                result = self.run_cli("--discs", *folders, *options)
                self.assertEqual(result.returncode, 2, result.stdout[-2000:])
                self.assertLess(len(result.stdout) + len(result.stderr), 5000)
                self.assertIn("Reason: wrong disc folder: " + discs + "/" + reason, result.stdout)
        for media_type in ["", " "]:
            self.assertEqual(self.run_cli(*self.discs(), "--media-type", media_type).returncode, 64)

    def test_json_stdout_holds_json_lines_only_even_when_a_setup_program_prints_or_the_run_cannot_start(self):
        self.add_module_first("Chatty", "echo not json\necho not json either >&2\nkill -KILL $$\n")
        result = self.run_cli(*self.folder(), json_lines=True)
        self.assertEqual(result.returncode, 1, result.stderr)
        events = [json.loads(line) for line in result.stdout.splitlines()]
        self.assertEqual(events[-1]["event"], "finished")
        self.assertRegex(result.stderr, r"Chatty +setup failed \(killed by SIGKILL\)")

        with open(self.database, "w") as f:
            f.write("{ not json")
        for extra, code in [([], 2), (["--log", ""], 64), (["--no-such-option"], 64)]:
            with self.subTest(extra=extra):
                result = self.run_cli(*self.folder(), *extra, json_lines=True)
                self.assertEqual(result.returncode, code, result.stderr)
                lines = result.stdout.splitlines()
                self.assertEqual(len(lines), 1, result.stdout)
                error = json.loads(lines[0])
                self.assertEqual((error["event"], error["exitCode"]), ("error", code))
                self.assertTrue(error["message"], error)
                self.assertNotIn("D:\\", error["message"])

    def test_a_disc_given_up_at_the_prompt_cancels_the_run_and_exits_3(self):
        result = self.run_cli("--drive", os.path.join(self.demo, "discs", "1"), stdin="\nn\n")
        self.assertEqual(result.returncode, 3, result.stdout + result.stderr)
        self.assertIn("Insert disc 2 (marker file QRD2)", result.stdout)
        self.assertIn("Not the disc asked for: " + os.path.join(self.demo, "discs", "1") +
                      " holds the marker QRD1; disc 2 needs QRD2", result.stdout)
        self.assertIn("Result: cancelled", result.stdout)
        self.assertFalse(self.installed("Viewer"))
        self.assertTrue(self.work_area_removed())

    def test_ctrl_c_lets_the_setup_program_finish_a_second_one_ends_it_and_the_run_exits_3(self):
        started, finished = os.path.join(self.root, "started"), os.path.join(self.root, "finished")
        self.add_module_first("Slow", f"touch '{started}'\nsleep 3\ntouch '{finished}'\n")
        args = [QUEN_INSTALL, "run", "--database", self.database, *self.folder(),
                "--machine-root", self.machine, "--log", self.log]

        def interrupt(times):
            for path in (started, finished):
                if os.path.exists(path):
                    os.remove(path)
            # A group of its own, which a terminal's Ctrl-C reaches as a whole.
            with subprocess.Popen(args, stdout=subprocess.PIPE, text=True, process_group=0) as cli:
                for _ in range(600):
                    if os.path.exists(started):
                        break
                    time.sleep(0.05)
                for _ in range(times):
                    os.killpg(cli.pid, signal.SIGINT)
                    for line in cli.stdout:  # each Ctrl-C is seen before the next is pressed
                        if line.startswith("Cancelling"):
                            break
                rest = cli.stdout.read()
                self.assertEqual(cli.wait(timeout=60), 3, rest)
            self.assertIn("Result: cancelled", rest)
            self.assertRegex(rest, r"Power Manager +not reached")
            self.assertTrue(self.work_area_removed())
            return rest

        rest = interrupt(1)
        self.assertRegex(rest, r"Slow +installed")
        self.assertTrue(os.path.exists(finished))
        rest = interrupt(2)
        self.assertRegex(rest, r"Slow +setup ended by the user")
        self.assertIn("Slow: setup ended by the user", rest)
        self.assertFalse(os.path.exists(finished))

    def test_plan_lists_the_copies_by_disc_and_every_problem_without_touching_the_machine(self):
        def break_records(modules):
            by_label = {m["CustomerLabel"]: m for m in modules}
            del by_label["Office templates"]["SetupFile"]
            by_label["Power Manager"]["ReleaseID_Rel"] = "R-9999"
            by_label["Camera suite"]["PathToRelease"] = "..\\..\\outside"
            by_label["Legacy tool"]["PathToRelease"] = "Modules\\Gone"
            return modules
        self.edit_modules(break_records)
        with open(os.path.join(self.demo, "qenhdrcv.ini"), "a") as f:
            f.write("")  # the description as made: Modules\Gone is on no disc
        args = [QUEN_INSTALL, "plan", "--database", self.database, *self.discs(),
                "--machine-root", self.machine]
        result = subprocess.run(args, capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        out = result.stdout
        self.assertRegex(out, r"Disc 1 \(QRD1\):\n    Demo foundation image")
        self.assertRegex(out, r"Disc 2 \(QRD2\):\n    Power Manager")
        self.assertIn("Office templates: the record lacks the field SetupFile", out)
        self.assertRegex(out, r"Power Manager: the package .*has release ID R-2001, the record R-9999")
        self.assertRegex(out, r"Camera suite: .*PathToRelease")
        self.assertIn("Legacy tool: no disc holds Modules\\Gone", out)
        document = json.loads(subprocess.run(args + ["--json"], capture_output=True, text=True).stdout)
        self.assertEqual(len(document["problems"]), int(re.search(r"Problems \((\d+)\)", out).group(1)))
        self.assertIn({"label": "Power Manager", "releasePath": "Modules\\PowerManager", "disc": 2},
                      document["copies"])
        self.assertFalse(os.path.exists(self.machine))

    def test_plan_finds_wrong_disc_folders_a_missing_description_and_an_empty_database(self):
        discs = os.path.join(self.demo, "discs")

        def plan(*source):
            result = subprocess.run([QUEN_INSTALL, "plan", "--database", self.database, *source,
                                     "--machine-root", self.machine], capture_output=True, text=True, timeout=60)
            self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
            return result.stdout

        out = plan("--discs", os.path.join(discs, "2"), os.path.join(discs, "1"))
        self.assertIn("Discs: the copy list needs 3 discs, 2 disc folders were given", out)
        self.assertIn("Disc 1: " + os.path.join(discs, "2") + " holds the marker QRD2; disc 1 needs QRD1", out)
        # One marker of the media type, not two.
        open(os.path.join(discs, "1", "QRD2"), "w").close()
        self.assertIn("Disc 1: " + os.path.join(discs, "1") + " holds the markers QRD1, QRD2; disc 1 needs QRD1",
                      plan(*self.discs()))
        os.remove(os.path.join(discs, "1", "QRD2"))
        os.rename(os.path.join(self.demo, "qenhdrcv.ini"), os.path.join(self.root, "elsewhere.ini"))
        self.assertIn("Recovery-media description: qenhdrcv.ini is missing", plan(*self.discs()))
        self.edit_modules(lambda modules: [])
        with open(self.database) as f:
            db = json.load(f)
        db["applications"] = []
        with open(self.database, "w") as f:
            json.dump(db, f)
        self.assertIn("Install database: it lists no applications and no modules", plan(*self.folder()))

    def test_a_failed_run_exits_2_with_the_reason_and_usage_errors_exit_64(self):
        def set_legacy_release_id(value):
            def edit(modules):
                next(m for m in modules if m["CustomerLabel"] == "Legacy tool")["ReleaseID_Rel"] = value
                return modules
            self.edit_modules(edit)
        set_legacy_release_id("..\\x")
        result = self.run_cli(*self.folder())
        self.assertEqual(result.returncode, 2, result.stdout)
        self.assertRegex(result.stdout, r"Reason: Legacy tool: .*ReleaseID_Rel.*" + re.escape(self.database))
        set_legacy_release_id("R-2003")

        package = os.path.join(self.demo, "folder", "FI", "DEMO7A", "QNDEMOFI01.app")
        os.remove(package)
        result = self.run_cli(*self.folder(), json_lines=True)
        self.assertEqual(result.returncode, 2, result.stderr)
        finished = json.loads(result.stdout.splitlines()[-1])
        self.assertEqual((finished["outcome"], finished["exception"]["message"]),
                         ("failed", "FI app file not found."))
        self.assertRegex(result.stderr, "Reason: FI app file not found. .*" + re.escape(package))

        unknown = subprocess.run([QUEN_INSTALL, "install"], capture_output=True, text=True)
        self.assertEqual(unknown.returncode, 64)
        self.assertIn("unknown command 'install'", unknown.stderr)
        self.assertEqual(self.run_cli().returncode, 64)  # no recovery source
        self.assertEqual(self.run_cli(*self.folder(), "--unknown").returncode, 64)
        a_file = self.database
        missing = subprocess.run([QUEN_INSTALL, "run", "--database", self.database + ".missing",
                                  *self.folder()], capture_output=True)
        self.assertEqual(missing.returncode, 64)
        for option, value in [("--machine-root", ""),
                              ("--machine-root", " "), ("--machine-root", a_file), ("--log", ""),
                              ("--destination", " "), ("--destination", a_file),
                              ("--setup-timeout", "-1"), ("--setup-timeout", "1.5"), ("--setup-timeout", "")]:
            with self.subTest(option=option, value=value):
                usage = subprocess.run([QUEN_INSTALL, "run", "--database", self.database, *self.folder(),
                                        option, value], capture_output=True, text=True, cwd=self.root)
                self.assertEqual(usage.returncode, 64, usage.stdout + usage.stderr)
                self.assertIn(option, usage.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.root, "quen-install.log")))
        version = subprocess.run([QUEN_INSTALL, "--version"], capture_output=True, text=True)
        self.assertEqual((version.returncode, version.stdout.split()[0]), (0, "quen-install"))

    def test_verify_version_reads_a_version_path_as_the_run_does_and_path_finds_files_for_scripts(self):
        version = self.drive_c("Quen", "version.txt")
        os.makedirs(os.path.dirname(version))
        with open(version, "w") as f:
            f.write("2024.1\n")

        def tool(*args):
            return subprocess.run([QUEN_INSTALL, *args, "--machine-root", self.machine],
                                  capture_output=True, text=True)

        templates = self.drive_c("Program Files", "Quen", "Templates", "version.txt")
        os.makedirs(os.path.dirname(templates))
        with open(templates, "w") as f:
            f.write("2024.1\n")
        destination = os.path.join(self.root, "target")
        os.makedirs(os.path.join(destination, "Quen"))
        with open(os.path.join(destination, "Quen", "version.txt"), "w") as f:
            f.write("2030.1\n")
        # A record's VersionPath, read as the run reads it.
        for path, expected, options, result in [
                ("C:\\Quen\\version.txt", "2024.1", [], 0),
                ("C:\\Quen\\version.txt", "2025.1", [], 4),
                ("%PROGRAMFILES64%\\Quen\\Templates\\version.txt", "2024.1", [], 0),
                ("Quen\\version.txt", "2024.1", [], 0),
                ("\\Quen\\version.txt", "2030.1", ["--destination", destination], 0),
                ("HKLM\\SOFTWARE\\Quen\\Missing\\Version", "1", ["--destination", destination], 10)]:
            with self.subTest(path=path, options=options):
                check = tool("verify-version", path, expected, *options)
                self.assertEqual((check.returncode, int(check.stdout.split()[0])), (min(result, 1), result),
                                 check.stdout + check.stderr)
        self.assertEqual(tool("verify-version", "Quen\\version.txt", "1", "--destination", "").returncode, 64)
        self.assertEqual(tool("path", "c:\\quen\\VERSION.TXT").stdout.strip(), version)
        self.assertEqual(tool("path", "%PROGRAMFILES64%\\Quen\\Templates\\Version.txt").stdout.strip(), templates)
        self.assertEqual(tool("path", "C:\\a?b").returncode, 2)

    def test_wim_tools_read_a_scrambled_package_and_never_empty_a_folder_that_holds_files(self):
        camera = os.path.join(self.demo, "folder", "Modules", "Camera", "camera.mod")

        def wim(*args):
            return subprocess.run([QUEN_INSTALL, "wim", *args, "--machine-root", self.machine],
                                  capture_output=True, text=True)

        info = wim("info", camera).stdout
        self.assertTrue(info.startswith("scrambled: yes\nimages: 1\n"), info)
        self.assertIn("<RELEASEID>R-2002</RELEASEID>", info)
        self.assertEqual(wim("tag", camera, "releaseid").stdout, "R-2002\n")
        self.assertEqual(wim("tag", camera, "NOSUCHTAG").returncode, 1)

        folder = os.path.join(self.root, "extracted")
        self.assertEqual(wim("extract", camera, folder).returncode, 0)
        self.assertEqual(sorted(os.listdir(folder)), ["payload.txt", "setup.sh"])
        self.assertEqual(wim("extract", camera, folder).returncode, 2)
        self.assertEqual(sorted(os.listdir(folder)), ["payload.txt", "setup.sh"])

        self.assertEqual(wim("extract", camera, os.path.join(self.root, "second"), "--index", "2").returncode, 2)
        self.assertFalse(os.path.exists(os.path.join(self.root, "second")))
        not_wim = wim("info", self.database)
        self.assertEqual(not_wim.returncode, 2)
        self.assertIn(self.database + " cannot be read as a WIM package", not_wim.stderr)

        copy = wim("descramble", camera, os.path.join(self.root, "plain")).stdout.strip()
        self.assertTrue(wim("info", copy).stdout.startswith("scrambled: no"))
        self.assertEqual(wim("descramble", copy, os.path.join(self.root, "again")).returncode, 1)


if __name__ == "__main__":
    QUEN_INSTALL, MAKE_DEMO = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
