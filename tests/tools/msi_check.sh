#!/usr/bin/env bash
# A Windows Installer package of scripts/release: out/release/vq.msi (x64) by default, or the one
# given as the argument (out/release/vq-x86.msi, 32-bit); scripts/release builds them when it is
# missing. Its tables, the family it shares with the other architecture's package beside it, then
# under Wine, in a prefix of its own (a 32-bit one for the 32-bit package), a real install,
# optional feature, uninstall, the address given at install (SERVERNAME), an upgrade and a removal
# while the client runs, and in the 64-bit prefix the 32-bit package of the same version over the
# 64-bit one. Prints PASS/FAIL lines, each with the package's architecture.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
msi=${1:-out/release/vq.msi}
name=$(basename "$msi")
SECONDS=0
source "$root/tests/tools/checks.sh"

if [[ ! -f "$msi" ]]; then
  echo "== $msi is missing: running scripts/release"
  if ! scripts/release; then
    echo "FAIL scripts/release builds $msi"
    exit 1
  fi
fi

version=$(sed -n 's/^project(vq VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
upgrade_code=$(sed -n 's/.*<?define UpgradeCode = "\([^"]*\)".*/\1/p' installer/vq.wxs)

# The package's architecture, from the platform of its summary information's Template ("x64;1033"
# or "Intel;1033"), and what follows from it: the program folder's property, the folder of the
# programs it was built from, its components' attributes (256: 64-bit), the registry view they
# write to, the objdump format of its programs, wixl's options for a package of it, the other
# architecture's package, and the Wine prefix it is tried in (the 32-bit package as on 32-bit
# Windows, in a prefix of the 32-bit Wine).
template=$(msiinfo suminfo "$msi" 2>/dev/null | tr -d '\r' | sed -n 's/^Template: //p')
case ${template%%;*} in
  x64) arch=x64 program_files=ProgramFiles64Folder bin=. component_attributes=256 view=64
    format=pei-x86-64 wixl_arch=(-a x64) other=vq-x86.msi prefix=wineprefix-msi winearch=win64 ;;
  Intel) arch=x86 program_files=ProgramFilesFolder bin=x86 component_attributes=0 view=32
    format=pei-i386 wixl_arch=(-a x86 -D Win64=no) other=vq.msi prefix=wineprefix-msi-x86 winearch=win32 ;;
  *) echo "FAIL $msi: its summary information's Template '$template' is neither x64 nor Intel"; exit 1 ;;
esac
check_label=$arch  # every line names the architecture
# Both beside the package, as scripts/release leaves them.
bin=$(realpath --relative-to=. "$(dirname "$msi")/$bin")
other="$(dirname "$msi")/$other"
echo "== $msi: $arch package, programs from $bin, Wine prefix build/$prefix"
work=$(mktemp -d)

# ---- Tables -----------------------------------------------------------------------------------
table() {  # table NAME [PACKAGE]: the rows only, tab-separated
  msiinfo export "${2:-$msi}" "$1" | tail -n +4 | tr -d '\r'
}
property() { table Property "${2:-$msi}" | awk -F'\t' -v p="$1" '$1 == p { print $2 }'; }
# The FILEVERSION of a program's version resource, a.b.c.d.
file_version() {
  python3 - "$1" <<'PY2'
import struct, sys
data = open(sys.argv[1], 'rb').read()
at = data.find(struct.pack('<I', 0xFEEF04BD))  # VS_FIXEDFILEINFO
if at < 0:
    sys.exit(1)
high, low = struct.unpack_from('<II', data, at + 8)
print(f'{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}')
PY2
}

# One family for both architectures: the same UpgradeCode, so that either package replaces the
# other; other component codes, as their files go to other folders.
check "Property UpgradeCode is the package family's constant $upgrade_code, in $other too" \
  equals "$(property UpgradeCode) $(property UpgradeCode "$other")" "$upgrade_code $upgrade_code"
check "Component: no component code is shared with $other" equals \
  "$(comm -12 <(table Component | cut -f2 | sort) <(table Component "$other" | cut -f2 | sort))|$(table Component | wc -l)" \
  "|3"
check "Property ProductVersion is the project version $version" equals "$(property ProductVersion)" "$version"
check "Property ALLUSERS is 1 (per-machine)" equals "$(property ALLUSERS)" 1
check "Property Manufacturer is Tolmar" equals "$(property Manufacturer)" Tolmar
check "summary information: Template $template is English, its programs (as in $bin) are $format" \
  equals "${template#*;} $(objdump -f "$bin/vq.exe" "$bin/vq-probe.exe" | sed -n 's/.*file format //p' | sort -u)" \
  "1033 $format"
# Public, with no value of its own, and handed to the elevated part of an install (UAC).
check "Property SERVERNAME has no default and is in SecureCustomProperties" equals \
  "$(property SERVERNAME)|$(property SecureCustomProperties | tr ';' '\n' | grep -x SERVERNAME)" '|SERVERNAME'

check "Directory: INSTALLDIR is $program_files\\Tolmar\\vq" equals \
  "$(table Directory | awk -F'\t' '{ parent[$1] = $2; name[$1] = $3 }
     END { d = "INSTALLDIR"; p = name[d]
           while (parent[d] != "" && parent[d] != "TARGETDIR") { d = parent[d]; p = (parent[d] == "TARGETDIR" ? d : name[d]) "\\" p }
           print p }')" \
  "$program_files\\Tolmar\\vq"
# File rows: name, component, and the size of the program scripts/release built.
for row in "vq.exe Program" "vq-probe.exe Probe" "vq.ini ServerIniFile"; do
  set -- $row
  size=$( [[ $1 == vq.ini ]] && stat -c %s installer/vq.ini || stat -c %s "$bin/$1")
  check "File $1 belongs to component $2 with $size bytes" equals \
    "$(table File | awk -F'\t' -v f="$1" '$3 == f { print $2 " " $4 }')" "$2 $size"
done
# Without a Version, Windows Installer takes vq.exe for an unversioned file, and its rules for
# those could keep an older installed vq.exe in an upgrade. A versioned file has no hash.
check "File vq.exe has the Version $version.0 of its version resource, and no MsiFileHash row" equals \
  "$(table File | awk -F'\t' '$3 == "vq.exe" { print $5 }') $(file_version "$bin/vq.exe")|$(table MsiFileHash |
     awk -F'\t' '$1 == "vq.exe"')" "$version.0 $version.0|"
check "Component: the three components have attributes $component_attributes ($arch) and go to INSTALLDIR" equals \
  "$(table Component | awk -F'\t' '{ print $1 ":" $3 ":" $4 }' | sort | tr '\n' ' ')" \
  "Probe:INSTALLDIR:$component_attributes Program:INSTALLDIR:$component_attributes ServerIniFile:INSTALLDIR:$component_attributes "
check "Feature: Client is installed by default (level 1), ServerIni only when asked (level above 1)" \
  equals "$(table Feature | awk -F'\t' '{ print $1 ":" ($6 > 1 ? "optional" : "default") }' | sort | tr '\n' ' ')" \
  "Client:default ServerIni:optional "
check "FeatureComponents: Client holds vq.exe and vq-probe.exe, ServerIni holds vq.ini" equals \
  "$(table FeatureComponents | awk -F'\t' '{ print $1 ":" $2 }' | sort | tr '\n' ' ')" \
  "Client:Probe Client:Program ServerIni:ServerIniFile "
check "Registry: HKLM Run value vq is the quoted program path and the server argument, and the address is kept" \
  equals "$(table Registry | awk -F'\t' '{ print $2 "|" $3 "|" $4 "|" $5 "|" $6 }' | sort | tr '\n' ' ')" \
  '2|Software\Microsoft\Windows\CurrentVersion\Run|vq|"[INSTALLDIR]vq.exe"[VqServerArgument]|Program 2|Software\Tolmar\vq|SERVERNAME|[SERVERNAME]|Program '
# A repair or upgrade must find the kept address where the Program component wrote it.
check "RegLocator: the kept address is read from the registry view the Program component writes" equals \
  "$(table RegLocator | awk -F'\t' '$1 == "SavedServerName" { print int($5 / 16) % 2 }')" \
  "$(table Component | awk -F'\t' '$1 == "Program" { print int($4 / 256) % 2 }')"
check "RegLocator: and from the other view, where the other architecture's package keeps it" equals \
  "$(table RegLocator | awk -F'\t' '$1 == "SavedServerNameOtherView" { print int($5 / 16) % 2 }')" \
  "$(table Component | awk -F'\t' '$1 == "Program" { print 1 - int($4 / 256) % 2 }')"
check "LaunchCondition: a wrong SERVERNAME ends the install with the reason as the message" \
  grep -qxF "NOT ServerNameError	[ServerNameError]" <(table LaunchCondition)
# The family's Upgrade rows, one a line: the property FindRelatedProducts sets, the versions it
# matches (> or >= VersionMin, < or <= VersionMax), and whether RemoveExistingProducts removes
# the products found or they are only detected.
upgrade_rows=$(table Upgrade | awk -F'\t' -v u="$upgrade_code" '$1 == u {
  low = $2 == "" ? "" : (int($5 / 256) % 2 ? ">=" : ">") $2
  high = $3 == "" ? "" : (int($5 / 512) % 2 ? "<=" : "<") $3
  print $7 " " low (low != "" && high != "" ? " " : "") high " " (int($5 / 2) % 2 ? "detected" : "removed") }')
for row in "WIX_UPGRADE_DETECTED <$version removed:an older version is replaced" \
  "WIX_DOWNGRADE_DETECTED >$version detected:a newer one is only detected (to block a downgrade)" \
  "SAMEVERSIONFOUND >=$version removed:the same version (the other architecture's) is replaced"; do
  check "Upgrade: ${row#*:} (${row%%:*})" grep -qxF "${row%%:*}" <<<"$upgrade_rows"
done
check "Upgrade: the family has these three rows only" equals "$(wc -l <<<"$upgrade_rows")" 3
# Where the install runs elevated, only the secure properties reach RemoveExistingProducts.
check "Property SecureCustomProperties holds the properties of the family's Upgrade rows" equals \
  "$(comm -23 <(cut -d' ' -f1 <<<"$upgrade_rows" | sort) <(property SecureCustomProperties | tr ';' '\n' | sort))" ""
# SERVERNAME is an Upgrade row's property only to be in SecureCustomProperties: the row must
# only detect (never remove) and name another family, which no product has.
check "Upgrade: the row of SERVERNAME only detects, in another family" equals \
  "$(table Upgrade | awk -F'\t' -v u="$upgrade_code" '$7 == "SERVERNAME" { print ($1 != u) " " int($5 / 2) % 2 }')" \
  "1 1"
check "InstallExecuteSequence removes the older product" \
  grep -q '^RemoveExistingProducts' <(table InstallExecuteSequence)

# ---- Under Wine -------------------------------------------------------------------------------
export WINEPREFIX="$root/build/$prefix" WINEARCH=$winearch
source scripts/wine-desktop
if [[ $arch == x86 ]] && ! vq_host_runs_32bit_programs; then
  echo "== not installed under the 32-bit Wine: this machine cannot execute 32-bit programs"
  echo "== $arch package $msi: $passes passed, $failures failed, ${SECONDS} s"
  rm -rf "$work"
  ((failures == 0))
  exit
fi
# In the 32-bit prefix too: 32-bit Windows has one Program Files.
install_dir="$WINEPREFIX/drive_c/Program Files/Tolmar/vq"
program='C:\Program Files\Tolmar\vq\vq.exe'
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# reg.exe is told the registry view the package's components write to ($view), whatever the
# bitness of the reg.exe that `wine` starts.
trap 'wineserver -k 2>/dev/null; vq_stop_composited_screen; rm -rf "$work"' EXIT
# The tray program needs an X screen (the composited one of the demo), there from the start so
# that the prefix's desktop process has it too.
check "an X screen for the client" vq_start_composited_screen "$work"

# Made afresh every time: a run leaves a file behind on purpose (the removal while the client
# runs), and a prefix made by another Wine setup (before wine32 was installed) cannot start
# 32-bit programs.
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w

msiexec() { wine msiexec "$@" >"$work/msiexec.log" 2>&1; }
winlog() { winepath -w "$work/$1" 2>/dev/null; }  # a log file in the work folder, as Windows names it
reg_value() {  # reg_value KEY NAME: the value's data, empty when there is none
  wine reg query "$1" /v "$2" /reg:$view 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
run_value() { reg_value "$run_key" vq; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
registered() { reg_value "$uninstall_key\\$1" DisplayVersion; }
products() {  # the product codes registered for Add/Remove Programs as Veltrano vq, one a line
  wine reg query "$uninstall_key" /s /reg:$view 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ { key = $0; sub(/.*\\/, "", key) } /^ +DisplayName +REG_SZ +Veltrano vq$/ { print key }'
}
installed_as_built() { cmp -s "$install_dir/$1" "$bin/$1"; }
absent() { [[ ! -e "$1" ]]; }
nothing_installed() { [[ ! -e "$install_dir" && -z "$(run_value)" && -z "$(products)" ]]; }
files_gone() { [[ ! -e "$install_dir/vq.exe" && ! -e "$install_dir/vq-probe.exe" && ! -e "$install_dir/vq.ini" ]]; }
ini_server() { tr -d '\r' 2>/dev/null <"$install_dir/vq.ini" | sed -n 's/^ServerName=//p'; }
# Wine's exit status is the Windows one modulo 256.
status_is() { local status=$1 expected=$2; equals "$status" $((expected % 256)); }

code=$(product_code "$msi")
# The commands as the administrator's guide gives them.
check "msiexec /i $name /qn /norestart /l*v LOG succeeds and writes the log" \
  msiexec /i "$msi" /qn /norestart /l*v "$(winlog install.log)"
check "the install log is written" test -s "$work/install.log"
check "vq.exe is installed in C:\\Program Files\\Tolmar\\vq" installed_as_built vq.exe
check "vq-probe.exe is installed in C:\\Program Files\\Tolmar\\vq" installed_as_built vq-probe.exe
check "vq.ini is not installed by default" absent "$install_dir/vq.ini"
check "without SERVERNAME the Run value starts vq.exe alone at every logon" \
  equals "$(run_value)" "\"$program\""
check "the product is registered with version $version" equals "$(registered "$code")" "$version"

check "msiexec /i $name ADDLOCAL=Client,ServerIni /qn adds the optional feature" \
  msiexec /i "$msi" ADDLOCAL=Client,ServerIni /qn
check "vq.ini names the default server" equals "$(ini_server)" "http://gate.corp.local/"

check "msiexec /x $name /qn succeeds" msiexec /x "$msi" /qn
check "uninstall removes vq.exe, vq-probe.exe and vq.ini" files_gone
check "uninstall removes the program folder" absent "$install_dir"
check "uninstall removes the Run value" equals "$(run_value)" ""
check "uninstall unregisters the product" equals "$(registered "$code")" ""

# ---- The address given at install ------------------------------------------------------------
refused() {  # refused VALUE: the install fails, and its log gives the reason
  ! msiexec /i "$msi" "SERVERNAME=$1" /qn /l*v "$(winlog refused.log)" &&
    grep -qF "SERVERNAME=$1 is not an access server address" "$work/refused.log"
}
for wrong in 'https://gate.corp.example/' 'http://gate.corp.example' 'gate/' 'http://gate corp/'; do
  check "SERVERNAME=$wrong is refused with the reason in the log" refused "$wrong"
  check "SERVERNAME=$wrong leaves nothing installed" nothing_installed
done

address=http://127.0.0.1:9/
check "msiexec /i $name SERVERNAME=$address /qn succeeds" msiexec /i "$msi" SERVERNAME=$address /qn
check "the Run value starts vq.exe with server=$address" \
  equals "$(run_value)" "\"$program\" server=$address"
# A repair is given no SERVERNAME: the package takes back the address it kept.
wine reg delete "$run_key" /v vq /f /reg:$view >/dev/null 2>&1
check "a repair without SERVERNAME (REINSTALL=ALL) succeeds" \
  msiexec /i "$msi" REINSTALL=ALL REINSTALLMODE=omus /qn
check "after the repair the Run value has server=$address again" \
  equals "$(run_value)" "\"$program\" server=$address"

# ---- Upgrade and removal while the client runs ------------------------------------------------
# As Wine does them (the administrator's guide tells what Windows does instead): Wine's Windows
# Installer closes no program (no restart manager), so the running vq.exe cannot be replaced and
# the new one replaces it at the next restart; a removal leaves it where it is.
# set_file_version PROGRAM a.b.c: FILEVERSION and PRODUCTVERSION become a.b.c.0 (the texts of the
# resource keep the old version), so that a copy of vq.exe stands for the next version's.
set_file_version() {
  python3 - "$1" "$2" <<'PY2'
import struct, sys
path, version = sys.argv[1], sys.argv[2]
data = bytearray(open(path, 'rb').read())
at = data.find(struct.pack('<I', 0xFEEF04BD))
major, minor, patch = map(int, version.split('.'))
struct.pack_into('<IIII', data, at + 8, major << 16 | minor, patch << 16, major << 16 | minor, patch << 16)
open(path, 'wb').write(data)
PY2
}
client() {  # the ids of the processes that run the installed vq.exe (it is mapped into them)
  local maps
  for maps in /proc/[0-9]*/maps; do
    grep -qF "$install_dir/vq.exe" "$maps" 2>/dev/null && { maps=${maps#/proc/}; echo "${maps%/maps}"; }
  done
}
image() { awk -v f="$install_dir/vq.exe" 'index($0, f) { print $5; exit }' "/proc/$1/maps" 2>/dev/null; }  # its inode
logon() {  # starts what the Run value says, as a logon does, and waits for the client
  printf '@start "" %s\r\n' "$(run_value)" >"$work/logon.cmd"
  wine cmd /c "$(winlog logon.cmd)" >/dev/null 2>&1
  for _ in $(seq 100); do [[ -n "$(client)" ]] && return 0; sleep 0.1; done
  return 1
}
restart() {  # as a restart of Windows: every process ends, then the renames waiting for it are done
  wineserver -k
  wineserver -w
  wine wineboot -r >/dev/null 2>&1
}
runs_installed() {  # runs_installed VERSION: one client runs, the vq.exe on disk, of that version
  local pid
  pid=$(client)
  [[ "$pid" =~ ^[0-9]+$ ]] || { echo "  clients running: ${pid:-none}"; return 1; }
  equals "$(image "$pid") $(file_version "$install_dir/vq.exe")" "$(stat -c %i "$install_dir/vq.exe") $1.0"
}
logon_runs() { logon && runs_installed "$1"; }
runs_as_before() { equals "$(client)" "$first" && runs_installed "$1"; }
pending_renames() { reg_value 'HKLM\System\CurrentControlSet\Control\Session Manager' PendingFileRenameOperations; }
only_program_left() { [[ -e "$install_dir/vq.exe" && ! -e "$install_dir/vq-probe.exe" ]]; }
left_for_good() { [[ -e "$install_dir/vq.exe" && -z "$(pending_renames)" ]]; }

check "the client starts as the Run value says, from the program folder" logon_runs "$version"
first=$(client)

# The next version: the same programs, vq.exe with the next version in its version resource.
next="${version%.*}.$((${version##*.} + 1))"
newer="$work/vq-$next.msi"
mkdir "$work/next"
cp "$bin/vq.exe" "$bin/vq-probe.exe" "$work/next/"
set_file_version "$work/next/vq.exe" "$next"
build_next() {  # as scripts/release builds a package, vq.exe's File Version included
  wixl "${wixl_arch[@]}" -D Version="$next" \
    -D BinDir="$(realpath --relative-to=installer "$work/next")" -D IniDir=. -o "$newer" installer/vq.wxs &&
    msibuild "$newer" -q "UPDATE File SET Version = '$next.0' WHERE File = 'vq.exe'" \
      -q "DELETE FROM MsiFileHash WHERE File_ = 'vq.exe'"
}
check "wixl builds a $next package" build_next
newer_code=$(product_code "$newer" 2>/dev/null)

msiexec /i "$newer" /qn
status=$?
check "with the client running, msiexec /i of $next over $version asks for a restart (3010)" status_is $status 3010
check "after the upgrade one product is registered, $next" \
  equals "$(products) $(registered "$newer_code")" "$newer_code $next"
check "after the upgrade the Run value keeps server=$address" \
  equals "$(run_value)" "\"$program\" server=$address"
check "the client runs on (the same process), and vq.exe stays $version until a restart" \
  runs_as_before "$version"
check "the new vq.exe replaces it at the restart (PendingFileRenameOperations)" \
  grep -qF '\??\C:\Program Files\Tolmar\vq\vq.exe' <<<"$(pending_renames)"
restart
check "after a restart vq.exe is $next" equals "$(file_version "$install_dir/vq.exe")" "$next.0"
check "at the next logon the client that starts is $next" logon_runs "$next"
second=$(client)

check "with the client running, msiexec /x of $next succeeds" msiexec /x "$newer" /qn
check "the removal unregisters the product and removes the Run value and the kept address" \
  equals "$(products)|$(run_value)|$(reg_value 'HKLM\Software\Tolmar\vq' SERVERNAME)" "||"
check "the client runs on (the same process)" equals "$(client)" "$second"
check "vq.exe, in use, stays in the folder; vq-probe.exe is removed" only_program_left
restart
check "vq.exe stays after a restart: no deletion was scheduled" left_for_good

# ---- The other architecture's package of the same version ------------------------------------
# One family: the 32-bit package of the same version replaces the installed 64-bit one (the
# same-version Upgrade row), so that one client is registered and started at logon, not two. In the
# 64-bit prefix only: 32-bit Windows cannot take the 64-bit package.
if [[ $arch == x64 ]]; then
  rm -rf "$install_dir"  # the vq.exe left behind above
  other_name=$(basename "$other")
  other_code=$(product_code "$other")
  registered_anywhere() { { view=64 products; view=32 products; } | sort -u | tr '\n' ' '; }
  cross_address=http://cross.corp.example/
  reinstalled() { msiexec /i "$msi" SERVERNAME=$cross_address /qn && equals "$(registered_anywhere)" "$code "; }
  other_installed() {
    [[ ! -e "$install_dir" ]] &&
      cmp "$WINEPREFIX/drive_c/Program Files (x86)/Tolmar/vq/vq.exe" "$(dirname "$other")/x86/vq.exe"
  }
  check "msiexec /i $name SERVERNAME=$cross_address /qn installs it again, the one product registered" reinstalled
  check "msiexec /i $other_name /qn of the same version $version over it succeeds" msiexec /i "$other" /qn
  check "one product is registered, in either registry view: $other_name's" \
    equals "$(registered_anywhere)" "$other_code "
  check "one Run value: the 64-bit view's is removed, the 32-bit view's starts the 32-bit vq.exe with the kept address" \
    equals "$(view=64 run_value)|$(view=32 run_value)" "|\"C:\\Program Files (x86)\\Tolmar\\vq\\vq.exe\" server=$cross_address"
  check "the 64-bit program folder is removed, the 32-bit vq.exe is in C:\\Program Files (x86)\\Tolmar\\vq" \
    other_installed
fi

echo "== $arch package $msi: $passes passed, $failures failed, ${SECONDS} s"
((failures == 0))
