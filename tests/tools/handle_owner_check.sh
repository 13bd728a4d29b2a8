#!/usr/bin/env bash
# No GDI or USER object of the program is created outside an owner that frees it. Every call that
# creates one must hand its result straight to a move-only owner (UniqueHandle and its aliases,
# the DIB section, a guard that releases a device context), or be one of the places listed below,
# each with what frees it. A new creation anywhere else fails the check: give it an owner, or list
# it here with its reason. With the owners' live counts (the soak test of the monitor window) this
# stands in for GetGuiResources, which answers 0 under Wine. Prints PASS/FAIL lines.
set -uo pipefail
cd "$(dirname "$0")/../.."

calls='CreateCompatibleDC|CreateDIBSection|CreateCompatibleBitmap|CreateBitmap|CreateFontW|CreateFontIndirectW|CreateSolidBrush|CreatePen|CreateRectRgn|CreateIconIndirect|CreateIconFromResourceEx|CopyImage|LoadImageW|CreatePopupMenu|CreateMenu|CreateWindowExW|GetDC|GetWindowDC'
# The same line gives the result to an owner: Reset(...), an owner's constructor, a member
# initialiser of an owner, or a guard that releases what it took.
owned='\.Reset\(|Unique[A-Za-z]*\(|Unique[A-Za-z]* +[A-Za-z_]+[({]|[a-z_]+_\((Create|GetDC)|Dc\(\) *: *dc_\(|: *[a-z_]+\(.*dc_\(GetDC'

# file, call, number of places, what frees them
allowed='
ui/monitor_form_win32.cpp CreateFontW 1 MakeFont: its callers put the font into an owner (windowFont_.Reset(MakeFont(...)))
ui/monitor_form_win32.cpp CreateWindowExW 2 the monitor window, destroyed by ~TKVRMonitorForm; its static texts, destroyed with it as its children
ui/info_form_win32.cpp CreateWindowExW 1 the about window, destroyed by its destructor (the window keeps its handle from WM_NCCREATE)
widgets/layered_form_win32.cpp CreateWindowExW 1 the layered window, destroyed by its destructor
widgets/q_progress_bar_win32.cpp CreateWindowExW 1 the bar, a child window destroyed by its destructor and with its parent
'

failures=0
found=$(grep -rnE "\b($calls)\(" --include='*.cpp' --include='*.h' app auth formats identity ui widgets tools |
  grep -vE "$owned" | grep -vE '^\S+:[0-9]+:\s*//')
declare -A counts=()
while IFS= read -r hit; do
  [[ -z "$hit" ]] && continue
  file=${hit%%:*}
  call=$(grep -oE "\b($calls)\(" <<<"$hit" | head -n 1 | tr -d '(')
  counts["$file $call"]=$(( ${counts["$file $call"]:-0} + 1 ))
done <<<"$found"

declare -A listed=()
while read -r file call number reason; do
  [[ -z "$file" ]] && continue
  listed["$file $call"]=$number
  have=${counts["$file $call"]:-0}
  if ((have == number)); then
    echo "PASS $file: $call in $number place(s) without an owner of its own: $reason"
  else
    echo "FAIL $file: $call listed for $number place(s) without an owner, found $have"
    failures=$((failures + 1))
  fi
done <<<"$allowed"

for key in "${!counts[@]}"; do
  if [[ -z "${listed[$key]:-}" ]]; then
    echo "FAIL ${key% *}: ${key#* } creates a GDI or USER object outside an owner:"
    grep -nE "\b${key#* }\(" "${key% *}" | grep -vE "$owned" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
done
((failures == 0)) && echo "PASS every GDI and USER object is created into an owner or listed above"
exit $((failures > 0))
