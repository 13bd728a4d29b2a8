#!/usr/bin/env bash
# The Windows Installer package out/release/vq.msi (scripts/release builds it when missing):
# its tables, then a real install, optional feature, uninstall and major upgrade under Wine, in
# a Wine prefix of its own. Prints PASS/FAIL lines.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
msi=out/release/vq.msi
failures=0

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "PASS $what"
  else
    echo "FAIL $what"
    failures=$((failures + 1))
  fi
}
equals() { [[ "$1" == "$2" ]] || { echo "  got: '$1'  expected: '$2'"; return 1; }; }

if [[ ! -f "$msi" ]]; then
  echo "== $msi is missing: running scripts/release"
  if ! scripts/release; then
    echo "FAIL scripts/release builds $msi"
    exit 1
  fi
fi

version=$(sed -n 's/^project(vq VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
upgrade_code=$(sed -n 's/.*<?define UpgradeCode = "\([^"]*\)".*/\1/p' installer/vq.wxs)
work=$(mktemp -d)

# ---- Tables -----------------------------------------------------------------------------------
table() { msiinfo export "$msi" "$1" | tail -n +4 | tr -d '\r'; }  # rows only, tab-separated
property() { table Property | awk -F'\t' -v p="$1" '$1 == p { print $2 }'; }

check "Property UpgradeCode is the package family's constant $upgrade_code" \
  equals "$(property UpgradeCode)" "$upgrade_code"
check "Property ProductVersion is the project version $version" equals "$(property ProductVersion)" "$version"
check "Property ALLUSERS is 1 (per-machine)" equals "$(property ALLUSERS)" 1
check "Property Manufacturer is Tolmar" equals "$(property Manufacturer)" Tolmar
check "summary information names an x64 package" \
  grep -q '^Template: x64;' <(msiinfo suminfo "$msi")

check "Directory: INSTALLDIR is ProgramFiles64Folder\\Tolmar\\vq" equals \
  "$(table Directory | awk -F'\t' '{ parent[$1] = $2; name[$1] = $3 }
     END { d = "INSTALLDIR"; p = name[d]
           while (parent[d] != "" && parent[d] != "TARGETDIR") { d = parent[d]; p = (parent[d] == "TARGETDIR" ? d : name[d]) "\\" p }
           print p }')" \
  'ProgramFiles64Folder\Tolmar\vq'
# File rows: name, component, and the size of the program scripts/release built.
for row in "vq.exe Program" "vq-probe.exe Probe" "vq.ini ServerIniFile"; do
  set -- $row
  size=$( [[ $1 == vq.ini ]] && stat -c %s installer/vq.ini || stat -c %s "out/release/$1")
  check "File $1 belongs to component $2 with $size bytes" equals \
    "$(table File | awk -F'\t' -v f="$1" '$3 == f { print $2 " " $4 }')" "$2 $size"
done
check "Component: the three components are 64-bit and go to INSTALLDIR" equals \
  "$(table Component | awk -F'\t' '{ print $1 ":" $3 ":" $4 }' | sort | tr '\n' ' ')" \
  "Probe:INSTALLDIR:256 Program:INSTALLDIR:256 ServerIniFile:INSTALLDIR:256 "
check "Feature: Client is installed by default (level 1), ServerIni only when asked (level above 1)" \
  equals "$(table Feature | awk -F'\t' '{ print $1 ":" ($6 > 1 ? "optional" : "default") }' | sort | tr '\n' ' ')" \
  "Client:default ServerIni:optional "
check "FeatureComponents: Client holds vq.exe and vq-probe.exe, ServerIni holds vq.ini" equals \
  "$(table FeatureComponents | awk -F'\t' '{ print $1 ":" $2 }' | sort | tr '\n' ' ')" \
  "Client:Probe Client:Program ServerIni:ServerIniFile "
check "Registry: HKLM Run value vq is the quoted program path" equals \
  "$(table Registry | awk -F'\t' '{ print $2 "|" $3 "|" $4 "|" $5 "|" $6 }')" \
  '2|Software\Microsoft\Windows\CurrentVersion\Run|vq|"[INSTALLDIR]vq.exe"|Program'
check "Upgrade: newer versions of the family are replaced, newer ones block a downgrade" equals \
  "$(table Upgrade | awk -F'\t' '{ print $1 " " $7 }' | sort | tr '\n' ' ')" \
  "$upgrade_code WIX_DOWNGRADE_DETECTED $upgrade_code WIX_UPGRADE_DETECTED "
check "InstallExecuteSequence removes the older product" \
  grep -q '^RemoveExistingProducts' <(table InstallExecuteSequence)

# ---- Under Wine -------------------------------------------------------------------------------
export WINEPREFIX="$root/build/wineprefix-msi"
source scripts/wine-env
install_dir="$WINEPREFIX/drive_c/Program Files/Tolmar/vq"
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

# A prefix left with the product installed (an interrupted run) is made afresh.
if [[ -e "$install_dir" ]]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
fi
wineboot -i >/dev/null 2>&1
wineserver -w

msiexec() { wine msiexec "$@" >"$work/msiexec.log" 2>&1; }
run_value() { wine reg query "$run_key" /v vq 2>/dev/null | tr -d '\r' | sed -n 's/^ *vq *REG_SZ *//p'; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
registered() { wine reg query "$uninstall_key\\$1" /v DisplayVersion 2>/dev/null | tr -d '\r' |
  sed -n 's/^ *DisplayVersion *REG_SZ *//p'; }
installed_as_built() { cmp -s "$install_dir/$1" "out/release/$1"; }
absent() { [[ ! -e "$1" ]]; }
files_gone() { [[ ! -e "$install_dir/vq.exe" && ! -e "$install_dir/vq-probe.exe" && ! -e "$install_dir/vq.ini" ]]; }
ini_server() { tr -d '\r' <"$install_dir/vq.ini" 2>/dev/null | sed -n 's/^ServerName=//p'; }

code=$(product_code "$msi")
# The commands as the administrator's guide gives them.
check "msiexec /i vq.msi /qn /l*v LOG succeeds and writes the log" \
  msiexec /i "$msi" /qn /l*v "$(winepath -w "$work/install.log" 2>/dev/null)"
check "the install log is written" test -s "$work/install.log"
check "vq.exe is installed in C:\\Program Files\\Tolmar\\vq" installed_as_built vq.exe
check "vq-probe.exe is installed in C:\\Program Files\\Tolmar\\vq" installed_as_built vq-probe.exe
check "vq.ini is not installed by default" absent "$install_dir/vq.ini"
check "the Run value starts vq.exe at every logon" equals "$(run_value)" '"C:\Program Files\Tolmar\vq\vq.exe"'
check "the product is registered with version $version" equals "$(registered "$code")" "$version"

check "msiexec /i vq.msi ADDLOCAL=Client,ServerIni /qn adds the optional feature" \
  msiexec /i "$msi" ADDLOCAL=Client,ServerIni /qn
check "vq.ini names the default server" equals "$(ini_server)" "http://gate.corp.local/"

check "msiexec /x vq.msi /qn succeeds" msiexec /x "$msi" /qn
check "uninstall removes vq.exe, vq-probe.exe and vq.ini" files_gone
check "uninstall removes the program folder" absent "$install_dir"
check "uninstall removes the Run value" equals "$(run_value)" ""
check "uninstall unregisters the product" equals "$(registered "$code")" ""

# Major upgrade: the same programs packaged as the next version go over the installed one.
next="${version%.*}.$((${version##*.} + 1))"
newer="$work/vq-$next.msi"
check "wixl builds a $next package" wixl -a x64 -D Version="$next" \
  -D BinDir="$(realpath --relative-to=installer out/release)" -D IniDir=. -o "$newer" installer/vq.wxs
if [[ -f "$newer" ]]; then
  newer_code=$(product_code "$newer")
  msiexec /i "$msi" /qn
  check "msiexec /i of version $next over $version succeeds" msiexec /i "$newer" /qn
  check "after the upgrade $version is no longer registered" equals "$(registered "$code")" ""
  check "after the upgrade $next is registered" equals "$(registered "$newer_code")" "$next"
  check "after the upgrade vq.exe is in place" installed_as_built vq.exe
  check "after the upgrade the Run value is in place" equals "$(run_value)" '"C:\Program Files\Tolmar\vq\vq.exe"'
  check "msiexec /x of version $next removes everything" msiexec /x "$newer" /qn
  check "after removing $next no file, Run value or registration is left" \
    bash -c "[[ ! -e '$install_dir' && -z '$(run_value)' ]]"
  check "after removing $next the product is unregistered" equals "$(registered "$newer_code")" ""
fi

((failures == 0))
