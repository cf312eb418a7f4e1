"""The VQ-R310NTX camera from Python.

    import vqcam
    with vqcam.open("/dev/ttyUSB0") as camera:
        camera["GainLevel"] = 300
        print(camera.read_all())

Every exchange is the one vqctl and the windowed program make: the same bytes, retries and messages.
Exchanges release the interpreter lock, so cameras on several ports can be driven from several
threads at once; one Camera is used by one thread at a time. Ctrl+C stops any call within a fraction
of a second with KeyboardInterrupt, and the camera stays usable.

Simulator starts the simulated camera, vq-camera-sim: the program VQCAM_SIMULATOR names when it is
set, else the one installed beside the package, else the build tree's beside this build's package,
else the first on the PATH.
"""
import atexit
import collections
import enum
import os
import select
import shutil
import signal
import subprocess
import time

__all__ = [
    "AdjustmentLogError", "Camera", "Code", "CommError", "DetectionEnd", "DetectionError", "EarlierSpotsError", "Error",
    "FileRefused", "Info", "LinkCheck", "Parameter", "Port", "Simulator", "__version__", "open", "parameters", "ports",
    "read_file",
]


class Error(Exception):
    """The base of every error vqcam raises about the camera or its settings files."""


class CommError(Error, OSError):
    """The camera could not be reached or answered wrongly; also an OSError, as a serial port's
    failure is in Python, so "except OSError" catches it too.

    code is the communication error's Code (an int), message the operator's text exactly as the
    windowed program's error box shows it, for example "ERROR - Communication time out detected.".
    A link that could not be opened also says which one and why: filename (the device or library),
    errno and strerror (the system's cause, where it gave one) and hint (who may use a device the
    user may not, as vqctl prints it); each is None where there is nothing to say.
    """

    def __init__(self, code, message, filename=None, errno=None, strerror=None, hint=None):
        # Not OSError's own (errno, strerror, filename): args stay (code, message), as they were before
        # CommError was an OSError, and each attribute is set as given below.
        super().__init__(code, message)
        # Always a Code: ValueError for a number that names none.
        self.code = Code(code)
        self.message = message
        self.filename = filename
        self.errno = errno
        self.strerror = strerror
        self.hint = hint

    def __str__(self):
        lines = [self.message]
        if self.filename:
            lines.append(self.filename + (": " + self.strerror if self.strerror else ""))
        if self.hint:
            lines.append(self.hint)
        return "\n".join(lines)

    def __reduce__(self):
        return (type(self), (int(self.code), self.message, self.filename, self.errno, self.strerror, self.hint))


class FileRefused(Error):
    """A settings file the program refuses to load: another program's file, a short file, no values,
    or a value outside its row's range.

    message is the operator's text, filename the file's full path.
    """

    def __init__(self, message, filename=None):
        super().__init__(message)
        self.message = message
        self.filename = filename

    def __reduce__(self):
        return (type(self), (self.message, self.filename))


class AdjustmentLogError(Error, OSError):
    """write_serial() wrote the serial number into the camera, but not its row into the adjustment log.

    serial_written is True: the camera holds the new number. filename is the log, strerror why.
    """

    def __init__(self, errno, strerror, filename, serial_written=True):
        super().__init__(errno, strerror, filename)
        self.serial_written = serial_written

    def __str__(self):
        return "the serial number was written to the camera, but its adjustment-log row was not: %s: %s" % (
            self.filename, self.strerror)

    def __reduce__(self):
        return (type(self), (self.errno, self.strerror, self.filename, self.serial_written))


class DetectionEnd(enum.IntEnum):
    """How a white-spot detection ended, by the camera's state when it stopped running: FINISHED (0), its
    list is this run's; OVER (2), more spots than the camera can list; ERROR, any other state (the
    camera's own number is DetectionError.state). DetectionEnd(state) takes any state but 1, running."""

    FINISHED = 0
    OVER = 2
    ERROR = 3

    @classmethod
    def _missing_(cls, value):
        if isinstance(value, int) and not isinstance(value, bool) and value != 1:
            return cls.ERROR
        return None


class DetectionError(Error):
    """Camera.detect() ran to an end other than finished, so the camera's spot list is not this run's.

    end is the DetectionEnd (OVER or ERROR), state the number the camera gave, message the operator's
    text exactly as the white-spot dialog shows it: "Number of detect is over." or "Detect error".
    """

    def __init__(self, state, message):
        super().__init__(state, message)
        self.state = state
        self.end = DetectionEnd(state)
        self.message = message

    def __str__(self):
        return self.message

    def __reduce__(self):
        return (type(self), (self.state, self.message))


class EarlierSpotsError(Error):
    """Camera.spots() after this Camera's last detection did not finish (it ended over or in error, ran
    out of time, or the line failed): the camera's list is an earlier run's, so nothing is read.
    message says how the detection ended; spots(earlier=True) reads the list all the same.
    """

    def __init__(self, message):
        super().__init__(message)
        self.message = message

    def __reduce__(self):
        return (type(self), (self.message,))


Info = collections.namedtuple("Info", "vendor model serial version")
Info.__doc__ = "The camera's identification texts."

LinkCheck = collections.namedtuple(
    "LinkCheck", "verdict reads failures last_failure retries naks_from_camera naks_from_host line_errors baud "
                 "line median worst turnaround_median turnaround_worst driver adapter low_latency "
                 "latency_timer_ms advice report")
LinkCheck.__doc__ = (
    "What Camera.check() found: verdict \"healthy\", \"slow\", \"faulty\" (reads repeated or refused) or "
    "\"failed\" (last_failure the Code of the last failed read, else None); the counts; baud (None on Camera "
    "Link); times in seconds: line is one clean read's bytes on the line (0.0 when the baud rate is not known), "
    "median and worst each read's time, turnaround_* from this end's last byte to the answer's first; what the "
    "system tells of the device (None where it tells nothing); advice, one sentence per cause; report, the "
    "whole text as vqctl check prints it.")

Parameter = collections.namedtuple("Parameter",
                                   "name index minimum maximum default write_all read_all label unit")
Parameter.__doc__ = ("One row of the parameter table: its name as vqctl takes it, its row index, its range and "
                     "default, whether load() writes it and whether read_all() reads it, the name the control "
                     "panel shows and the unit of its values (None where it has none).")

Port = collections.namedtuple("Port", "kind name path com")
Port.__doc__ = ("A link open() can take: kind \"serial\" (name and path the device, com the COM number the "
                "program's settings assign to it, or None) or \"camera_link\" (name \"Euresys\", \"Matrox\" or "
                "the library, path the library file, com None).")


def _simulator_program():
    # Named, then the one that came with this package (installed or built), then the PATH: a build's
    # package runs its own build's simulator, never an older one that happens to be on the PATH.
    named = os.environ.get("VQCAM_SIMULATOR")
    if named:
        return named
    here = os.path.dirname(os.path.abspath(__file__))
    # An installed package sits in PREFIX/lib/python3/dist-packages/vqcam, the programs in PREFIX/bin;
    # in a build tree the package is BUILD/python/vqcam and the simulator BUILD/sim/vq-camera-sim.
    for beside in (os.path.join(here, "..", "..", "..", "..", "bin", "vq-camera-sim"),
                   os.path.join(here, "..", "..", "sim", "vq-camera-sim")):
        beside = os.path.normpath(beside)
        if os.path.isfile(beside) and os.access(beside, os.X_OK):
            return beside
    found = shutil.which("vq-camera-sim")
    if found:
        return found
    raise FileNotFoundError("vq-camera-sim is neither named by VQCAM_SIMULATOR, installed beside vqcam, in its "
                            "build tree nor on the PATH")


class Simulator:
    """The simulated camera (vq-camera-sim) on a pseudo-terminal, for a script's own tests.

        with vqcam.Simulator(baud=9600, faults=("--bad-check", "5")) as sim:
            with vqcam.open(sim.path, baud=9600) as camera:
                ...

    baud paces the line as a real one would (None: no pacing); faults are further vq-camera-sim
    options (vq-camera-sim --help lists them; camera states such as ("--detect-outcome", "2") too).
    path is the terminal to open. The simulator ends with close(), and by itself when the script
    ends, however it ends.

    The program is the one the environment variable VQCAM_SIMULATOR names, else the one installed
    beside the package (PREFIX/bin), else the build tree's (BUILD/sim, beside BUILD/python), else the
    first vq-camera-sim on the PATH; FileNotFoundError when there is none.
    """

    # How long its program may take to print the terminal's path.
    _START_SECONDS = 5.0

    def __init__(self, *, baud=None, faults=()):
        if isinstance(faults, (str, bytes)):
            raise TypeError("faults is a sequence of vq-camera-sim options, not one string")
        args = [_simulator_program(), "--end-with-stdin"]
        if baud is not None:
            args += ["--baud", str(int(baud))]
        args += [str(f) for f in faults]
        # Its standard input is a pipe only this process writes to: when the process ends, killed or
        # not, the pipe closes and the simulator ends too. A session of its own keeps the terminal's
        # Ctrl+C, and any signal to the script's process group, from ending it under the script.
        self._process = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE, bufsize=0, start_new_session=True)
        try:
            line = self._first_line(time.monotonic() + self._START_SECONDS)
        except BaseException:
            self._end_at_start()
            raise
        self.path = os.fsdecode(line).strip() if line is not None else ""
        if not self.path:
            error = self._end_at_start()
            if not error:
                error = "no terminal path printed" + (" within %g s" % self._START_SECONDS if line is None else "")
            raise Error("vq-camera-sim did not start: " + error)

    def _end_at_start(self):
        """Ends a program that did not start as the simulator: its whole session, so nothing it started
        outlives it; returns what it wrote on standard error."""
        try:
            os.killpg(self._process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self._process.wait()
        error = self._process.stderr.read().decode(errors="replace").strip()
        self._close_pipes()
        return error

    def _first_line(self, deadline):
        """The program's first line of output (b"" when it ended first), or None when none came by deadline."""
        line = b""
        out = self._process.stdout.fileno()
        while b"\n" not in line:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([out], [], [], left)[0]:
                return None
            chunk = os.read(out, 4096)
            if not chunk:
                break
            line += chunk
        return line.split(b"\n", 1)[0]

    def _close_pipes(self):
        for pipe in (self._process.stdin, self._process.stdout, self._process.stderr):
            if pipe is not None and not pipe.closed:
                pipe.close()

    def close(self):
        """Stops the simulated camera; the terminal goes away."""
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        self._close_pipes()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __repr__(self):
        return "<vqcam.Simulator path=%r>" % self.path


# The compiled part raises the classes above, so it is loaded after them.
from vqcam import _vqcam  # noqa: E402
from vqcam._vqcam import Camera, __version__, open, parameters, ports, read_file  # noqa: E402

Camera.__module__ = __name__


def _code_message(code):
    """The operator's text, as the windowed program's error box shows it."""
    return _vqcam._code_message(int(code))


# The names and numbers are the compiled part's own table: the codes are written down once.
Code = enum.IntEnum("Code", _vqcam._code_names(), module=__name__)
Code.__doc__ = "The communication error codes; each member's message is the operator's text for it."
Code.message = property(_code_message)

# Registered here, so it runs after the exit handlers a script registers later, which may still use
# their cameras.
atexit.register(_vqcam._leave_calls_behind)
