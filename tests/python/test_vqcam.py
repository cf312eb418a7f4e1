"""vqcam against the simulated camera: every call, its exceptions, Ctrl+C, and cameras on two threads at once."""
import errno
import fcntl
import os
import pickle
import signal
import struct
import subprocess
import sys
import tempfile
import textwrap
import threading
import time
import unittest

import vqcam


class Traced:
    """Collects the bytes a camera puts on the line and takes off it."""

    def __init__(self, camera):
        self.runs = []
        camera.trace = lambda direction, data, ms: self.runs.append((direction, data))

    def sent(self):
        return b"".join(data for direction, data in self.runs if direction == ">")


class CameraCalls(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sim = vqcam.Simulator(baud=115200)
        cls.folder = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.sim.close()
        cls.folder.cleanup()

    def setUp(self):
        self.camera = vqcam.open(self.sim.path, baud=115200)
        self.addCleanup(self.camera.close)

    def path(self, name):
        return os.path.join(self.folder.name, name)

    def test_values_by_every_name_vqctl_takes(self):
        self.camera.set("GainLevel", 300)
        for name in ("GainLevel", "gainlevel", "ParamGainLevel", "5"):
            self.assertEqual(self.camera.get(name), 300, name)
        self.camera["GainLevel"] = 168
        self.assertEqual(self.camera["GainLevel"], 168)
        with self.assertRaises(KeyError):
            self.camera.get("Gain")

    def test_values_outside_the_range_send_nothing(self):
        traced = Traced(self.camera)
        for name, value in (("GainLevel", 672), ("GainLevel", 70000), ("TriggerMode", 300), ("TriggerMode", -1),
                            ("GainLevel", 2 ** 40)):
            with self.subTest(name=name, value=value), self.assertRaisesRegex(ValueError, name + " takes 0 to "):
                self.camera.set(name, value)
        self.assertEqual(traced.sent(), b"")

    # Rows 0 to 45 as scripts name them; the reserved row is never read.
    READ_ALL_NAMES = (
        "TriggerMode", "TriggerSource", "FlashOutput", "SmearReduction", "ShutterSpeed", "GainLevel",
        "TriggerPolarity", "ProgrammableShutter", "DoubleAccel", "DataBit", "VdFval", "HdLval",
        "BlackLevel", "AdjustGain", "PartialScan", "PartialScanStart", "PartialScanWidth", "FactorySet",
        "WhiteSpotCorrection", "WhiteSpotThreshold", "WhiteSpotDetect", "TestPattern", "SubVoltage",
        "VendorName0", "VendorName1", "VendorName2", "VendorName3", "VendorName4", "VendorName5",
        "VendorName6", "VendorName7", "ModelName0", "ModelName1", "ModelName2", "ModelName3", "ModelName4",
        "ModelName5", "ModelName6", "ModelName7", "SerialNumber0", "SerialNumber1", "SerialNumber2",
        "SerialNumber3", "Version0", "Version1", "SerialNumberUnlock",
    )

    def test_read_all_in_table_order(self):
        values = self.camera.read_all()
        self.assertEqual(tuple(values), self.READ_ALL_NAMES)
        self.assertEqual([p.name for p in vqcam.parameters() if p.read_all], list(self.READ_ALL_NAMES))
        self.assertEqual(values["ModelName0"], ord("V") + 256 * ord("Q"))

    def test_save_diff_load_and_read_file(self):
        self.camera["GainLevel"] = 300
        self.camera.save(self.path("golden.vq"))
        self.assertEqual(os.path.getsize(self.path("golden.vq")), 212)
        self.assertEqual(vqcam.read_file(self.path("golden.vq"))["GainLevel"], 300)
        self.assertEqual(len(vqcam.read_file(self.path("golden.vq"))), 47)
        self.assertEqual(self.camera.diff(self.path("golden.vq")), {})
        self.camera["GainLevel"] = 100
        self.assertEqual(self.camera.diff(self.path("golden.vq")), {"GainLevel": (100, 300)})
        self.camera.load(os.fsencode(self.path("golden.vq")))
        self.assertEqual(self.camera["GainLevel"], 300)

    SERIAL_ROWS = {"SerialNumber0", "SerialNumber1", "SerialNumber2", "SerialNumber3", "SerialNumberUnlock"}

    def test_a_file_from_another_camera_verifies_on_the_rows_a_load_writes(self):
        golden = self.path("other-camera.vq")
        with vqcam.Simulator() as sim, vqcam.open(sim.path) as other:
            other.write_serial("7654321", log=self.path("other-adjust.csv"))
            other["GainLevel"] = 321
            other.save(golden)
        self.camera.load(golden)
        self.assertEqual(self.camera.diff(golden, rows="written"), {})
        # Every readable row: the serial number still tells the two cameras apart, and nothing else does.
        everything = self.camera.diff(golden)
        self.assertEqual(everything, self.camera.diff(golden, rows="all"))
        self.assertIn("SerialNumber0", everything)
        self.assertLessEqual(set(everything), self.SERIAL_ROWS)
        self.camera["GainLevel"] = 100
        self.assertEqual(self.camera.diff(golden, rows="written"), {"GainLevel": (100, 321)})
        traced = Traced(self.camera)
        for rows in ("Written", "load", ""):
            with self.subTest(rows=rows), self.assertRaisesRegex(ValueError, "rows is"):
                self.camera.diff(golden, rows=rows)
        self.assertEqual(traced.sent(), b"")

    def test_what_was_opened(self):
        c = self.camera
        self.assertEqual((c.device, c.baud, c.com, c.camera_link, c.camera_link_port), (self.sim.path, 115200, None, None, None))
        c.close()
        with vqcam.open(self.sim.path, com=4) as by_com:
            self.assertEqual((by_com.device, by_com.com), (self.sim.path, 4))
            # COM 4 now stands for the terminal, as the windowed program's settings would assign it.
        with vqcam.open(com=4, baud=115200) as by_number:
            self.assertEqual((by_number.device, by_number.baud, by_number.com), (self.sim.path, 115200, 4))
        library = os.environ.get("VQ_CLSERSIM")
        if library:
            with vqcam.open(camera_link=library, camera_link_port=1) as link:
                self.assertEqual((link.device, link.baud, link.com, link.camera_link, link.camera_link_port),
                                 (None, None, None, library, 1))

    def test_a_path_with_a_nul_byte_is_refused_before_any_file_is_touched(self):
        self.camera.save(self.path("important"))
        before = os.path.getmtime(self.path("important"))
        traced = Traced(self.camera)
        for call in (self.camera.save, self.camera.load, self.camera.diff, vqcam.read_file,
                     lambda p: self.camera.write_serial("1234567", log=p)):
            with self.subTest(call=call), self.assertRaisesRegex(ValueError, "null byte"):
                call(self.path("important") + "\0.bak")
        self.assertEqual(os.path.getmtime(self.path("important")), before)
        self.assertEqual(traced.sent(), b"")

    def test_refused_and_unreadable_files(self):
        with open(self.path("other.vq"), "wb") as f:
            f.write(b"x" * 212)
        for call in (vqcam.read_file, self.camera.load, self.camera.diff):
            with self.subTest(call=call.__name__), self.assertRaises(vqcam.FileRefused) as refused:
                call(self.path("other.vq"))
            self.assertIn(self.path("other.vq"), refused.exception.message)
            with self.assertRaises(FileNotFoundError):
                call(self.path("missing.vq"))
        os.mkfifo(self.path("fifo"))
        start = time.monotonic()
        with self.assertRaises(OSError):
            self.camera.load(self.path("fifo"))
        self.assertLess(time.monotonic() - start, 1.0)
        # Refused before the camera is read: nothing goes on the line.
        traced = Traced(self.camera)
        with self.assertRaises(OSError):
            self.camera.save(self.path("fifo"))
        self.assertEqual(traced.sent(), b"")

    def test_info_send_query_and_trace(self):
        self.assertEqual(self.camera.info(), vqcam.Info("NORVANE IMAGING", "VQ-R310NTX", "1234567", "1.0.0.0"))
        traced = Traced(self.camera)
        self.camera.send("01ff0104020000")
        self.assertEqual(traced.sent(), b"\x05\x0201FF0104020000\x0326")
        self.assertEqual(self.camera.query("01FF8104000000"), "020000")
        self.assertTrue(all(d in (">", "<") for d, _ in traced.runs))

    def test_detection_and_spots(self):
        self.assertEqual(self.camera.detect(30, timeout=10), "Detect is finished.")
        self.assertEqual(self.camera["WhiteSpotThreshold"], 30)
        self.assertEqual(self.camera.spots(), [(10, 20), (300, 5), (1000, 999)])
        with self.assertRaises(ValueError):
            self.camera.detect(256)

    def test_serial_number_with_its_log_row(self):
        log = self.path("adjust.csv")
        self.camera.write_serial("12X45678", digits=8, log=log)
        self.assertEqual(self.camera.info().serial, "12X45678")
        with open(log, "rb") as f:
            self.assertIn(b",VQ-R310NTX,12X45678,", f.read())
        with self.assertRaisesRegex(ValueError, "7 digits"):
            self.camera.write_serial("12X45678", log=log)

    def test_file_errors_name_the_file_in_one_line(self):
        missing = self.path("no folder/x.vq")
        for call in (self.camera.save, self.camera.load, vqcam.read_file):
            with self.subTest(call=call), self.assertRaises(FileNotFoundError) as failed:
                call(missing)
            self.assertEqual((failed.exception.filename, failed.exception.strerror),
                             (missing, os.strerror(errno.ENOENT)))
        with open(self.path("other.vq"), "wb") as f:
            f.write(b"x" * 212)
        with self.assertRaises(vqcam.FileRefused) as refused:
            self.camera.load(self.path("other.vq"))
        self.assertEqual(refused.exception.filename, self.path("other.vq"))

    def test_a_log_row_not_written_after_the_number_was(self):
        log = self.path("no folder/adjust.csv")
        with vqcam.Simulator() as sim, vqcam.open(sim.path) as camera:
            with self.assertRaises(vqcam.AdjustmentLogError) as failed:
                camera.write_serial("7654321", log=log)
            self.assertTrue(failed.exception.serial_written)
            self.assertIsInstance(failed.exception, OSError)
            self.assertEqual(failed.exception.filename, log)
            self.assertEqual((failed.exception.errno, failed.exception.strerror), (errno.ENOENT, os.strerror(errno.ENOENT)))
            self.assertEqual(camera.info().serial, "7654321")

    def test_names_values_and_with(self):
        self.assertEqual(self.camera.get(5), self.camera.get("GainLevel"))
        self.camera[5] = 200
        self.assertEqual(self.camera["gainlevel"], 200)
        for name in (47, -1, 2 ** 70):
            with self.subTest(name=name), self.assertRaises(KeyError):
                self.camera.get(name)
        for name, value in ((True, 1), ("GainLevel", True), ("GainLevel", 300.0), (5.0, 1)):
            with self.subTest(name=name, value=value), self.assertRaises(TypeError):
                self.camera.set(name, value)
        self.assertEqual(self.camera["GainLevel"], 200)
        self.assertIn("device=%r" % self.sim.path, repr(self.camera))
        self.camera.close()
        self.assertIn("closed", repr(self.camera))
        with self.assertRaises(ValueError):
            with self.camera:
                self.fail("the block of a closed camera ran")

    def test_a_trace_callback_that_uses_the_camera_is_told_so(self):
        def reentering(direction, data, ms):
            self.camera.get("GainLevel")
        self.camera.trace = reentering
        with self.assertRaisesRegex(RuntimeError, "trace callback"):
            self.camera.get("GainLevel")
        self.camera.trace = None
        self.assertEqual(self.camera.get("GainLevel"), self.camera.get(5))

    def test_a_closed_camera_refuses_every_call(self):
        self.camera.close()
        self.camera.close()
        self.assertTrue(self.camera.closed)
        for call in (lambda: self.camera.get("GainLevel"), self.camera.read_all, self.camera.info):
            with self.assertRaises(ValueError):
                call()

    def test_a_trace_that_raises_ends_the_call_with_its_exception(self):
        def broken(direction, data, ms):
            raise RuntimeError("trace broke")
        self.camera.trace = broken
        with self.assertRaisesRegex(RuntimeError, "trace broke"):
            self.camera.get("GainLevel")
        self.camera.trace = None
        self.assertEqual(self.camera.get("GainLevel"), self.camera.get("GainLevel"))


class Failures(unittest.TestCase):
    CASES = (
        (("--silent",), 5, "ERROR - Communication time out detected.\nCheck the connection."),
        (("--bad-check", "-1"), 25, None),
        (("--wrong-enq", "-1"), 20, "ERROR - Unexpected character received from camera unit."),
    )

    def test_codes_and_messages(self):
        for faults, code, message in self.CASES:
            with self.subTest(faults=faults), vqcam.Simulator(faults=faults) as sim, vqcam.open(sim.path) as camera:
                with self.assertRaises(vqcam.CommError) as failed:
                    camera.get("GainLevel")
                self.assertEqual(failed.exception.code, code)
                self.assertTrue(failed.exception.message.startswith("ERROR - "))
                if message:
                    self.assertEqual(failed.exception.message, message)
                self.assertIsInstance(failed.exception, vqcam.Error)

    def test_recovery_from_repeated_bad_replies(self):
        with vqcam.Simulator(baud=9600, faults=("--bad-check", "5")) as sim, vqcam.open(sim.path) as camera:
            self.assertEqual(camera.get("GainLevel"), 168)

    def test_the_link_check_is_a_typed_report_not_an_exception(self):
        rows = [((), "healthy", None), (("--bad-check", "2"), "faulty", None),
                (("--silent",), "failed", vqcam.Code.TIMEOUT)]
        for faults, verdict, failure in rows:
            with self.subTest(faults=faults), vqcam.Simulator(baud=115200, faults=faults) as sim, \
                    vqcam.open(sim.path, baud=115200) as camera:
                check = camera.check(1 if failure else 3)
                self.assertIsInstance(check, vqcam.LinkCheck)
                self.assertEqual((check.verdict, check.last_failure, check.baud), (verdict, failure, 115200))
                self.assertEqual(check.naks_from_host, 2 if faults[:1] == ("--bad-check",) else 0)
                self.assertIsInstance(check.last_failure, (vqcam.Code, type(None)))
                self.assertIn("verdict: " + verdict + "\n", check.report)
                self.assertEqual(check.low_latency, None, "a pseudo-terminal tells nothing of it")
                if not failure:
                    self.assertAlmostEqual(check.line, 32 * 10 / 115200, places=5)
                    self.assertGreaterEqual(check.worst, check.median)
        with vqcam.Simulator() as sim, vqcam.open(sim.path) as camera, self.assertRaises(ValueError):
            camera.check(0)

    def test_link_choices_that_cannot_be_opened(self):
        with self.assertRaises(vqcam.CommError) as failed:
            vqcam.open("/nonexistent/tty")
        self.assertEqual(failed.exception.code, 4)
        for kwargs in ({"baud": 19200}, {"com": 11}, {"device": ""}, {"camera_link": ""}):
            with self.subTest(kwargs=kwargs), self.assertRaises(ValueError):
                vqcam.open("/dev/null" if "device" not in kwargs else kwargs.pop("device"), **kwargs)

    def test_board_open_error_raises_at_open(self):
        library = os.environ.get("VQ_CLSERSIM")
        if not library:
            self.skipTest("VQ_CLSERSIM names no simulated grabber library")
        os.environ["CLSERSIM_INIT_FAIL"] = "1"
        self.addCleanup(os.environ.pop, "CLSERSIM_INIT_FAIL")
        with self.assertRaises(vqcam.CommError) as failed:
            vqcam.open(camera_link=library)
        self.assertEqual(failed.exception.code, vqcam.Code.PORT_NOT_OPEN)
        self.assertEqual((failed.exception.filename, failed.exception.strerror), (library, "Board Open Error"))

    def test_open_failures_say_what_and_why(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        fifo = os.path.join(folder.name, "fifo")
        os.mkfifo(fifo)
        with vqcam.Simulator() as sim, vqcam.open(sim.path):
            cases = (
                ({"device": "/nonexistent/tty"}, "/nonexistent/tty", errno.ENOENT),
                ({"device": sim.path, "com": 2}, sim.path, errno.EBUSY),  # held by the camera opened above
                ({"device": fifo}, fifo, errno.ENOTTY),
                ({"camera_link": "/nonexistent/libcl.so"}, "/nonexistent/libcl.so", errno.ENOENT),
            )
            for kwargs, filename, number in cases:
                with self.subTest(kwargs=kwargs), self.assertRaises(vqcam.CommError) as failed:
                    vqcam.open(**kwargs)
                e = failed.exception
                self.assertEqual((e.code, e.filename, e.errno), (vqcam.Code.CANNOT_OPEN_PORT, filename, number))
                self.assertEqual(e.strerror, os.strerror(number))
                self.assertEqual(e.message, "ERROR - Can not open communciation port.")
                self.assertIn(filename + ": " + os.strerror(number), str(e))

    def test_codes_have_names_and_the_operator_texts(self):
        self.assertEqual([int(c) for c in vqcam.Code], list(range(2, 28)))
        self.assertIs(vqcam.CommError(20, "x").code, vqcam.Code.UNEXPECTED_CHARACTER)
        for number in (0, 1, 28, 100):
            with self.subTest(number=number), self.assertRaises(ValueError):
                vqcam.CommError(number, "no such code")
        self.assertEqual(vqcam.Code.TIMEOUT.message, "ERROR - Communication time out detected.\nCheck the connection.")
        self.assertTrue(all(c.message.startswith("ERROR - ") for c in vqcam.Code))
        # A raised error carries its Code and that Code's text; test_codes_and_messages meets a real time-out.
        with vqcam.Simulator(faults=("--wrong-enq", "-1")) as sim, vqcam.open(sim.path) as camera:
            with self.assertRaises(vqcam.CommError) as failed:
                camera.send("01FF0104020000")
            self.assertIs(failed.exception.code, vqcam.Code.UNEXPECTED_CHARACTER)
            self.assertEqual(failed.exception.message, vqcam.Code.UNEXPECTED_CHARACTER.message)


    def test_a_comm_error_is_an_os_error_that_keeps_its_fields(self):
        with vqcam.Simulator(faults=("--silent",)) as sim, vqcam.open(sim.path) as camera:
            try:
                camera.get("GainLevel")
            except OSError as e:
                timed_out = e
        self.assertIsInstance(timed_out, vqcam.CommError)
        opened = None
        try:
            vqcam.open("/nonexistent/tty")
        except OSError as e:
            opened = e
        # (code, message, filename, errno, strerror, hint) as given: None stays None, errno is no code.
        rows = (
            (timed_out, (vqcam.Code.TIMEOUT, vqcam.Code.TIMEOUT.message, None, None, None, None)),
            (opened, (vqcam.Code.CANNOT_OPEN_PORT, "ERROR - Can not open communciation port.", "/nonexistent/tty",
                      errno.ENOENT, os.strerror(errno.ENOENT), None)),
            (vqcam.CommError(20, "m", "/dev/x", errno.EACCES, "denied", "join dialout"),
             (vqcam.Code.UNEXPECTED_CHARACTER, "m", "/dev/x", errno.EACCES, "denied", "join dialout")),
            (vqcam.CommError(5, "m", errno=errno.EIO), (vqcam.Code.TIMEOUT, "m", None, errno.EIO, None, None)),
        )
        for error, fields in rows:
            for e in (error, pickle.loads(pickle.dumps(error))):
                with self.subTest(error=error, copy=e is not error):
                    self.assertIs(type(e), vqcam.CommError)
                    self.assertIsInstance(e, OSError)
                    self.assertEqual((e.code, e.message, e.filename, e.errno, e.strerror, e.hint), fields)
                    self.assertIs(type(e.code), vqcam.Code)
                    self.assertEqual(str(e), str(error))
        self.assertEqual(str(rows[2][0]), "m\n/dev/x: denied\njoin dialout")
        self.assertEqual(str(timed_out), vqcam.Code.TIMEOUT.message)


class Detection(unittest.TestCase):
    """Each end of a detection, and the spot list after one that did not finish."""

    SPOTS = [(10, 20), (300, 5), (1000, 999)]
    # The state the camera ends in, the end it is, the operator's text.
    ENDS = (
        (2, vqcam.DetectionEnd.OVER, "Number of detect is over."),
        (3, vqcam.DetectionEnd.ERROR, "Detect error"),
        (7, vqcam.DetectionEnd.ERROR, "Detect error"),
    )

    def refused(self, camera, how):
        traced = Traced(camera)
        with self.assertRaises(vqcam.EarlierSpotsError) as refused:
            camera.spots()
        self.assertIn(how, refused.exception.message)
        self.assertIsInstance(refused.exception, vqcam.Error)
        self.assertEqual(traced.sent(), b"", "the refusal sent something")
        self.assertEqual(pickle.loads(pickle.dumps(refused.exception)).message, refused.exception.message)

    def test_an_end_other_than_finished_raises_and_its_list_is_refused(self):
        for state, end, message in self.ENDS:
            with self.subTest(state=state), vqcam.Simulator(faults=("--detect-outcome", str(state))) as sim, \
                    vqcam.open(sim.path) as camera:
                with self.assertRaises(vqcam.DetectionError) as ended:
                    camera.detect(timeout=10)
                for e in (ended.exception, pickle.loads(pickle.dumps(ended.exception))):
                    self.assertEqual((e.end, e.state, e.message, str(e)), (end, state, message, message))
                    self.assertIs(type(e.end), vqcam.DetectionEnd)
                self.assertIs(vqcam.DetectionEnd(state), end)
                self.refused(camera, message)
                self.assertEqual(camera.spots(earlier=True), self.SPOTS)
                self.refused(camera, message)

    def test_a_finished_run_returns_its_message_and_frees_the_list(self):
        with vqcam.Simulator(faults=("--detect-reads", "3")) as sim, vqcam.open(sim.path) as camera:
            self.assertEqual(camera.spots(), self.SPOTS, "no detection yet: the list is read")
            with self.assertRaises(TimeoutError):
                camera.detect(timeout=0.05)
            self.refused(camera, "time was up")
            self.assertEqual(camera.detect(timeout=30), "Detect is finished.")
            self.assertEqual(camera.spots(), self.SPOTS)
        with vqcam.Simulator(faults=("--detect-outcome", "0")) as sim, vqcam.open(sim.path) as camera:
            self.assertEqual(camera.detect(timeout=10), "Detect is finished.")
            self.assertEqual(camera.spots(earlier=True), camera.spots())

    def test_detection_ends_by_state(self):
        rows = ((0, vqcam.DetectionEnd.FINISHED), (2, vqcam.DetectionEnd.OVER), (3, vqcam.DetectionEnd.ERROR),
                (255, vqcam.DetectionEnd.ERROR), (-5, vqcam.DetectionEnd.ERROR))
        for state, end in rows:
            with self.subTest(state=state):
                self.assertIs(vqcam.DetectionEnd(state), end)
        for running in (1, True, "2", None):
            with self.subTest(running=running), self.assertRaises(ValueError):
                vqcam.DetectionEnd(running)


class Interrupt(unittest.TestCase):
    """Ctrl+C during any call: KeyboardInterrupt within a fraction of a second, raised as itself, and the
    camera still works."""

    SETTLE = 1.0  # the call has been waiting this long when the signal comes
    # Signals are looked at every 20 ms; a loaded machine may be several times slower to get there.
    LATEST = 0.25

    def interrupted(self, faults, call):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        settings = os.path.join(folder.name, "s.vq")
        with vqcam.Simulator(baud=115200) as plain, vqcam.open(plain.path, baud=115200) as camera:
            camera.save(settings)
        with vqcam.Simulator(baud=115200, faults=faults) as sim, vqcam.open(sim.path, baud=115200) as camera:
            sent = []
            timer = threading.Timer(self.SETTLE, lambda: (sent.append(time.monotonic()),
                                                          os.kill(os.getpid(), signal.SIGINT)))
            timer.start()
            try:
                with self.assertRaises(KeyboardInterrupt) as caught:
                    call(camera, settings, folder.name)
                    time.sleep(5)  # the call returned first: the signal lands here and fails the time check
                late = time.monotonic() - sent[0]
            finally:
                timer.cancel()
            self.assertLess(late, self.LATEST)
            self.assertIsNone(caught.exception.__context__)
            self.assertIsNone(caught.exception.__cause__)
            self.assertEqual(camera.get("GainLevel"), 168, "the camera is usable after the interrupt")

    CASES = (
        ("a read waiting for its reply", ("--missing-replies", "1"), lambda c, s, d: c.get("GainLevel")),
        ("read_all", ("--missing-replies", "1"), lambda c, s, d: c.read_all()),
        ("a write waiting for its ACK", ("--ignore-frames", "1"), lambda c, s, d: c.set("GainLevel", 168)),
        ("load", ("--ignore-frames", "1"), lambda c, s, d: c.load(s)),
        ("save", ("--missing-replies", "1"), lambda c, s, d: c.save(os.path.join(d, "new.vq"))),
        ("detect between its polls", ("--detect-reads", "100000"), lambda c, s, d: c.detect(timeout=60)),
        ("write_serial", ("--ignore-frames", "1"),
         lambda c, s, d: c.write_serial("1234567", log=os.path.join(d, "log.csv"))),
    )

    def test_every_call_stops_at_ctrl_c(self):
        for what, faults, call in self.CASES:
            with self.subTest(what):
                self.interrupted(faults, call)


class SimulatorLifetime(unittest.TestCase):
    def test_an_orphaned_simulator_ends_with_its_script(self):
        script = textwrap.dedent("""
            import sys, time, vqcam
            sim = vqcam.Simulator()
            print(sim._process.pid, flush=True)
            time.sleep(60)
        """)
        child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, text=True)
        pid = int(child.stdout.readline())
        child.stdout.close()
        child.kill()
        child.wait()
        # It ends as soon as its standard input closes; the bound only keeps a survivor from hanging the test.
        gone = time.monotonic() + 10.0
        while time.monotonic() < gone and self.alive(pid):
            time.sleep(0.02)
        self.assertFalse(self.alive(pid), "vq-camera-sim outlived the script that started it")

    def test_ctrl_c_in_the_terminal_leaves_the_simulator_to_the_clean_up(self):
        script = textwrap.dedent("""
            import time, vqcam
            with vqcam.Simulator() as sim, vqcam.open(sim.path) as camera:
                try:
                    print("ready", flush=True)
                    time.sleep(60)
                except KeyboardInterrupt:
                    print(camera["GainLevel"])
        """)
        # A process group of its own, as a terminal gives each command line.
        child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                 text=True, start_new_session=True)
        self.assertEqual(child.stdout.readline(), "ready\n")
        os.killpg(child.pid, signal.SIGINT)
        out, err = child.communicate(timeout=30)
        self.assertEqual((child.returncode, out, err), (0, "168\n", ""))

    def test_a_program_that_prints_no_terminal_is_given_up(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        program, pids = os.path.join(folder.name, "silent-sim"), os.path.join(folder.name, "pids")
        # It starts a child of its own too, which must not outlive it.
        with open(program, "w") as f:
            f.write("#!/bin/sh\nsleep 600 & echo $$ $! > %s\nexec sleep 600\n" % pids)
        os.chmod(program, 0o755)
        script = textwrap.dedent("""
            import vqcam
            try:
                vqcam.Simulator()
            except vqcam.Error as e:
                print(e)
        """)
        # Given up after its start time, not waited on for ever.
        done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                              timeout=6 * vqcam.Simulator._START_SECONDS, env=dict(os.environ, VQCAM_SIMULATOR=program))
        self.assertEqual((done.returncode, done.stderr), (0, ""))
        self.assertIn("did not start", done.stdout)
        with open(pids) as f:
            for pid in map(int, f.read().split()):
                self.assertFalse(self.alive(pid), "%d outlived the failed start" % pid)

    def test_the_build_trees_simulator_is_found_without_being_named_or_on_the_path(self):
        built = os.environ.get("VQCAM_SIMULATOR")
        if not built:
            self.skipTest("VQCAM_SIMULATOR names no built simulator")
        script = textwrap.dedent("""
            import shutil, vqcam
            assert shutil.which("vq-camera-sim") is None, shutil.which("vq-camera-sim")
            with vqcam.Simulator() as sim, vqcam.open(sim.path) as camera:
                print(vqcam._simulator_program())
                print(camera.info().model)
        """)
        env = {k: v for k, v in os.environ.items() if k != "VQCAM_SIMULATOR"}
        env["PATH"] = "/usr/bin:/bin"
        done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, env=env, timeout=30)
        self.assertEqual((done.returncode, done.stderr), (0, ""))
        program, model = done.stdout.splitlines()
        self.assertTrue(os.path.samefile(program, built), program)
        self.assertEqual(model, "VQ-R310NTX")

    @staticmethod
    def alive(pid):
        # The simulator was the killed script's child: once it ends, init reaps it.
        try:
            with open("/proc/%d/stat" % pid) as stat:
                return stat.read().split(") ")[1][0] != "Z"
        except FileNotFoundError:
            return False


class ScriptEnd:
    """A script ends while its daemon thread is inside a call: a normal exit, and the port let go."""

    RUNS = 20
    CALL = ""  # the Camera method the daemon thread calls over and over
    SCRIPT = textwrap.dedent("""
        import sys, threading, vqcam
        camera = vqcam.open(sys.argv[1], baud=9600)
        inside = threading.Event()
        def monitor():
            inside.set()
            while True:
                getattr(camera, sys.argv[2])()
        threading.Thread(target=monitor, daemon=True).start()
        inside.wait()
        threading.Event().wait(0.2)
    """)
    TIOCGEXCL = 0x80045440

    def exclusive(self, path):
        fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        try:
            return struct.unpack("i", fcntl.ioctl(fd, self.TIOCGEXCL, b"\0" * 4))[0] != 0
        finally:
            os.close(fd)

    def test_a_daemon_thread_inside_a_call(self):
        # A detection runs on for as long as the script does; at 9600 baud each call is long.
        with vqcam.Simulator(baud=9600, faults=("--detect-reads", "100000")) as sim:
            for run in range(self.RUNS):
                with self.subTest(call=self.CALL, run=run):
                    done = subprocess.run([sys.executable, "-c", self.SCRIPT, sim.path, self.CALL],
                                          capture_output=True, text=True, timeout=30)
                    self.assertEqual((done.returncode, done.stderr), (0, ""))
                    self.assertFalse(self.exclusive(sim.path), "the port was not closed")
                    with vqcam.open(sim.path, baud=9600) as camera:
                        self.assertEqual(camera["GainLevel"], 168)


# Two classes, so that the two halves run side by side.
class ScriptEndInsideADetection(ScriptEnd, unittest.TestCase):
    CALL = "detect"


class ScriptEndInsideReadAll(ScriptEnd, unittest.TestCase):
    CALL = "read_all"


class CamerasSideBySide(unittest.TestCase):
    """Each camera its own link: a serial camera and two Camera Link cameras on two ports of one board."""

    GAINS = (300, 400, 500)

    def test_each_keeps_its_own_values_and_closing_one_leaves_the_others(self):
        library = os.environ.get("VQ_CLSERSIM")
        if not library:
            self.skipTest("VQ_CLSERSIM names no simulated grabber library")
        for order in ((0, 1, 2), (2, 1, 0), (1, 0, 2)):
            with self.subTest(order=order), vqcam.Simulator(baud=115200) as sim:
                cameras = [vqcam.open(sim.path, baud=115200), vqcam.open(camera_link=library),
                           vqcam.open(camera_link=library, camera_link_port=1)]
                for camera in cameras:
                    self.addCleanup(camera.close)
                for camera, gain in zip(cameras, self.GAINS):
                    camera["GainLevel"] = gain
                self.assertEqual([camera["GainLevel"] for camera in cameras], list(self.GAINS))
                for which in order:
                    cameras[which].close()
                    for i, camera in enumerate(cameras):
                        if not camera.closed:
                            self.assertEqual(camera["GainLevel"], self.GAINS[i], (i, "after closing", which))

    def test_a_port_without_a_library_is_refused(self):
        with self.assertRaises(ValueError):
            vqcam.open("/dev/null", camera_link_port=1)


class BoardPorts(unittest.TestCase):
    """One owner per board port, as a serial device has one; a library that never returns from opening
    or closing a port is given up on Ctrl+C. Ports 2 and 3 stay taken once given up on."""

    # How late the interrupt may come, with the shell that sends it started on a loaded machine.
    LATEST = 0.5

    def setUp(self):
        self.library = os.environ.get("VQ_CLSERSIM")
        if not self.library:
            self.skipTest("VQ_CLSERSIM names no simulated grabber library")

    def test_a_held_board_port_is_refused_and_closing_the_refused_one_cuts_nothing_off(self):
        with vqcam.open(camera_link=self.library) as first:
            with self.assertRaises(vqcam.CommError) as refused:
                vqcam.open(camera_link=self.library, camera_link_port=0)
            e = refused.exception
            self.assertEqual((e.code, e.filename, e.errno), (vqcam.Code.CANNOT_OPEN_PORT, self.library, errno.EBUSY))
            with vqcam.open(camera_link=self.library, camera_link_port=1) as other:
                other["GainLevel"] = 300
            self.assertEqual(first["GainLevel"], 168)
        with vqcam.open(camera_link=self.library):
            pass  # free again once closed

    def interrupted_after(self, seconds, call):
        # From another process, as a terminal sends it: opening and closing hold the interpreter.
        sender = subprocess.Popen(["sh", "-c", "sleep %s; kill -INT %d" % (seconds, os.getpid())])
        self.addCleanup(sender.wait)
        started = time.monotonic()
        with self.assertRaises(KeyboardInterrupt):
            call()
            time.sleep(5)
        return time.monotonic() - started - seconds

    def test_an_open_or_a_close_that_never_returns_ends_on_ctrl_c(self):
        def stuck(entry):
            os.environ["CLSERSIM_NEVER_RETURN"] = entry
            self.addCleanup(os.environ.pop, "CLSERSIM_NEVER_RETURN", None)

        stuck("clSerialInit")
        self.assertLess(self.interrupted_after(0.3, lambda: vqcam.open(camera_link=self.library, camera_link_port=3)),
                        self.LATEST)
        os.environ.pop("CLSERSIM_NEVER_RETURN")
        camera = vqcam.open(camera_link=self.library, camera_link_port=2)
        self.assertEqual(camera["GainLevel"], 168)
        stuck("clSerialClose")
        self.assertLess(self.interrupted_after(0.3, camera.close), self.LATEST)
        self.assertTrue(camera.closed)


class Threads(unittest.TestCase):
    READS = 15

    def read_many(self, camera):
        for _ in range(self.READS):
            camera.get("GainLevel")

    def test_two_cameras_on_two_threads_take_the_time_of_one(self):
        with vqcam.Simulator(baud=9600) as a, vqcam.Simulator(baud=9600) as b, \
                vqcam.open(a.path) as first, vqcam.open(b.path, com=2) as second:
            start = time.monotonic()
            self.read_many(first)
            alone = time.monotonic() - start
            threads = [threading.Thread(target=self.read_many, args=(c,)) for c in (first, second)]
            start = time.monotonic()
            for t in threads:
                t.start()
            for t in threads:
                t.join()
            together = time.monotonic() - start
            self.assertLess(together, 1.5 * alone, "the interpreter lock was held during the exchanges")

    def test_one_camera_refuses_a_second_thread(self):
        with vqcam.Simulator(faults=("--silent",)) as sim, vqcam.open(sim.path) as camera:
            # The first ENQ on the line: the other thread is inside its call.
            inside = threading.Event()
            camera.trace = lambda direction, data, ms: inside.set()
            busy = threading.Thread(target=lambda: self.assertRaises(vqcam.CommError, camera.get, "GainLevel"))
            busy.start()
            self.assertTrue(inside.wait(10))
            with self.assertRaisesRegex(RuntimeError, "in use"):
                camera.get("GainLevel")
            busy.join()


if __name__ == "__main__":
    unittest.main()
