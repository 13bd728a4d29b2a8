# Sourced by the check scripts that print PASS/FAIL lines: check DESCRIPTION COMMAND... runs the
# command and prints the line (prefixed with check_label when set), counting passes and failures;
# equals ACTUAL EXPECTED compares two texts and shows both when they differ.
passes=0
failures=0
check_label=

check() {
  local what=$1
  shift
  if "$@"; then
    echo "PASS ${check_label:+$check_label: }$what"
    passes=$((passes + 1))
  else
    echo "FAIL ${check_label:+$check_label: }$what"
    failures=$((failures + 1))
  fi
}

equals() { [[ "$1" == "$2" ]] || { echo "  got: '$1'  expected: '$2'"; return 1; }; }
