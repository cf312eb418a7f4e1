# Type stub for vqcam, so that editors complete and explain every name and mypy checks scripts.
"""The VQ-R310NTX camera from Python.

Every exchange is the one vqctl and the windowed program make: the same bytes, retries and messages.
Exchanges release the interpreter lock, so cameras on several ports can be driven from several threads
at once; one Camera is used by one thread at a time. Ctrl+C stops any call within a fraction of a
second with KeyboardInterrupt, and the camera stays usable.

Simulator starts the simulated camera, vq-camera-sim: the program VQCAM_SIMULATOR names when it is
set, else the one installed beside the package, else the build tree's beside this build's package,
else the first on the PATH.
"""

import enum
import os
from typing import Callable, Literal, NamedTuple, Optional, Sequence, Union, final

_Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

__all__ = [
    "AdjustmentLogError", "Camera", "Code", "CommError", "DetectionEnd", "DetectionError", "EarlierSpotsError", "Error",
    "FileRefused", "Info", "LinkCheck", "Parameter", "Port", "Simulator", "__version__", "open", "parameters", "ports",
    "read_file",
]

__version__: str

class Error(Exception):
    """The base of every error vqcam raises about the camera or its settings files."""

class Code(enum.IntEnum):
    """The communication error codes; each member's message is the operator's text for it."""
    INVALID_PORT_NUMBER = 2
    PORT_NOT_OPEN = 3
    CANNOT_OPEN_PORT = 4
    TIMEOUT = 5
    BAD_SIZE = 6
    MISSING_OVERLAP = 7
    PURGE_FAILURE = 8
    LINE_BREAK = 9
    FRAMING = 10
    IO_ERROR = 11
    MODE_ERROR = 12
    OVERRUN = 13
    RECEIVE_BUFFER_FULL = 14
    PARITY = 15
    TRANSMIT_BUFFER_FULL = 16
    PARALLEL_UNSELECTED = 17
    PARALLEL_TIMEOUT = 18
    PAPER_EMPTY = 19
    UNEXPECTED_CHARACTER = 20
    BAD_REPLY_SIZE = 21
    NO_STX = 22
    NO_ETX = 23
    INVALID_CHARACTER = 24
    CHECKSUM_MISMATCH = 25
    ILLEGAL_MESSAGE_SIZE = 26
    TOO_LONG_MESSAGE = 27
    @property
    def message(self) -> str:
        """The operator's text, as the windowed program's error box shows it."""

class CommError(Error, OSError):
    """The camera could not be reached or answered wrongly; also an OSError ("except OSError" catches it).

    A link that could not be opened also says which one (filename) and why (errno, strerror), and for
    a device the user may not open, who may (hint); each is None where there is nothing to say.
    """
    code: Code
    """The communication error's Code."""
    message: str
    """The operator's text exactly as the windowed program's error box shows it."""
    filename: Optional[str]
    # None where the system gave no cause, as an OSError made from fewer than two arguments has them.
    errno: Optional[int]  # type: ignore[assignment]
    strerror: Optional[str]  # type: ignore[assignment]
    hint: Optional[str]
    def __init__(self, code: int, message: str, filename: Optional[str] = None, errno: Optional[int] = None,
                 strerror: Optional[str] = None, hint: Optional[str] = None) -> None: ...

class DetectionEnd(enum.IntEnum):
    """How a white-spot detection ended: FINISHED (state 0), OVER (2, more spots than the camera lists) or
    ERROR (any other state; DetectionEnd(state) takes every state but 1, running)."""
    FINISHED = 0
    OVER = 2
    ERROR = 3

class DetectionError(Error):
    """Camera.detect() ended other than finished: the camera's spot list is not this run's."""
    end: DetectionEnd
    """OVER or ERROR."""
    state: int
    """The detection state the camera gave (2 for OVER, any other number for ERROR)."""
    message: str
    """The operator's text: "Number of detect is over." or "Detect error"."""
    def __init__(self, state: int, message: str) -> None: ...

class EarlierSpotsError(Error):
    """Camera.spots() after this camera's last detection did not finish: the list is an earlier run's.

    Nothing was read; spots(earlier=True) reads it all the same.
    """
    message: str
    """How the last detection ended."""
    def __init__(self, message: str) -> None: ...

class FileRefused(Error):
    """A settings file the program refuses to load; message is the operator's text, filename the file."""
    message: str
    filename: Optional[str]
    def __init__(self, message: str, filename: Optional[str] = None) -> None: ...

class AdjustmentLogError(Error, OSError):
    """write_serial() wrote the number into the camera but not its row into the adjustment log.

    filename is the log's full path; errno and strerror the system's cause where it gave one (errno None
    when another program holds the log open, strerror then the operator's text).
    """
    serial_written: bool
    def __init__(self, errno: Optional[int], strerror: str, filename: Optional[str],
                 serial_written: bool = True) -> None: ...

class Info(NamedTuple):
    """The camera's identification texts."""
    vendor: str
    model: str
    serial: str
    version: str

class LinkCheck(NamedTuple):
    """What Camera.check() found about the line."""
    verdict: str
    """"healthy", "slow", "faulty" (reads repeated or refused) or "failed"."""
    reads: int
    failures: int
    last_failure: Optional[Code]
    retries: int
    naks_from_camera: int
    naks_from_host: int
    line_errors: int
    baud: Optional[int]
    """None on a Camera Link channel, whose speed is the board's."""
    line: float
    """One clean read's bytes on the line, in seconds; 0.0 when the baud rate is not known."""
    median: float
    worst: float
    turnaround_median: float
    turnaround_worst: float
    driver: Optional[str]
    adapter: Optional[str]
    low_latency: Optional[bool]
    latency_timer_ms: Optional[int]
    advice: list[str]
    report: str
    """The whole report, as vqctl check prints it."""

class Parameter(NamedTuple):
    """One row of the parameter table."""
    name: str
    """The name vqctl and Camera.get() take."""
    index: int  # type: ignore[assignment]
    """The row index (also a name get() takes); the field shadows tuple.index()."""
    minimum: int
    maximum: int
    default: int
    write_all: bool
    """Whether Camera.load() writes the row."""
    read_all: bool
    """Whether Camera.read_all() reads the row."""
    label: str
    """The name the control panel shows."""
    unit: Optional[str]
    """What one step of the value means, where the panel's read-out is no plain number."""

class Port(NamedTuple):
    """A link open() can take."""
    kind: str
    """"serial" or "camera_link"."""
    name: str
    path: str
    com: Optional[int]
    """The COM number the program's settings assign to a serial device; None if none does."""

@final
class Camera:
    """An open link to one camera; made by open(). A context manager: leaving the block closes it.

    Use one Camera from one thread at a time (a second thread gets RuntimeError). Failures of the line
    raise CommError with the operator's message; a closed camera raises ValueError.
    """
    def __init__(self, *args: object, **kwargs: object) -> None:
        """Not for scripts: open() makes cameras (TypeError)."""
    @property
    def closed(self) -> bool: ...
    @property
    def device(self) -> Optional[str]:
        """The serial device opened (the one COM com stands for, given com= alone); None on Camera Link."""
    @property
    def baud(self) -> Optional[int]:
        """The serial line's baud rate; None on Camera Link, whose speed is the board's."""
    @property
    def com(self) -> Optional[int]:
        """The COM number open() was given (com=); None when it was given none, and on Camera Link."""
    @property
    def camera_link(self) -> Optional[str]:
        """The Camera Link choice open() was given ("Euresys", "Matrox" or a library path); None on a serial line."""
    @property
    def camera_link_port(self) -> Optional[int]:
        """The board's serial port on Camera Link; None on a serial line."""
    @property
    def trace(self) -> Optional[Callable[[str, bytes, float], object]]:
        """None, or a callable (direction, data, milliseconds) for every run of bytes sent (">") and received ("<")."""
    @trace.setter
    def trace(self, trace: Optional[Callable[[str, bytes, float], object]]) -> None: ...
    def close(self) -> None: ...
    def __enter__(self) -> "Camera": ...
    def __exit__(self, *args: object) -> None: ...
    def get(self, name: Union[str, int]) -> int:
        """Reads one parameter; name as vqctl takes it ("GainLevel", "ParamGainLevel", "5") or the row index."""
    def set(self, name: Union[str, int], value: int) -> None:
        """Writes one parameter; outside the row's range ValueError, and nothing is sent."""
    def __getitem__(self, name: Union[str, int]) -> int: ...
    def __setitem__(self, name: Union[str, int], value: int) -> None: ...
    def read_all(self) -> dict[str, int]:
        """The 46 readable rows, in table order."""
    def save(self, path: _Path) -> None:
        """Reads all parameters into a settings file, replaced whole or left as it was (OSError)."""
    def load(self, path: _Path) -> None:
        """Sends a settings file's 21 write-all rows to the camera; FileRefused or OSError for a bad file."""
    def diff(self, path: _Path, rows: Literal["all", "written"] = "all") -> dict[str, tuple[int, int]]:
        """Name to (camera_value, file_value) for each readable row where the camera and the file differ;
        rows="written" compares only the rows load() writes (a file from another camera then compares
        equal once loaded); any other rows is a ValueError."""
    def info(self) -> Info:
        """The camera's vendor, model, serial number and version."""
    def send(self, text: str) -> None:
        """Delivers a hand-typed request text ("01FF0104020000"), as the manual command dialog does."""
    def query(self, text: str) -> str:
        """Delivers a request text ("01FF810C000000") and returns the reply's six data characters: three
        bytes, each high digit first; a Common-area value most significant byte first, padded with 00 on
        the right (Gain Level 168 is "00A800"), any other area's lowest byte first."""
    def detect(self, threshold: Optional[int] = None, *, timeout: float = 60.0) -> str:
        """Runs a white-spot detection; returns "Detect is finished." when it finished. DetectionError for
        any other end (OVER, ERROR); TimeoutError when it does not end in time."""
    def check(self, reads: int = 20) -> LinkCheck:
        """Times reads (1 to 1000) of the gain level against the line and says what slows or spoils it."""
    def spots(self, *, earlier: bool = False) -> list[tuple[int, int]]:
        """The white-spot list as (x, y) pairs. EarlierSpotsError, and nothing sent, after this camera's
        last detection did not finish, unless earlier=True."""
    def write_serial(self, number: str, *, digits: int = 7, log: _Path = "VQ-R310_AdjustData.csv") -> None:
        """Unlocks, checks and writes the serial number, then appends its adjustment-log row (Shift-JIS,
        CR LF line ends); AdjustmentLogError when the camera holds the number but the log has no row."""

def open(device: Optional[_Path] = None, *, com: Optional[int] = None, baud: int = 9600,
         camera_link: Optional[_Path] = None, camera_link_port: int = 0) -> Camera:
    """Opens a serial device (or COM com, 1 to 10) at 9600 or 115200 baud, or a Camera Link library
    ("Euresys", "Matrox" or a path) on the board's serial port camera_link_port (0, the first). Each
    camera has a link of its own. CommError when it cannot be opened."""

def parameters() -> list[Parameter]:
    """The parameter table's 47 rows."""

def ports() -> list[Port]:
    """The serial devices and Camera Link libraries open() can take."""

def read_file(path: _Path) -> dict[str, int]:
    """The 47 values of a settings file by name; FileRefused or OSError for a bad file."""

class Simulator:
    """The simulated camera (vq-camera-sim) on a pseudo-terminal, for a script's own tests.

    The program is VQCAM_SIMULATOR's when it is set, else the installed one beside the package, else the
    build tree's, else the first on the PATH.
    """
    path: str
    def __init__(self, *, baud: Optional[int] = None, faults: Sequence[str] = ()) -> None: ...
    def close(self) -> None: ...
    def __enter__(self) -> "Simulator": ...
    def __exit__(self, *exc: object) -> None: ...
