"""200 get and 200 set calls through one open vqcam.Camera against vq-camera-sim paced at 9600 and
115200 baud, each against the time its bytes need on the line (10 bits a byte)."""
import sys
import time

import vqcam

CALLS = 200
GET_BYTES = 32  # ENQ, ACK, 18-byte request frame, ACK, 10-byte reply, ACK
SET_BYTES = 21  # ENQ, ACK, 18-byte request frame, ACK
TARGETS = {9600: 1.05, 115200: 1.15}


def measure(kind, baud, camera, call, bytes_per_call):
    start = time.monotonic()
    for i in range(CALLS):
        call(i)
    elapsed = time.monotonic() - start
    line = CALLS * bytes_per_call * 10 / baud
    ratio = elapsed / line
    print("vqcam %s %d: %d calls, %.3f s, line %.3f s, ratio %.3f (target %.2f)"
          % (kind, baud, CALLS, elapsed, line, ratio, TARGETS[baud]), flush=True)
    return ratio <= TARGETS[baud]


def main():
    met = True
    for baud in TARGETS:
        with vqcam.Simulator(baud=baud) as sim, vqcam.open(sim.path, baud=baud) as camera:
            met &= measure("get", baud, camera, lambda i: camera.get("GainLevel"), GET_BYTES)
            met &= measure("set", baud, camera, lambda i: camera.set("GainLevel", i % 672), SET_BYTES)
    print("targets: %s" % ("met" if met else "MISSED"))
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
