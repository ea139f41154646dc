#!/usr/bin/env bash
# The Windows build under Wine, on Xvfb, in a Wine prefix of the tests' own.
#   wine.sh install    installs the installer silently for the current user
#   wine.sh start      starts gravik.exe, reads its window, closes it
#   wine.sh pdf        gravik-print.exe --all --pdf against the Linux gravik-print
#   wine.sh print      one page through Wine's printer to the tests' CUPS queue
#   wine.sh uninstall  uninstalls silently; the operator's data stay
# Skipped (77) when there is no Windows build: scripts/windows/build.sh makes it.
set -uo pipefail
step=$1
win=${GRAVIK_WINDOWS:?}
root=${GRAVIK_WINE_ROOT:?}
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$root/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
fail() { echo "FAIL: $*"; exit 1; }

setup=$(ls "$win"/Gravik-*-setup.exe 2>/dev/null | head -1)
if [ -z "$setup" ]; then
  echo "SKIPPED: no Windows build in $win (make it with scripts/windows/build.sh; the first run builds Qt for Windows, about an hour)"
  exit 77
fi
for tool in wine xvfb-run import tesseract pdftotext xdotool; do
  command -v $tool >/dev/null || fail "$tool is missing: scripts/windows/build.sh installs it"
done

# One X server for the whole step; Wine's own processes end with it.
if [ -z "${GRAVIK_WINE_DISPLAY:-}" ]; then
  exec env GRAVIK_WINE_DISPLAY=1 xvfb-run -a -s "-screen 0 1600x1200x24" bash "$0" "$@"
fi
trap 'wineserver -k 2>/dev/null' EXIT

installed() { cat "$root/installed" 2>/dev/null; }
# Asks gravik.exe to close as a user would, until it has; the request is lost
# when it comes before the window is up.
close_gravik() {
  for _ in $(seq 1 20); do
    wine taskkill /IM gravik.exe >/dev/null 2>&1 || break
    sleep 3
  done
  timeout 60 wineserver -w
}
# Saves the screen as $1 and reads it at a few thresholds, up to $3 times
# $4 seconds apart (reading is slow): true once the text matches the pattern $2.
screen_shows() {
  for _ in $(seq 1 "$3"); do
    sleep "$4"
    import -window root "$1" 2>/dev/null || continue
    for level in 60 55 65 70; do
      convert "$1" -colorspace Gray -resize 400% -threshold $level% "$root/ocr.png"
      tesseract "$root/ocr.png" - -l rus --psm 11 2>/dev/null | grep -qE "$2" && return 0
    done
  done
  return 1
}
# A Windows path of a file under the prefix's drive C:.
winpath() { echo "C:${1#"$WINEPREFIX"/drive_c}" | tr / '\\'; }
# A program folder with the default data and two pupils in the database.
pupil() { printf '<Row>'; for v in "$@"; do printf '<Cell ss:StyleID="Pupil"><Data ss:Type="String">%s</Data></Cell>' "$v"; done; printf '</Row>'; }
program_folder() {
  local dir=${2:-$WINEPREFIX/drive_c/$1}
  rm -rf "$dir" && mkdir -p "$dir" && cp -r "${GRAVIK_DEFAULTS:?}/." "$dir/"
  [ "${3:-}" = nopupils ] && { printf '%s' "$dir"; return; }
  ROW1=$(pupil ВОЛКОВА Анна Сергеевна ВОЛКОВА Анна Сергеевна "Иванова А.П." "Иванова А.П." 101) \
  ROW2=$(pupil ЖУМАБЕКОВ Ерлан Асқарұлы ЖҰМАБЕКОВ Ерлан Асқарұлы "Иванова А.П." "Иванова А.П." 102) \
    perl -0pi -e 's|<Row>(<Cell ss:StyleID="Pupil"/>){9}</Row>|$ENV{ROW1}|; s|<Row>(<Cell ss:StyleID="Pupil"/>){9}</Row>|$ENV{ROW2}|' "$dir/Baza.xml"
  printf '%s' "$dir"
}

case $step in
install)
  rm -rf "$root" && mkdir -p "$root"
  wineboot -i >/dev/null 2>&1 || fail "wineboot could not make the prefix"
  # Windows has Times New Roman; Wine has its metric twin under another name.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /d 'Liberation Serif' /f >/dev/null \
    || fail "could not name the Times New Roman stand-in"
  wine "$setup" /S /CurrentUser || fail "the installer ended with $?"
  wineserver -w
  exe=$(find "$WINEPREFIX/drive_c" -name gravik.exe -path '*Gravik*' | head -1)
  [ -n "$exe" ] || fail "gravik.exe was not installed"
  dir=$(dirname "$exe")
  for f in gravik-print.exe uninstall.exe Qt6Core.dll Qt6Widgets.dll platforms/qwindows.dll defaults/1.txt; do
    [ -f "$dir/$f" ] || fail "the install lacks $f"
  done
  find "$WINEPREFIX/drive_c" -name Gravik.lnk | grep -q . || fail "no Start-menu entry"
  for f in gravik.exe gravik-print.exe; do
    wrestool -l --type=group_icon "$dir/$f" | grep -q IDI_ICON1 || fail "$f has no icon of its own"
  done
  # Nothing beside the program but what it needs: no stray build files.
  extra=$(cd "$dir" && ls | grep -vE '^(gravik(-print)?\.exe|uninstall\.exe|Qt6(Core|Gui|Widgets|PrintSupport|Sql)\.dll|lib(stdc\+\+-6|gcc_s_seh-1|winpthread-1)\.dll|defaults|platforms|styles|imageformats|sqldrivers)$')
  [ -z "$extra" ] || fail "unexpected files installed: $extra"
  echo "$dir" > "$root/installed"
  echo "ok: installed in $(winpath "$dir")"
  ;;

start)
  dir=$(installed) && [ -n "$dir" ] || fail "not installed"
  # The first start fills the per-user install's folder from its defaults.
  rm -f "$dir/1.txt"
  wine "$dir/gravik.exe" &
  for _ in $(seq 1 60); do [ -f "$dir/1.txt" ] && break; sleep 1; done
  cmp -s "$dir/1.txt" "$GRAVIK_DEFAULTS/1.txt" || fail "1.txt was not filled from the defaults"
  sleep 10
  close_gravik
  cmp -s "$dir/1.txt" "$GRAVIK_DEFAULTS/1.txt" || fail "closing changed 1.txt"

  # A name in field 1 and no pupils in the database (with pupils the window
  # opens on one of them): the window must show the name.
  folder=$(program_folder start "" nopupils)
  { printf 'ПЕТРОВА\r\n'; tail -n +2 "$GRAVIK_DEFAULTS/1.txt" | iconv -f cp1251 -t utf-8; } \
    | iconv -f utf-8 -t cp1251 > "$folder/1.txt"
  cp "$folder/1.txt" "$root/1.txt.before"
  wine "$dir/gravik.exe" --dir "$(winpath "$folder")" &
  shot=${GRAVIK_SCREENSHOTS:-$root}/windows-main.png
  # A few tries once the window has had time to come up.
  seen=""
  sleep 10
  screen_shows "$shot" 'ПЕТРОВА' 6 3 && seen=yes
  # Qt's own texts in Russian: the context menu of field 1, which has the
  # keyboard, with its text selected, so that "Копировать" is not greyed out.
  menu=""
  if [ -n "$seen" ]; then
    xdotool mousemove 800 600 key ctrl+a shift+F10
    screen_shows "$root/menu.png" 'Копировать|Выделить' 4 2 && menu=yes
  fi
  close_gravik
  [ -n "$seen" ] || fail "the window never showed field 1's text (last picture: $shot)"
  [ -n "$menu" ] || fail "field 1's context menu is not in Russian (last picture: $root/menu.png)"
  cmp -s "$folder/1.txt" "$root/1.txt.before" || fail "closing changed 1.txt"

  # With pupils in the database, read on a thread of its own: the first pupil
  # comes into the window, and the state file keeps it.
  folder=$(program_folder pupils)
  wine "$dir/gravik.exe" --dir "$(winpath "$folder")" &
  pupil=""
  pupils=${GRAVIK_SCREENSHOTS:-$root}/windows-pupils.png
  sleep 10
  screen_shows "$pupils" 'ОЛКОВА' 6 3 && pupil=yes
  close_gravik
  [ -n "$pupil" ] || fail "the first pupil never came into the window (last picture: $pupils)"
  [ "$(head -1 "$folder/1.txt" | iconv -f cp1251 -t utf-8 | tr -d '\r')" = ВОЛКОВА ] \
    || fail "1.txt does not keep the first pupil"
  echo "ok: the window showed field 1, then the first pupil, and 1.txt kept what it showed ($shot)"
  ;;

pdf)
  dir=$(installed) && [ -n "$dir" ] || fail "not installed"
  folder=$(program_folder pdf)
  linux=$(program_folder linux "$root/linux")
  QT_QPA_PLATFORM=offscreen CUPS_SERVER=/nonexistent "${GRAVIK_LINUX_PRINT:?}" --dir "$linux" --all --pdf "$root/linux.pdf" \
    || fail "the Linux gravik-print failed"
  wine "$dir/gravik-print.exe" --dir "$(winpath "$folder")" --all --pdf "$(winpath "$folder")\\windows.pdf" \
    || fail "gravik-print.exe failed"
  "${GRAVIK_SAME_PDF:?}" "$root/linux.pdf" "$folder/windows.pdf" || fail "the two PDFs differ"
  ;;

print)
  dir=$(installed) && [ -n "$dir" ] || fail "not installed"
  [ -n "${CUPS_SERVER:-}" ] || fail "the tests' CUPS server is not set"
  folder=$(program_folder print)
  capture=${GRAVIK_CAPTURE_ROOT:?}/gravik-test
  before=$(ls "$capture" 2>/dev/null | grep -c '^job-.*\.pdf$')
  wine "$dir/gravik-print.exe" --dir "$(winpath "$folder")" --pupil "ВОЛКОВА Анна Сергеевна" --printer gravik-test --blank "ЖОБ 0000001" \
    || fail "gravik-print.exe could not print"
  for _ in $(seq 1 60); do
    after=$(ls "$capture" 2>/dev/null | grep -c '^job-.*\.pdf$')
    [ "$after" -gt "$before" ] && break
    sleep 1
  done
  [ "$after" -eq $((before + 1)) ] || fail "expected one job in $capture, found $((after - before))"
  job=$(ls -t "$capture"/job-*.pdf | head -1)
  linux=$(program_folder linux "$root/linux")
  QT_QPA_PLATFORM=offscreen CUPS_SERVER=/nonexistent "$GRAVIK_LINUX_PRINT" --dir "$linux" \
    --pupil "ВОЛКОВА Анна Сергеевна" --pdf "$root/reference.pdf" || fail "the Linux gravik-print failed"
  "${GRAVIK_SAME_PDF:?}" --one-a4-page "$job" "$root/reference.pdf" || fail "the job is not one A4 page with field 1 in place"
  ;;

uninstall)
  dir=$(installed) && [ -n "$dir" ] || exit 0
  printf 'keep' > "$dir/1.txt"
  wine "$dir/uninstall.exe" /S /CurrentUser
  wineserver -w
  for _ in $(seq 1 30); do [ -f "$dir/gravik.exe" ] || break; sleep 1; done
  [ ! -f "$dir/gravik.exe" ] || fail "gravik.exe is still there"
  [ "$(cat "$dir/1.txt" 2>/dev/null)" = keep ] || fail "uninstalling removed the operator's 1.txt"
  find "$WINEPREFIX/drive_c" -name Gravik.lnk | grep -q . && fail "the Start-menu entry is still there"
  rm -rf "$root"
  echo "ok: uninstalled, the data kept"
  ;;
*) fail "unknown step $step" ;;
esac
