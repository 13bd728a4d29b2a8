#!/usr/bin/env bash
# The Debian package of scripts/release: out/release/vq_VERSION-1_amd64.deb by default, or the one
# given as the argument; scripts/release builds it when it is missing. Its control fields and its
# list of files with their owners and modes (dpkg-deb -I, -c); then, unpacked into a root of its
# own (dpkg-deb -x), each file where it should be: the program, the autostart entry and its Exec,
# the example /etc/vq/vq.ini read as the client reads it (the native test program's test of the
# shipped example, run on the unpacked file), the documentation Debian asks for; then lintian,
# which must report no error. Prints PASS/FAIL lines. VQ_NATIVE_BUILD names another native build
# folder (default build/native).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
source tests/tools/checks.sh
SECONDS=0

version=$(sed -n 's/^project(vq VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=${1:-out/release/vq_${version}-1_amd64.deb}
tests="${VQ_NATIVE_BUILD:-build/native}/tests/vq_tests"
if [[ ! -f "$deb" ]]; then
  echo "== $deb is missing: running scripts/release"
  if ! scripts/release; then
    echo "FAIL scripts/release builds $deb"
    exit 1
  fi
fi
echo "== $deb"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ---- Control ----------------------------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
check "Package vq, Version $version-1, Architecture amd64" \
  equals "$(field Package) $(field Version) $(field Architecture)" "vq $version-1 amd64"
maintainer_well_formed() { [[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^@\>]+\>$ ]]; }
check "Maintainer is a name and a mail address: $(field Maintainer)" maintainer_well_formed
depends=$(field Depends)
echo "   Depends: $depends"
# Named by dpkg-shlibdeps from what the program loads: the C and C++ runtimes, Qt's three
# libraries (the X11 platform plugin is in libqt5gui5) and zlib, each with a version.
depends_on() {
  local name
  name=$(sed 's/[+.]/\\&/g' <<<"$1")
  sed 's/ *[,|] */\n/g' <<<"$depends" | grep -qxE "$name \(>= [^)]+\)"
}
for package in libc6 libstdc++6 libgcc-s1 libqt5core5a libqt5gui5 libqt5widgets5 zlib1g; do
  check "Depends names $package with its least version" depends_on "$package"
done
dpkg-deb -e "$deb" "$work/control"
check "conffiles: /etc/vq/vq.ini and the autostart entry, kept over upgrades when changed" \
  equals "$(cat "$work/control/conffiles" | tr '\n' ' ')" "/etc/vq/vq.ini /etc/xdg/autostart/vq.desktop "
check "the control files are the control, conffiles and md5sums" \
  equals "$(ls "$work/control" | tr '\n' ' ')" "conffiles control md5sums "

# ---- Contents ---------------------------------------------------------------------------------
# Mode, owner and path of every entry, as dpkg-deb -c lists them.
listing=$(dpkg-deb -c "$deb" | awk '{ print $1, $2, $6 }' | LC_ALL=C sort -k3)
expected=$(LC_ALL=C sort -k3 <<'LIST'
drwxr-xr-x root/root ./
drwxr-xr-x root/root ./etc/
drwxr-xr-x root/root ./etc/vq/
-rw-r--r-- root/root ./etc/vq/vq.ini
drwxr-xr-x root/root ./etc/xdg/
drwxr-xr-x root/root ./etc/xdg/autostart/
-rw-r--r-- root/root ./etc/xdg/autostart/vq.desktop
drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/vq
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/vq/
-rw-r--r-- root/root ./usr/share/doc/vq/changelog.Debian.gz
-rw-r--r-- root/root ./usr/share/doc/vq/copyright
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/vq.1.gz
LIST
)
same_listing() {
  [[ "$listing" == "$expected" ]] && return 0
  diff -u --label expected --label dpkg-deb <(echo "$expected") <(echo "$listing") | sed 's/^/  /'
  return 1
}
check "dpkg-deb -c: these files and folders, owned by root, with these modes" same_listing

# ---- Unpacked ---------------------------------------------------------------------------------
unpacked="$work/root"
dpkg-deb -x "$deb" "$unpacked"
program="$unpacked/usr/bin/vq"
elf_program() { file -b "$program" | grep -qE '^ELF 64-bit LSB pie executable, x86-64.*, stripped$'; }
check "/usr/bin/vq is a stripped x86-64 PIE program" elf_program
libraries_found() { ! ldd "$program" | grep 'not found'; }
check "/usr/bin/vq finds every library it needs on this Debian (ldd)" libraries_found
hardened() { readelf -d "$program" | grep -q 'BIND_NOW' && readelf -lW "$program" | grep -q 'GNU_RELRO'; }
check "/usr/bin/vq is linked with full RELRO" hardened
sums_match() { (cd "$unpacked" && md5sum --check --quiet "$work/control/md5sums"); }
check "md5sums match the unpacked files" sums_match

entry="$unpacked/etc/xdg/autostart/vq.desktop"
key() { sed -n "s/^$1=//p" "$entry"; }
check "autostart entry: Exec=env QT_QPA_PLATFORM=xcb vq (X11, the package's program by name)" \
  equals "$(key Exec)" "env QT_QPA_PLATFORM=xcb vq"
check "autostart entry: an application, in no menu, enabled where GNOME starts it" \
  equals "$(key Type) $(key NoDisplay) $(key X-GNOME-Autostart-enabled) $(key Terminal)" \
  "Application true true false"
check "autostart entry: no Hidden=true or OnlyShowIn that would keep it from some desktop" \
  equals "$(key Hidden)$(key OnlyShowIn)$(key NotShowIn)" ""

ini="$unpacked/etc/vq/vq.ini"
check "/etc/vq/vq.ini is installer/linux/vq.ini" cmp "$ini" installer/linux/vq.ini
example_reads() {
  local log
  log=$(VQ_EXAMPLE_INI="$ini" "$tests" \
    --gtest_filter='PosixConfigSourcesTest.ShippedExampleGivesTheDefaultUntilItsLineIsUncommented' 2>&1)
  grep -q '^\[  PASSED  \] 1 test' <<<"$log" && return 0
  grep -E 'Failure|Expected|Which is|Value of' <<<"$log" | head -n 10 | sed 's/^/  /'
  return 1
}
check "/etc/vq/vq.ini as the client reads it: the built-in default until its ServerName line is uncommented" \
  example_reads

changelog_names_version() { zcat "$unpacked/usr/share/doc/vq/changelog.Debian.gz" | head -n 1 | grep -qF "vq ($version-1)"; }
check "changelog.Debian.gz names version $version-1" changelog_names_version
manual_page() { zcat "$unpacked/usr/share/man/man1/vq.1.gz" | grep -qF "vq $version"; }
check "the manual page vq(1) names version $version" manual_page
check "copyright is in Debian's machine-readable format" \
  equals "$(head -n 1 "$unpacked/usr/share/doc/vq/copyright")" \
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"

# ---- lintian ----------------------------------------------------------------------------------
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1
lintian_status=$?
sed 's/^/   lintian: /' "$work/lintian.txt"
no_lintian_errors() { ((lintian_status == 0)) && ! grep -q '^E: ' "$work/lintian.txt"; }
check "lintian reports no error" no_lintian_errors

echo "== $deb: $passes passed, $failures failed, ${SECONDS} s"
((failures == 0))
