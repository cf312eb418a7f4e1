#!/usr/bin/env bash
# Builds the Debian packages from a finished build (the programs, and python3-vqcam), checks both
# with lintian, and imports the Python package from the unpacked packages with Debian's own
# interpreter; then installs python3-vqcam into a root of its own and purges it.
# usage: check_package.sh BUILD_DIR [PYTHON]
set -euo pipefail
build=$1
python=${2:-/usr/bin/python3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
programs=$(find "$work" -maxdepth 1 -name 'vq-r310ntx_*.deb' | head -n 1)
python_deb=$(find "$work" -maxdepth 1 -name 'python3-vqcam_*.deb' | head -n 1)
[ -n "$programs" ] && [ -n "$python_deb" ] || { echo "FAIL: cpack did not make both packages"; cat "$work/cpack.log"; exit 1; }

# Every tag fails but the informational ones about .comment sections, which the toolchain writes.
for deb in "$programs" "$python_deb"; do
  report=$(lintian --tag-display-limit 0 -I --pedantic "$deb" 2>&1 || true)
  echo "$report"
  if grep -E '^[EWIPX]: ' <<<"$report" | grep -vE '^I: [^ ]+: binary-has-unneeded-section ' >/dev/null; then
    echo "FAIL: lintian reports tags for $(basename "$deb")"
    exit 1
  fi
done

# The programs' package does without python3; the module's depends on the programs'.
dpkg-deb -f "$programs" Depends | grep -q python3 && { echo "FAIL: the programs' package depends on python3"; exit 1; }
dpkg-deb -f "$python_deb" Depends | grep -q 'vq-r310ntx (= ' || { echo "FAIL: python3-vqcam does not depend on vq-r310ntx"; exit 1; }

dpkg-deb -x "$programs" "$work/root"
dpkg-deb -x "$python_deb" "$work/root"
for f in usr/bin/vq-r310ntx usr/bin/vqctl usr/bin/vq-camera-sim \
         usr/share/man/man1/vqctl.1.gz usr/share/man/man1/vq-r310ntx.1.gz usr/share/man/man1/vq-camera-sim.1.gz \
         usr/share/bash-completion/completions/vqctl usr/share/doc/vq-r310ntx/README.md \
         usr/share/doc/vq-r310ntx/copyright usr/share/doc/vq-r310ntx/changelog.gz \
         usr/share/doc/python3-vqcam/copyright; do
  [ -e "$work/root/$f" ] || { echo "FAIL: not in the packages: $f"; exit 1; }
done
# The package imports from the unpacked packages with Debian's interpreter, is typed, and finds the
# programs' simulated camera beside it.
site="$work/root/usr/lib/python3/dist-packages"
for f in vqcam/__init__.py vqcam/__init__.pyi vqcam/py.typed; do
  [ -e "$site/$f" ] || { echo "FAIL: not in python3-vqcam: $f"; exit 1; }
done
env -u VQCAM_SIMULATOR PYTHONPATH="$site" "$python" - "$work/root/usr/bin/vq-camera-sim" <<'PY' || { echo "FAIL: vqcam from the package"; exit 1; }
import os, sys, vqcam
with vqcam.Simulator() as sim, vqcam.open(sim.path) as camera:
    assert os.path.samefile(vqcam._simulator_program(), sys.argv[1]), vqcam._simulator_program()
    assert camera.info().model == "VQ-R310NTX"
PY
# Installed by dpkg into a root of its own (its maintainer scripts run here, told the root by
# DPKG_ROOT), python3-vqcam is byte-compiled; once purged, after an import too, nothing of it is left.
inst="$work/installed"
mkdir -p "$inst/var/lib/dpkg/info" "$inst/var/lib/dpkg/updates"
: >"$inst/var/lib/dpkg/status"
as_root=()
[ "$(id -u)" = 0 ] || as_root=(fakeroot)
in_root() { "${as_root[@]}" dpkg --root="$inst" --force-script-chrootless --force-depends "$@" >>"$work/dpkg.log" 2>&1 \
  || { cat "$work/dpkg.log"; echo "FAIL: dpkg $*"; exit 1; }; }
in_root -i "$python_deb"
installed_site="$inst/usr/lib/python3/dist-packages"
compiled=$(find "$installed_site/vqcam/__pycache__" -name '__init__.cpython-*.pyc' 2>/dev/null || true)
[ -n "$compiled" ] || { cat "$work/dpkg.log"; echo "FAIL: python3-vqcam is not byte-compiled at installation"; exit 1; }
env -u PYTHONDONTWRITEBYTECODE -u PYTHONPYCACHEPREFIX PYTHONPATH="$installed_site" "$python" -c 'import vqcam' || { echo "FAIL: vqcam from the installed package"; exit 1; }
in_root --purge python3-vqcam
left=$(find "$inst" -path "$inst/var/lib/dpkg" -prune -o -name '*vqcam*' -print)
[ -z "$left" ] || { echo "FAIL: left after purging python3-vqcam:"; echo "$left"; exit 1; }

echo "packages checked: $(basename "$programs") $(basename "$python_deb")"
