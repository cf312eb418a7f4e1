# Type stub for vqcam, so that editors complete and explain every name.
"""The VQ-R310NTX camera from Python.

Every exchange is the one vqctl and the windowed program make: the same bytes, retries and messages.
Exchanges release the interpreter lock, so cameras on several ports can be driven from several threads
at once; one Camera is used by one thread at a time.
"""

import os
from typing import Callable, NamedTuple, Optional, Sequence, Union

_Path = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

__version__: str

class Error(Exception):
    """The base of every error vqcam raises about the camera or its settings files."""

class CommError(Error):
    """The camera could not be reached or answered wrongly."""
    code: int
    """The communication error's number, 2 to 27."""
    message: str
    """The operator's text exactly as the windowed program's error box shows it."""
    def __init__(self, code: int, message: str) -> None: ...

class FileRefused(Error):
    """A settings file the program refuses to load; message has the file's full path."""
    message: str
    def __init__(self, message: str) -> None: ...

class Info(NamedTuple):
    """The camera's identification texts."""
    vendor: str
    model: str
    serial: str
    version: str

class Parameter(NamedTuple):
    """One row of the parameter table."""
    name: str
    index: int
    minimum: int
    maximum: int
    default: int
    write_all: bool
    """Whether Camera.load() writes the row."""
    read_all: bool
    """Whether Camera.read_all() reads the row."""

class Camera:
    """An open link to one camera; made by open(). A context manager: leaving the block closes it.

    Use one Camera from one thread at a time (a second thread gets RuntimeError). Failures of the line
    raise CommError with the operator's message; a closed camera raises ValueError.
    """
    closed: bool
    trace: Optional[Callable[[str, bytes, float], object]]
    """None, or a callable (direction, data, milliseconds) for every run of bytes sent (">") and received ("<")."""
    def close(self) -> None: ...
    def __enter__(self) -> "Camera": ...
    def __exit__(self, *exc: object) -> None: ...
    def get(self, name: str) -> int:
        """Reads one parameter; name as vqctl takes it ("GainLevel", "ParamGainLevel", "5"). KeyError if unknown."""
    def set(self, name: str, value: int) -> None:
        """Writes one parameter; outside the row's range ValueError, and nothing is sent."""
    def __getitem__(self, name: str) -> int: ...
    def __setitem__(self, name: str, value: int) -> None: ...
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
        """Delivers a hand-typed request text, as the manual command dialog does."""
    def query(self, text: str) -> str:
        """Delivers a request text and returns the reply's six data characters."""
    def detect(self, threshold: Optional[int] = None, *, timeout: float = 60.0) -> str:
        """Runs a white-spot detection and returns its end message; TimeoutError when it does not end in time."""
    def spots(self) -> list[tuple[int, int]]:
        """The white-spot list as (x, y) pairs."""
    def write_serial(self, number: str, *, digits: int = 7, log: _Path = "VQ-R310_AdjustData.csv") -> None:
        """Unlocks, checks and writes the serial number, then appends its adjustment-log row."""

def open(device: Optional[_Path] = None, *, com: Optional[int] = None, baud: int = 9600,
         camera_link: Optional[str] = None, camera_link_port: int = 0) -> Camera:
    """Opens a serial device (or COM com, 1 to 10) at 9600 or 115200 baud, or a Camera Link library
    ("Euresys", "Matrox" or a path) on the board's serial port camera_link_port (0, the first). Each
    camera has a link of its own. CommError when it cannot be opened."""

def parameters() -> list[Parameter]:
    """The parameter table's 47 rows."""

def read_file(path: _Path) -> dict[str, int]:
    """The 47 values of a settings file by name; FileRefused or OSError for a bad file."""

class Simulator:
    """The simulated camera (vq-camera-sim) on a pseudo-terminal, for a script's own tests."""
    path: str
    def __init__(self, *, baud: Optional[int] = None, faults: Sequence[str] = ()) -> None: ...
    def close(self) -> None: ...
    def __enter__(self) -> "Simulator": ...
    def __exit__(self, *exc: object) -> bool: ...
