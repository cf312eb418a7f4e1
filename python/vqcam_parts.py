# The parts of vqcam that are plain Python: its exceptions, its records and the simulated camera.
import collections
import os
import shutil
import subprocess


class Error(Exception):
    """The base of every error vqcam raises about the camera or its settings files."""


class CommError(Error):
    """The camera could not be reached or answered wrongly.

    code is the communication error's number (2 to 27), message the operator's text exactly as the
    windowed program's error box shows it, for example "ERROR - Communication time out detected.".
    """

    def __init__(self, code, message):
        super().__init__(message)
        self.code = code
        self.message = message

    def __reduce__(self):
        return (type(self), (self.code, self.message))


class FileRefused(Error):
    """A settings file the program refuses to load: another program's file, a short file, no values.

    message is the operator's text, with the file's full path.
    """

    def __init__(self, message):
        super().__init__(message)
        self.message = message

    def __reduce__(self):
        return (type(self), (self.message,))


Info = collections.namedtuple("Info", "vendor model serial version")
Info.__doc__ = "The camera's identification texts."

Parameter = collections.namedtuple("Parameter", "name index minimum maximum default write_all read_all")
Parameter.__doc__ = ("One row of the parameter table: its name as vqctl takes it, its row index, its range and "
                     "default, whether load() writes it and whether read_all() reads it.")


def _simulator_program():
    here = os.path.dirname(os.path.abspath(__file__))
    # An installed module sits in PREFIX/lib/python3/dist-packages, the programs in PREFIX/bin.
    for candidate in (os.path.join(here, "..", "..", "..", "bin", "vq-camera-sim"), _BUILD_TREE_SIMULATOR):
        if candidate and os.access(candidate, os.X_OK):
            return os.path.normpath(candidate)
    found = shutil.which("vq-camera-sim")
    if found:
        return found
    raise FileNotFoundError("vq-camera-sim is neither installed beside vqcam nor on the PATH")


class Simulator:
    """The simulated camera (vq-camera-sim) on a pseudo-terminal, for a script's own tests.

        with vqcam.Simulator(baud=9600, faults=("--bad-check", "5")) as sim:
            with vqcam.open(sim.path, baud=9600) as camera:
                ...

    baud paces the line as a real one would (None: no pacing); faults are further vq-camera-sim
    options (vq-camera-sim --help lists them). path is the terminal to open.
    """

    def __init__(self, *, baud=None, faults=()):
        if isinstance(faults, (str, bytes)):
            raise TypeError("faults is a sequence of vq-camera-sim options, not one string")
        args = [_simulator_program()]
        if baud is not None:
            args += ["--baud", str(int(baud))]
        args += [str(f) for f in faults]
        self._process = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE, text=True)
        self.path = self._process.stdout.readline().strip()
        if not self.path:
            error = self._process.stderr.read().strip()
            self._process.wait()
            raise Error("vq-camera-sim did not start: " + (error or "no terminal path printed"))

    def close(self):
        """Stops the simulated camera; the terminal goes away."""
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        self._process.stdout.close()
        self._process.stderr.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def __repr__(self):
        return "<vqcam.Simulator path=%r>" % self.path
