#!/usr/bin/env bash
# Completes vqctl command lines the way an interactive bash would, with the vqctl of a build.
# usage: check_completion.sh PACKAGING_DIR BUILD_DIR
set -uo pipefail
src=$1
build=$2
source /usr/share/bash-completion/bash_completion
source "$src/vqctl.bash-completion"
PATH="$build/cli:$PATH"
failures=0

completes() {
  local expected=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _vqctl
  if [ "${COMPREPLY[*]}" != "$expected" ]; then
    echo "FAIL: '$*' completes to '${COMPREPLY[*]}', not '$expected'"
    failures=$((failures + 1))
  fi
}

completes "read-all" vqctl rea
completes "set save show send spots" vqctl --device /dev/ttyUSB0 --baud 115200 s
completes "GainLevel" vqctl get GainL
completes "SerialNumber0 SerialNumber1 SerialNumber2 SerialNumber3 SerialNumberUnlock" vqctl --com 2 set SerialN
completes "" vqctl set GainLevel Gai
completes "9600 115200" vqctl --baud ""
completes "--digits" vqctl write-serial --d
completes "GainLevel" vqctl get gainl
completes "TriggerMode TriggerSource TriggerPolarity" vqctl set TRIG
completes "" vqctl set VendorN
completes "VendorName0 VendorName1 VendorName2 VendorName3 VendorName4 VendorName5 VendorName6 VendorName7" vqctl get vendorn
completes "" vqctl get Reser
completes "--timeout" vqctl detect --t
completes "--written" vqctl diff --w
completes "--json" vqctl read-all --
completes "--json" vqctl --j
exit $((failures > 0))
