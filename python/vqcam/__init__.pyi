# Type stub for vqcam, so that editors complete and explain every name and mypy checks scripts.
"""The VQ-R310NTX camera from Python.

Every exchange is the one vqctl and the windowed program make: the same bytes, retries and messages.
Exchanges release the interpreter lock, so cameras on several ports can be driven from several threads
at once; one Camera is used by one thread at a time. Ctrl+C stops any call within a fraction of a
second with KeyboardInterrupt, and the camera stays usable.
"""

import enum
import os
from typing import Callable, NamedTuple, Optional, Sequence, Union, final

_Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

__all__ = [
    "AdjustmentLogError", "Camera", "Code", "CommError", "Error", "FileRefused", "Info", "LinkCheck", "Parameter",
    "Port", "Simulator", "__version__", "open", "parameters", "ports", "read_file",
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

class CommError(Error):
    """The camera could not be reached or answered wrongly.

    A link that could not be opened also says which one (filename) and why (errno, strerror), and for
    a device the user may not open, who may (hint).
    """
    code: Code
    """The communication error's Code."""
    message: str
    """The operator's text exactly as the windowed program's error box shows it."""
    filename: Optional[str]
    errno: Optional[int]
    strerror: Optional[str]
    hint: Optional[str]
    def __init__(self, code: int, message: str, filename: Optional[str] = None, errno: Optional[int] = None,
                 strerror: Optional[str] = None, hint: Optional[str] = None) -> None: ...

class FileRefused(Error):
    """A settings file the program refuses to load; message is the operator's text, filename the file."""
    message: str
    filename: Optional[str]
    def __init__(self, message: str, filename: Optional[str] = None) -> None: ...

class AdjustmentLogError(Error, OSError):
    """write_serial() wrote the number into the camera but not its row into the adjustment log."""
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
    def diff(self, path: _Path) -> dict[str, tuple[int, int]]:
        """Name to (camera_value, file_value) for each readable row where the camera and the file differ."""
    def info(self) -> Info:
        """The camera's vendor, model, serial number and version."""
    def send(self, text: str) -> None:
        """Delivers a hand-typed request text ("01FF0104020000"), as the manual command dialog does."""
    def query(self, text: str) -> str:
        """Delivers a request text ("01FF810C000000") and returns the reply's six data characters."""
    def detect(self, threshold: Optional[int] = None, *, timeout: float = 60.0) -> str:
        """Runs a white-spot detection and returns its end message; TimeoutError when it does not end in time."""
    def check(self, reads: int = 20) -> LinkCheck:
        """Times reads (1 to 1000) of the gain level against the line and says what slows or spoils it."""
    def spots(self) -> list[tuple[int, int]]:
        """The white-spot list as (x, y) pairs."""
    def write_serial(self, number: str, *, digits: int = 7, log: _Path = "VQ-R310_AdjustData.csv") -> None:
        """Unlocks, checks and writes the serial number, then appends its adjustment-log row."""

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
    """The simulated camera (vq-camera-sim) on a pseudo-terminal, for a script's own tests."""
    path: str
    def __init__(self, *, baud: Optional[int] = None, faults: Sequence[str] = ()) -> None: ...
    def close(self) -> None: ...
    def __enter__(self) -> "Simulator": ...
    def __exit__(self, *exc: object) -> None: ...
