#!/usr/bin/env bash
# The Windows test program (vq_tests.exe) under Wine as a workstation runs it: a virtual X
# display, Wine's virtual desktop with its taskbar and notification area, the workstation's own
# Wine prefix, and the reference access server for the end-to-end tests. Pass or fail is read
# from gtest's XML report; the program's exit status only adds a failure of its own.
#
#   tests/tools/windows_suite.sh WORKSTATION BUILD [FILTER]
#     WORKSTATION  english (ANSI 1252), russian (ANSI 1251, Russian messages and formats), or
#                  x86 (the 32-bit programs under the 32-bit Wine, English)
#     BUILD        the build folder holding tests/vq_tests.exe (build/windows, build/windows-x86)
#     FILTER       a gtest filter (or GTEST_FILTER, which ctest passes on); by default everything
#                  but the monitor window's soak, which runs on the Russian workstation only
#
# Prints the test program's output and a last line "windows suite WORKSTATION: N passed,
# N failed, N skipped"; exits 0 when the report exists, shows no failure and at least one test
# ran, and the program ended with status 0. The report and the access server's log go to
# $VQ_TEST_LOGS (BUILD/test-logs by default).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root" || exit 1
workstation=${1:?workstation: english, russian or x86}
build=$(cd "${2:?build folder}" && pwd) || exit 1
filter=${3:-${GTEST_FILTER:-}}
source scripts/wine-desktop
source tests/tools/reference_server.sh

case $workstation in
  english) ;;
  russian) vq_use_russian_workstation ;;
  x86) vq_use_32bit_windows ;;
  *) echo "windows_suite: unknown workstation '$workstation'" >&2; exit 2 ;;
esac
if [[ -z "$filter" ]]; then
  if [[ $workstation == russian ]]; then filter='*'; else filter='-MonitorSoak.*'; fi
fi

logs=${VQ_TEST_LOGS:-$build/test-logs}
mkdir -p "$logs"
report="$logs/windows-suite-$workstation.xml"
rm -f "$report"

if ! vq_prepare_wine_prefix; then
  echo "windows suite $workstation: the Wine prefix $WINEPREFIX could not be prepared"
  exit 1
fi
if ! vq_start_wine_user_server; then
  echo "windows suite $workstation: the reference access server did not start"
  exit 1
fi
xvfb-run -a -s "-screen 0 1024x768x24" \
  wine explorer /desktop=vqtest,1024x768 "$build/tests/vq_tests.exe" --gtest_filter="$filter" \
  --gtest_output="xml:$(winepath -w "$report" 2>/dev/null)" 2>&1
status=$?
vq_stop_wine_user_server "$logs/windows-suite-$workstation-access-server.log"
wineserver -k 2>/dev/null || true

python3 - "$report" "$workstation" "$status" <<'PY'
import sys
import xml.etree.ElementTree as ET

path, workstation, status = sys.argv[1], sys.argv[2], int(sys.argv[3])
try:
    cases = ET.parse(path).getroot().iter("testcase")
except (OSError, ET.ParseError) as error:
    print(f"windows suite {workstation}: no report ({error})")
    sys.exit(1)
passed = failed = skipped = 0
for case in cases:
    if case.find("failure") is not None or case.find("error") is not None:
        failed += 1
    elif case.get("result") == "skipped" or case.find("skipped") is not None:
        skipped += 1
    elif case.get("status", "run") == "run":
        passed += 1
if status != 0 and failed == 0:
    # The report was written, but the program ended badly after it (a crash on the way out).
    print(f"windows suite {workstation}: vq_tests.exe ended with status {status}")
    failed = 1
print(f"windows suite {workstation}: {passed} passed, {failed} failed, {skipped} skipped")
sys.exit(0 if failed == 0 and passed > 0 else 1)
PY
