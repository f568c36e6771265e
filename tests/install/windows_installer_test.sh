#!/usr/bin/env bash
# Installs the Windows installer's program into a fresh wine prefix and uses
# what landed there, then uninstalls it; also runs the portable zip from an
# odd folder.
#   windows_installer_test.sh STAGE SETUP ZIP SAMPLE_TOOL
# (the program folder, installer and zip that scripts/package-windows prints,
# and the sample generator of the Linux build). An install that cannot write
# a file fails and leaves nothing. A silent install for the whole machine
# (wine's user is an administrator), run twice as an update would: the
# installed files are the staged ones, the installed trovex-cli.exe extracts
# and replays a sample archive and movie, the Uninstall entry and, with the
# window, the Start-menu shortcut and file associations are there (another
# program's default kept). A silent uninstall leaves nothing of ours and keeps
# the window's settings. Then a per-user install (/CurrentUser) goes under the
# user's folders and HKCU only, and its uninstall with /RemoveSettings takes
# the settings too.
set -euo pipefail
stage=$(realpath "$1")
setup=$(realpath "$2")
zip=$(realpath "$3")
sample=$(realpath "$4")
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "windows installer test: $*" >&2; exit 1; }

uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Trovex'
settings_key='HKCU\Software\Trovex\Trovex'
extensions=(bif tlk key)
window=false
[ -f "$stage/trovex.exe" ] && window=true

win() { "$wine" "$@" 2>/dev/null | tr -d '\r'; }
# run PROGRAM ARGS...: runs a Windows program, passing every argument that
# names a place under the work folder as a Windows path.
run() {
  local args=() arg
  for arg in "$@"; do
    [[ $arg == "$work"/* ]] && arg=$(windows_path "$arg")
    args+=("$arg")
  done
  "$wine" "${args[@]}" >/dev/null 2>&1 || fail "'${args[*]}' failed"
}
# windows_path PATH: the Windows spelling of a path under /.
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
# unix_path WINDOWS_PATH: where a C: path of the prefix lies.
unix_path() {
  local path=${1#[Cc]:}
  echo "$WINEPREFIX/drive_c${path//\\//}"
}
# query KEY: the key's values, one "NAME TYPE DATA" a line; fails when the key
# does not exist.
query() { win reg query "$1" | sed -n 's/^    //p'; }
# value KEY NAME: one value's data ("(Default)" names the default value).
value() { query "$1" | awk -v name="$2" -F '    ' '$1 == name { print $3 }'; }
has_key() { "$wine" reg query "$1" >/dev/null 2>&1; }

"$wine" wineboot -i >/dev/null 2>&1 || fail "wine could not make a prefix in $WINEPREFIX"
"$sample" "$work/samples" >/dev/null
run reg add "$settings_key" /v OutputFolder /d 'C:\out' /f
# Another program's default for .key, which the installer must keep.
run reg add 'HKLM\Software\Classes\.key' /ve /d Other.key /f

# install SCOPE ROOT EXPECTED_FOLDER ARGS...: runs the installer silently and
# checks the Uninstall entry under ROOT and the installed files.
install() {
  local scope=$1 root=$2 expected=$3
  shift 3
  "$wine" "$(windows_path "$setup")" /S "$@" >/dev/null 2>&1 || fail "the $scope install failed (exit status $?)"
  instdir=$(value "$root\\$uninstall_key" InstallLocation) || fail "the $scope install wrote no Uninstall entry under $root"
  [ "$instdir" = "$expected" ] || fail "the $scope install went to '$instdir', not '$expected'"
  folder=$(unix_path "$instdir")
  diff -r -x Uninstall.exe "$stage" "$folder" >&2 || fail "the $scope install's files are not the staged ones"
  [ -f "$folder/Uninstall.exe" ] || fail "the $scope install has no Uninstall.exe"
  local entry
  entry=$(query "$root\\$uninstall_key" | sed 's/    / /g')
  for line in "DisplayName REG_SZ Trovex" "Publisher REG_SZ Trovex" \
    "UninstallString REG_SZ \"$instdir\\Uninstall.exe\"" \
    "QuietUninstallString REG_SZ \"$instdir\\Uninstall.exe\" /S" \
    "NoModify REG_DWORD 0x1" "NoRepair REG_DWORD 0x1"; do
    grep -qxF "$line" <<<"$entry" || fail "the $scope Uninstall entry lacks '$line'"
  done
  [[ $(value "$root\\$uninstall_key" DisplayVersion) =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "no DisplayVersion"
  local size=$(($(value "$root\\$uninstall_key" EstimatedSize)))
  local staged=$(($(find "$stage" -type f -printf '%s+') 0))
  staged=$((staged / 1024))
  [ "$size" -ge "$staged" ] && [ "$size" -le $((staged + 16)) ] || fail "EstimatedSize $size KB for $staged KB staged"
}

# check_associations ROOT FOLDER: .bif, .tlk and .key open in the window of the
# installation in FOLDER.
check_associations() {
  local root=$1 instdir=$2 extension
  for extension in "${extensions[@]}"; do
    local classes="$root\\Software\\Classes"
    [ "$(value "$classes\\Trovex.$extension\\shell\\open\\command" '(Default)')" = "\"$instdir\\trovex.exe\" \"%1\"" ] ||
      fail "Trovex.$extension does not open in $instdir\\trovex.exe"
    [ "$(value "$classes\\Trovex.$extension\\DefaultIcon" '(Default)')" = "$instdir\\trovex.exe,0" ] ||
      fail "Trovex.$extension has no icon"
    query "$classes\\.$extension\\OpenWithProgids" | grep "^Trovex\.$extension " >/dev/null ||
      fail ".$extension does not offer Trovex.$extension"
    # Where .key already opens in another program, it keeps doing so: the
    # machine's default stays, and a user's install sets none of its own.
    local default=Trovex.$extension
    if [ "$extension" = key ]; then
      default=
      [ "$root" = HKLM ] && default=Other.key
    fi
    [ "$(value "$classes\\.$extension" '(Default)')" = "$default" ] ||
      fail ".$extension under $root does not default to '$default'"
  done
}

# uninstall FOLDER ARGS...: runs the uninstaller as Apps & features does; it
# copies itself away and returns at once, so wait for wine to finish.
uninstall() {
  local folder=$1
  shift
  "$wine" "$folder/Uninstall.exe" /S "$@" >/dev/null 2>&1 || fail "the uninstaller did not start"
  "$wineserver" -w
  [ ! -e "$folder" ] || fail "the uninstall left $(find "$folder" | head -n 3 | tr '\n' ' ')"
}

# nothing_left ROOT: no key or value of ours remains in the registry.
nothing_left() {
  local root=$1 extension
  ! has_key "$root\\$uninstall_key" || fail "the Uninstall entry under $root remains"
  for extension in "${extensions[@]}"; do
    ! has_key "$root\\Software\\Classes\\Trovex.$extension" || fail "Trovex.$extension remains under $root"
    ! win reg query "$root\\Software\\Classes\\.$extension" /s | grep Trovex >/dev/null || fail ".$extension still names Trovex"
  done
  [ "$(value 'HKLM\Software\Classes\.key' '(Default)')" = Other.key ] || fail "the uninstall took .key's other default"
}

# An installation that cannot write one of its files fails and takes back
# the files it had written.
blocked="$WINEPREFIX/drive_c/Program Files/Trovex/trovex-cli.exe"
mkdir -p "$blocked"
! "$wine" "$(windows_path "$setup")" /S >/dev/null 2>&1 || fail "an install that could not write a file succeeded"
[ -z "$(find "$(dirname "$blocked")" -type f)" ] || fail "a failed install left $(find "$(dirname "$blocked")" -type f | head -n 3 | tr '\n' ' ')"
! has_key "HKLM\\$uninstall_key" || fail "a failed install wrote an Uninstall entry"
rm -r "$(dirname "$blocked")"

# Installing again over it (as a new version would) gives the same.
install machine HKLM 'C:\Program Files\Trovex'
install machine HKLM 'C:\Program Files\Trovex'
machine_folder=$folder
! has_key "HKCU\\$uninstall_key" || fail "the machine install wrote an Uninstall entry for the user"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Trovex.lnk"
if $window; then
  check_associations HKLM "$instdir"
  [ -f "$shortcut" ] || fail "no Start-menu shortcut for every user"
else
  ! has_key 'HKLM\Software\Classes\Trovex.bif' || fail "file types associated without the window program"
fi

# The installed command line, run from its own folder's copy with the codec
# library beside it: the replays give the sample archive and movie back.
game=$work/game
cp -r "$work/samples" "$game"
cli="$instdir\\trovex-cli.exe"
run "$cli" --type biff --output "$work/out/biff" "$game/Mixed.bif"
run "$cli" --type log --output "$work/out/rebuilt" "$work/out/biff/result.log"
cmp -s "$work/samples/Mixed.bif" "$work/out/rebuilt/Mixed.bif" || fail "the installed program's replay did not give Mixed.bif back"
run "$cli" --type mve --output "$work/out/mve" "$game/INTRO.MVE"
[ -s "$work/out/mve/INTRO.wav" ] || fail "the installed program extracted no movie sound track"
run "$cli" --type log --output "$work/out/rebuilt-mve" "$work/out/mve/result.log"
cmp -s "$work/samples/INTRO.MVE" "$game/INTRO.MVE" || fail "the installed program's replay did not give INTRO.MVE back"

uninstall "$machine_folder"
nothing_left HKLM
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut remains"
[ "$(value "$settings_key" OutputFolder)" = 'C:\out' ] || fail "a plain uninstall removed the settings"

user_folders=$(win cmd /c 'echo %LOCALAPPDATA%;%APPDATA%') || fail "wine did not tell the user's folders"
install user HKCU "${user_folders%;*}\\Programs\\Trovex" /CurrentUser
user_folder=$folder
shortcut=$(unix_path "${user_folders#*;}\\Microsoft\\Windows\\Start Menu\\Programs\\Trovex.lnk")
! has_key "HKLM\\$uninstall_key" || fail "the per-user install wrote an Uninstall entry for the machine"
if $window; then
  check_associations HKCU "$instdir"
  [ -f "$shortcut" ] || fail "no Start-menu shortcut for the user"
  ! has_key 'HKLM\Software\Classes\Trovex.bif' || fail "the per-user install associated file types for the machine"
fi
uninstall "$user_folder" /RemoveSettings
nothing_left HKCU
[ ! -e "$shortcut" ] || fail "the user's Start-menu shortcut remains"
! has_key "$settings_key" || fail "/RemoveSettings left the settings"

# The portable zip runs from a folder with a space in its name.
mkdir "$work/odd place"
python3 -m zipfile -e "$zip" "$work/odd place"
portable="$work/odd place/Trovex"
diff -r "$stage" "$portable" >&2 || fail "the zip does not hold the staged files"
[[ $(win "$portable/trovex-cli.exe" --version) =~ ^trovex-cli\ [0-9]+\.[0-9]+\.[0-9]+$ ]] ||
  fail "the unpacked trovex-cli.exe did not run"
run "$portable/trovex-cli.exe" --type mve --output "$work/odd place/mve" "$work/samples/VOICE.MVE"
echo "windows installer test: passed"
