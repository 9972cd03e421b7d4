#!/usr/bin/env python3
"""Drives the library through its C interface from Python's ctypes, as a
host in any language with a C foreign-function interface would.

Usage: python_host_test.py LIBRARY MAKE_DEMO [unittest arguments]
"""
import ctypes as C
import os
import subprocess
import sys
import tempfile
import unittest

LIBRARY = MAKE_DEMO = None
lib = None

OK, INVALID_ARGUMENT, REFUSED, FILE_ERROR, DATA_ERROR = 0, 1, 2, 4, 5
STARTED, INSTALLING = 0, 2
COMPLETED = 0
INSTALLED, SETUP_FAILED, SKIPPED_DATA, SETUP_TIMED_OUT = 0, 1, 2, 9


class Exception_(C.Structure):
    _fields_ = [("size", C.c_size_t), ("text", C.c_wchar_p), ("message", C.c_wchar_p),
                ("source", C.c_wchar_p), ("line", C.c_int32), ("error_code", C.c_uint32)]


class Error(C.Structure):
    _fields_ = [("size", C.c_size_t), ("status", C.c_int32), ("exception", C.POINTER(Exception_)),
                ("file_kind", C.c_int32), ("directory", C.c_wchar_p), ("file_name", C.c_wchar_p)]


class Version(C.Structure):
    _fields_ = [("size", C.c_size_t), ("library_version", C.c_wchar_p), ("major", C.c_uint32),
                ("minor", C.c_uint32), ("patch", C.c_uint32), ("interface_version", C.c_uint32)]


class Progress(C.Structure):
    _fields_ = [("size", C.c_size_t), ("percent", C.c_double)]


class Status(C.Structure):
    _fields_ = [("size", C.c_size_t), ("action", C.c_int32), ("text", C.c_wchar_p)]


class SetupFailed(C.Structure):
    _fields_ = [("size", C.c_size_t), ("label", C.c_wchar_p), ("return_code", C.c_int32),
                ("exception", C.POINTER(Exception_))]


class DiscRequest(C.Structure):
    _fields_ = [("size", C.c_size_t), ("disc", C.c_int32), ("disc_in", C.c_int32)]


class Finished(C.Structure):
    _fields_ = [("size", C.c_size_t), ("status", C.c_int32), ("exception", C.POINTER(Exception_))]


class Detail(C.Structure):
    _fields_ = [("size", C.c_size_t), ("item", C.c_wchar_p), ("bytes_done", C.c_uint64),
                ("bytes_total", C.c_uint64)]


class Outcome(C.Structure):
    _fields_ = [("size", C.c_size_t), ("label", C.c_wchar_p), ("outcome", C.c_int32), ("code", C.c_int32),
                ("expected_release_id", C.c_wchar_p), ("found_release_id", C.c_wchar_p)]


class PlanCopy(C.Structure):
    _fields_ = [("size", C.c_size_t), ("label", C.c_wchar_p), ("release_path", C.c_wchar_p),
                ("disc", C.c_int32)]


def callback_type(payload):
    return C.CFUNCTYPE(None, C.c_void_p, C.POINTER(payload))


def load(path):
    library = C.CDLL(path)
    library.quen_last_error.restype = C.POINTER(Error)
    library.quen_version.restype = C.POINTER(Version)
    for name, payload in [("progress", Progress), ("status", Status), ("setup_failed", SetupFailed),
                          ("disc_request", DiscRequest), ("finished", Finished),
                          ("detail_progress", Detail), ("module_outcome", Outcome)]:
        getattr(library, "quen_installer_set_%s_callback" % name).argtypes = [
            C.c_void_p, callback_type(payload), C.c_void_p]
    library.quen_map_drive.argtypes = [C.c_wchar, C.c_wchar_p]
    for name in ("quen_installer_wait", "quen_installer_destroy",
                 "quen_database_close", "quen_plan_destroy"):
        getattr(library, name).argtypes = [C.c_void_p]
    library.quen_installer_set_paths.argtypes = [C.c_void_p] + [C.c_wchar_p] * 4
    library.quen_installer_install.argtypes = [C.c_void_p, C.c_wchar_p]
    library.quen_installer_set_setup_timeout.argtypes = [C.c_void_p, C.c_uint32]
    library.quen_installer_plan.argtypes = [C.c_void_p, C.c_wchar_p, C.POINTER(C.c_wchar_p), C.c_size_t,
                                            C.POINTER(C.c_void_p)]
    library.quen_plan_counts.argtypes = [C.c_void_p, C.POINTER(C.c_size_t), C.POINTER(C.c_size_t)]
    library.quen_plan_copy_at.argtypes = [C.c_void_p, C.c_size_t, C.POINTER(C.POINTER(PlanCopy))]
    return library


class PythonHost(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="quen-python-host-")
        self.demo = os.path.join(self.dir.name, "demo")
        subprocess.run([MAKE_DEMO, self.demo], check=True, stdout=subprocess.DEVNULL)
        self.machine = os.path.join(self.dir.name, "machine")
        self.call(lib.quen_set_machine_root, self.machine)
        self.call(lib.quen_map_drive, "D", self.demo)

    def tearDown(self):
        self.dir.cleanup()

    def call(self, function, *args):
        status = function(*args)
        self.assertEqual(status, OK, lib.quen_last_error().contents.exception.contents.text)

    def open_installer(self, source):
        database, installer = C.c_void_p(), C.c_void_p()
        self.call(lib.quen_database_open, "D:\\image.json", C.byref(database))
        self.addCleanup(lib.quen_database_close, database)
        self.call(lib.quen_installer_create, database, None, C.byref(installer))
        self.addCleanup(lib.quen_installer_destroy, installer)
        self.call(lib.quen_installer_set_flags, installer, source == "folder", 0)
        self.call(lib.quen_installer_set_paths, installer, "S:\\", "C:\\", None, None)
        return installer

    def hang_power_manager_setup(self):
        """Gives Power Manager on disc 2 a setup program that runs for half a minute."""
        image = os.path.join(self.dir.name, "hanging")
        os.makedirs(image)
        with open(os.path.join(image, "setup.sh"), "w") as f:
            f.write("#!/bin/sh\nsleep 30\n")
        package = os.path.join(self.demo, "discs", "2", "Modules", "PowerManager", "powermanager.mod")
        os.remove(package)
        subprocess.run(["wimlib-imagex", "capture", image, package, "hanging"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["wimlib-imagex", "info", package, "1", "--image-property", "RELEASEID=R-2001"],
                       check=True, stdout=subprocess.DEVNULL)

    def test_a_run_from_discs_reports_every_event_and_takes_each_disc_the_host_puts_in(self):
        self.hang_power_manager_setup()
        self.call(lib.quen_map_drive, "S", os.path.join(self.demo, "discs", "1"))
        installer = self.open_installer("discs")
        self.call(lib.quen_installer_set_setup_timeout, installer, 1)
        events, keep = [], []

        def on(name, payload, handler):
            function = callback_type(payload)(lambda context, event: handler(event.contents))
            keep.append(function)
            getattr(lib, "quen_installer_set_%s_callback" % name)(installer, function, None)

        def put_in(request):
            disc = os.path.join(self.demo, "discs", str(request.disc))
            request.disc_in = int(lib.quen_map_drive("S", disc) == OK)
            events.append(("disc", request.disc))

        on("progress", Progress, lambda e: events.append(("progress", e.percent)))
        on("status", Status, lambda e: events.append(("status", e.action, e.text)))
        on("setup_failed", SetupFailed, lambda e: events.append(("setup failed", e.label, e.return_code)))
        on("disc_request", DiscRequest, put_in)
        on("finished", Finished, lambda e: events.append(("finished", e.status, e.exception.contents.text)))
        on("detail_progress", Detail, lambda e: events.append(("detail", e.bytes_done <= e.bytes_total)))
        on("module_outcome", Outcome, lambda e: events.append(("outcome", e.label, e.outcome, e.code)))
        # A second installer's callbacks hear nothing of the first one's run.
        bystander, heard = self.open_installer("discs"), []
        keep.append(callback_type(Progress)(lambda context, event: heard.append(context)))
        self.call(lib.quen_installer_set_progress_callback, bystander, keep[-1], None)
        self.call(lib.quen_installer_install, installer, "QRD")
        self.call(lib.quen_installer_wait, installer)
        self.assertEqual(heard, [])

        def kind(name):
            return [e[1:] for e in events if e[0] == name]
        self.assertEqual(kind("finished"), [(COMPLETED, "")])
        self.assertEqual(events[-1][0], "finished")
        self.assertEqual(kind("disc"), [(2,), (3,)])
        self.assertEqual(kind("status")[0], (STARTED, ""))
        self.assertIn((INSTALLING, "Camera suite"), kind("status"))
        percents = [p for (p,) in kind("progress")]
        self.assertEqual(percents, sorted(percents))
        self.assertEqual(percents[-1], 100.0)
        self.assertTrue(kind("detail") and all(ok for (ok,) in kind("detail")))
        self.assertEqual(kind("setup failed"), [("Power Manager", 1460), ("Legacy tool", 3)])
        outcomes = {label: (outcome, code) for label, outcome, code in kind("outcome")}
        self.assertEqual(outcomes["Power Manager"], (SETUP_TIMED_OUT, 1))
        self.assertEqual(outcomes["Legacy tool"], (SETUP_FAILED, 3))
        self.assertEqual(outcomes["Recovery data"], (SKIPPED_DATA, 0))
        self.assertEqual(outcomes["Camera suite"], (INSTALLED, 0))
        self.assertEqual(len(outcomes), 7)
        host_path = C.c_wchar_p()
        self.call(lib.quen_host_path, "C:\\Program Files\\Quen\\Camera\\installed.txt", C.byref(host_path))
        self.assertTrue(os.path.exists(host_path.value))

    def test_a_plan_and_the_package_tools_read_the_source_without_installing(self):
        self.call(lib.quen_map_drive, "S", os.path.join(self.demo, "folder"))
        installer = self.open_installer("folder")
        plan, copies, problems = C.c_void_p(), C.c_size_t(), C.c_size_t()
        self.call(lib.quen_installer_plan, installer, "QRD", None, 0, C.byref(plan))
        self.addCleanup(lib.quen_plan_destroy, plan)
        self.call(lib.quen_plan_counts, plan, C.byref(copies), C.byref(problems))
        self.assertEqual((copies.value, problems.value), (6, 0))
        entry = C.POINTER(PlanCopy)()
        self.call(lib.quen_plan_copy_at, plan, 0, C.byref(entry))
        self.assertEqual((entry.contents.label, entry.contents.release_path, entry.contents.disc),
                         ("Demo foundation image", "FI\\DEMO7A", -1))
        self.assertEqual(lib.quen_plan_copy_at(plan, copies.value, C.byref(entry)), INVALID_ARGUMENT)
        self.assertFalse(os.path.exists(os.path.join(self.machine, "drives", "c", "Program Files")))

        camera = "S:\\Modules\\Camera\\camera.mod"
        scrambled, count, tag = C.c_int32(), C.c_uint32(), C.c_wchar_p()
        self.call(lib.quen_wim_is_scrambled, camera, C.byref(scrambled))
        work = os.path.join(self.dir.name, "work")
        os.mkdir(work)
        self.call(lib.quen_map_drive, "W", work)
        self.call(lib.quen_wim_image_count, camera, "W:\\", C.byref(count))
        self.call(lib.quen_wim_tag, camera, "ReleaseID", C.byref(tag))
        self.assertEqual((scrambled.value, count.value, tag.value), (1, 1, "R-2002"))
        self.call(lib.quen_wim_tag, camera, "NoSuchTag", C.byref(tag))
        self.assertIsNone(tag.value)

        results, found = [], C.c_wchar_p()
        for expected in ("2024.1", "2023.9"):
            result = C.c_int32(-1)
            self.call(lib.quen_verify_version, "S:\\Modules\\Templates\\version.txt", expected,
                      C.byref(result), C.byref(found))
            results.append(result.value)
        self.assertEqual(results, [0, 4])

    def test_a_failed_call_leaves_its_status_and_exception_fields_as_the_threads_last_error(self):
        version = lib.quen_version().contents
        self.assertEqual((version.interface_version, version.size), (1, C.sizeof(Version)))
        self.assertRegex(version.library_version, r"^\d+\.\d+\.\d+$")

        database = C.c_void_p()
        self.assertEqual(lib.quen_database_open("D:\\missing.json", C.byref(database)), FILE_ERROR)
        error = lib.quen_last_error().contents
        self.assertEqual((error.status, error.size), (FILE_ERROR, C.sizeof(Error)))
        self.assertIn("missing.json", error.exception.contents.text)
        self.assertGreaterEqual(error.file_kind, 0)
        self.assertIsNone(database.value)
        with open(os.path.join(self.demo, "bad.json"), "w") as f:
            f.write("{")
        self.assertEqual(lib.quen_database_open("D:\\bad.json", C.byref(database)), DATA_ERROR)

        self.assertEqual(lib.quen_installer_install(None, "QRD"), INVALID_ARGUMENT)
        self.call(lib.quen_database_open, "D:\\image.json", C.byref(database))
        self.addCleanup(lib.quen_database_close, database)
        installers = []
        while True:
            installer = C.c_void_p()
            if lib.quen_installer_create(database, None, C.byref(installer)) != OK:
                break
            installers.append(installer)
        self.assertEqual((len(installers), lib.quen_last_error().contents.status), (64, REFUSED))
        self.call(lib.quen_installer_destroy, installers.pop())
        self.call(lib.quen_installer_create, database, None, C.byref(installer))
        installers.append(installer)
        for installer in installers:
            self.call(lib.quen_installer_destroy, installer)

        self.assertEqual(lib.quen_map_drive("1", None), INVALID_ARGUMENT)
        self.call(lib.quen_map_drive, "Q", None)
        cleared = lib.quen_last_error().contents
        self.assertEqual((cleared.status, cleared.exception.contents.text), (OK, ""))


if __name__ == "__main__":
    LIBRARY, MAKE_DEMO = sys.argv[1], sys.argv[2]
    lib = load(LIBRARY)
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
