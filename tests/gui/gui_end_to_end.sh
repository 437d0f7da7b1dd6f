#!/usr/bin/env bash
# End-to-end test of the windowed programs under Wine, in a private X server and a private Wine
# prefix (its own wineserver, so that other Wine tests are not disturbed and it can be ended here).
# Usage: gui_end_to_end.sh MEVROW.EXE SUDELW.EXE GUI_TEST_DRIVER.EXE BUILD_DIR [NATIVE_BUILD_DIR [MEVROW_CORRUPT.EXE]]
# Screenshots go to BUILD_DIR/screenshots. pi.txt is checked with NATIVE_BUILD_DIR/tests/pi/pi_file_check
# when a native build directory is given; without one that check is skipped. MEVROW_CORRUPT is the test
# build whose runs leave their known answer as PI_TEST_FAULT says.
set -u
[ $# -ge 4 ] || { echo "usage: $0 MEVROW.EXE SUDELW.EXE GUI_TEST_DRIVER.EXE BUILD_DIR [NATIVE_BUILD_DIR]"; exit 2; }
mevrow=$(realpath "$1") sudelw=$(realpath "$2") driver=$(realpath "$3") build=$(realpath "$4")
native=${5:+$(realpath "$5")} mevrow_corrupt=${6:+$(realpath "$6")}
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
# Wine's own server lifetime: the test waits for the server to end (wineserver -w) to change settings.
export PI_WINEPREFIX=$build/wineprefix WINEPREFIX=$build/wineprefix PI_WINE_PERSIST=0
shots=$build/screenshots
work=$(mktemp -d /tmp/pi-gui-e2e.XXXXXX)
saved=$(mktemp -d /tmp/pi-gui-e2e-saved.XXXXXX)  # earlier files to compare with
mkdir -p "$shots"
failures=0
started=()
xvfb_pid=

cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
  "$wineserver" -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work" "$saved"
}
trap cleanup EXIT

say() { echo "$(date +%T) $*"; }
ok() { say "ok   $*"; }
bad() { say "FAIL $*"; failures=$((failures + 1)); }
check() {
  local what=$1; shift
  "$@"; local status=$?
  [ "$status" -eq 0 ] && { ok "$what"; return 0; }
  bad "$what (status $status of: $*)"
  return 1
}

# A free display of our own: Xvfb picks the number and reports it.
exec 5< <(Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp 2>"$work/xvfb.log")
xvfb_pid=$!
read -r -t 20 display <&5 || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$display
say "Xvfb on $DISPLAY"

# The prefix is made once per build tree; a virtual desktop gives the windows frames and captions.
if [ ! -f "$PI_WINEPREFIX/.pi-desktop" ]; then
  say "creating the Wine prefix $PI_WINEPREFIX"
  "$wine_run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$wine_run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
  "$wineserver" -w
  touch "$PI_WINEPREFIX/.pi-desktop"
fi

# The driver answers 0 (as asked) or 1 (not so). Any other status comes from starting it under
# Wine, not from the programs under test; such a start is tried once more.
drv() {
  "$wine_run" "$driver" "$@"; local status=$?
  if [ "$status" -gt 1 ]; then
    say "test driver ended with status $status ($*); starting it again"
    "$wine_run" "$driver" "$@"; status=$?
  fi
  return "$status"
}
start() {  # start PROGRAM.EXE [ARGS]: runs it in the work directory; its pid in $last_pid
  (cd "$work" && exec "$wine_run" "$@" >>"$work/$(basename "$1").out" 2>&1) &
  last_pid=$!
  started+=("$last_pid")
}
ends_with_0() { wait "$1"; }
shot() { import -display "$DISPLAY" -window root "$shots/$1.png" && say "screenshot $shots/$1.png"; }

slot() { sed -n "$(($1 + 1))p" "$work/pi_rec.dat" | tr -d '\r'; }
record_has_20_lines() { [ "$(wc -l <"$work/pi_rec.dat")" -eq 20 ] && [ "$(grep -c $'^[0-9]*\r$' "$work/pi_rec.dat")" -eq 20 ]; }
wait_record() {  # the worker writes pi_rec.dat after the finish message; wait for it
  for _ in $(seq 100); do
    [ -f "$work/pi_rec.dat" ] && [ "$(wc -l <"$work/pi_rec.dat")" -eq 20 ] && return 0
    sleep 0.1
  done
  return 1
}
pi_file_ok() {  # pi_file_ok DIGITS BYTES: size of the layout, and the decimals against the native checker
  local digits=$1 bytes=$2
  [ "$(stat -c %s "$work/pi.txt")" -eq "$bytes" ] || { say "pi.txt has $(stat -c %s "$work/pi.txt") bytes, not $bytes"; return 1; }
  if [ -z "$native" ]; then
    say "skip pi.txt digit check: no native build directory given (PI_NATIVE_BUILD_DIR)"
    return 0
  fi
  local checker=$native/tests/pi/pi_file_check
  [ -x "$checker" ] || { say "pi.txt digit check needs $checker (build the native tree)"; return 1; }
  # The truncating arithmetic may leave the last few decimals wrong; 10 is the console tests' bound.
  "$checker" "$work/pi.txt" "$digits"
}

finish_caption=確認
finish_text=円周率の計算が終了しました
confirm_text=計算中です。計算を中断して終了しますか？
double_caption=二重起動
double_text='既に円周率計算ソフト[ mev???w.exe ]が起動しています。'
about_caption=バージョン情報
error_caption=エラー
unchanged_text=pi.txtは元のままです。

# finish_run CLASS SHOT: waits for the finish message of a run and answers OK; SHOT names a
# screenshot of the run screen with its time line beside the message. The worker then rewrites
# pi_rec.dat, which is removed before so that its new version can be waited for.
finish_run() {
  drv show-box "$finish_caption" "$finish_text" 300000 >/dev/null || return 1
  [ -n "$2" ] && shot "$2"
  rm -f "$work/pi_rec.dat"
  drv answer "$finish_caption" "$finish_text" 1 5000 || return 1
  wait_record
}
run_from_menu() { drv command "$1" "$2" && finish_run "$1" "$3"; }
# finish_keeping_record CLASS ID: a run from the menu that leaves pi_rec.dat in place; the worker
# saves right after the OK, so two seconds later the record is as the program left it.
finish_keeping_record() {
  drv command "$1" "$2" && drv answer "$finish_caption" "$finish_text" 1 300000 && sleep 2
}

scenario() {  # scenario NAME OTHER-NAME
  local name=$1 other=$2
  local exe class other_exe other_class atom
  eval "exe=\$$name other_exe=\$$other"
  class=${name}Class other_class=${other}Class
  atom="pi calc soft $([ "$name" = mevrow ] && echo mvw || echo sdw)"
  say "---- $name"
  rm -f "$work/pi.txt" "$work/pi_rec.dat"

  # First start without a record: every size not yet computed. One run of 2^14 digits.
  start "$exe"; local first=$last_pid
  check "$name: window appears" drv wait-window "$class" 30000 || return
  sleep 0.5; shot "$name-idle-empty"
  drv open-menu "$class" c && sleep 0.5 && shot "$name-menu"
  drv cancel-mode "$class"
  check "$name: 2^14 run from the menu to the finish message" run_from_menu "$class" 101 "$name-run-finished" || return
  check "$name: pi.txt of 2^14 digits is pi" pi_file_ok 16384 18388
  check "$name: pi_rec.dat has 20 lines" record_has_20_lines
  local t1; t1=$(slot 0)
  check "$name: the time is in slot 0 ($t1 ms)" test "$t1" -gt 0
  local others; others=$(sed -n '2,20p' "$work/pi_rec.dat" | tr -d '\r' | sort -u | tr '\n' ' ')
  check "$name: no other slot is set ($others)" test "$others" = "0 "
  check "$name: second run of 2^14 digits" run_from_menu "$class" 101 "" || return
  local t2; t2=$(slot 0)
  check "$name: the second run keeps the shorter time ($t1, then $t2)" test "$t2" -gt 0 -a "$t2" -le "$t1"

  # Closing while idle asks nothing and removes the marker.
  drv close "$class"
  check "$name: closing while idle asks nothing" drv wait-no-window "$class" 10000
  check "$name: ends with status 0" ends_with_0 "$first"
  check "$name: the marker is removed" bash -c "! \"$wine_run\" \"$driver\" has-atom '$atom'"

  # A record with a time no run can beat (1 ms), one to beat (27 hours) and the spare slots.
  printf '%s\r\n' 1 0 0 0 0 0 99999999 0 0 0 0 3723456 13 14 15 16 17 18 19 20 >"$work/pi_rec.dat"
  start "$exe"; local second=$last_pid
  check "$name: window appears again" drv wait-window "$class" 30000 || return
  sleep 0.5; shot "$name-idle-times"
  check "$name: 2^14 run with a recorded 1 ms" run_from_menu "$class" 101 "" || return
  check "$name: a slower run keeps the recorded time" test "$(slot 0)" = 1
  check "$name: slots 12 to 19 are written back" test "$(sed -n '12,20p' "$work/pi_rec.dat" | tr -d '\r' | tr '\n' ' ')" = "3723456 13 14 15 16 17 18 19 20 "

  # A long run: a size command during it is ignored, Escape asks, No lets it finish.
  drv command "$class" 107
  drv command "$class" 101
  drv key "$class" 27
  check "$name: Escape during a run asks for confirmation" drv show-box "$finish_caption" "$confirm_text" 30000 >/dev/null
  shot "$name-run-confirm"
  check "$name: Enter answers No (the default) and keeps the run going" drv enter "$finish_caption" "$confirm_text" 5000
  check "$name: the window stays after No" drv wait-window "$class" 1000
  check "$name: the 2^20 run finishes" finish_run "$class" "" || return
  check "$name: no second run from the ignored size command" drv no-box 3000
  check "$name: pi.txt of 2^20 digits is pi" pi_file_ok 1048576 1176507
  local t7; t7=$(slot 6)
  check "$name: the faster 2^20 time ($t7 ms) replaced 27 hours" test "$t7" -gt 0 -a "$t7" -lt 99999999
  check "$name: the 1 ms record of 2^14 stays" test "$(slot 0)" = 1

  # A second start of the same program refuses; the other program starts beside it.
  start "$exe"; local twice=$last_pid
  check "$name: a second start shows the double-start message" drv answer "$double_caption" "$double_text" 1 30000
  check "$name: the second start ends with status 0" ends_with_0 "$twice"
  check "$name: the first instance stays" drv wait-window "$class" 1000
  start "$other_exe"; local beside=$last_pid
  check "$name: $other starts beside it" drv wait-window "$other_class" 30000
  drv close "$other_class"
  check "$name: $other ends" ends_with_0 "$beside"

  # The about dialog opens and closes (close box) without opening the support page.
  drv command "$class" 191
  local controls; controls=$(drv show-box "$about_caption" "$name" 10000)
  local rule; rule=$(printf '━%.0s' $(seq 24))
  local line
  for line in "1 OK" "201 $name" "203 $rule" "204 サポートホームページ" "210 readme.txt"; do
    check "$name: about dialog shows '$line'" grep -qxF "$line" <<<"$controls"
  done
  shot "$name-about"
  check "$name: about dialog closes" drv answer "$about_caption" "$name" 2 5000
  check "$name: no page opened" bash -c "sleep 1; ! pgrep -f '[w]inebrowser' >/dev/null"
  check "$name: nothing else asks" drv no-box 1000

  # Exit from the menu while idle.
  drv command "$class" 100
  check "$name: Exit while idle asks nothing" drv wait-no-window "$class" 10000
  check "$name: ends with status 0 after the runs" ends_with_0 "$second"

  # A marker left behind by a killed program does not keep the program from starting. Wine keeps
  # global atoms only while some process runs, so the driver that adds the marker stays until the
  # program has removed it (a loaded machine once let the table go between two driver calls).
  start "$driver" add-atom "$atom" 60000; local holder=$last_pid
  for _ in $(seq 40); do drv has-atom "$atom" && break; sleep 0.25; done
  check "$name: stale marker present" drv has-atom "$atom"
  start "$exe"; local stale=$last_pid
  check "$name: starts despite a stale marker" drv wait-window "$class" 30000
  check "$name: without the double-start message" drv no-box 1500
  drv close "$class"
  check "$name: ends" ends_with_0 "$stale"
  check "$name: the stale marker is gone too" bash -c "! \"$wine_run\" \"$driver\" has-atom '$atom'"
  kill "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null

  # A run that cannot write pi.txt (a directory of that name) ends in an error box; OK leaves the
  # window idle with the record as it was, and the next run works.
  printf '%s\r\n' 5000 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 >"$work/pi_rec.dat"
  cp "$work/pi_rec.dat" "$saved/record.before"
  rm -f "$work/pi.txt"; mkdir "$work/pi.txt"
  start "$exe"; local failing=$last_pid
  check "$name: starts for a run that cannot write pi.txt" drv wait-window "$class" 30000 || return
  drv command "$class" 101
  local box; box=$(drv show-box "$error_caption" '*' 60000)
  check "$name: an error box appears" test -n "$box"
  check "$name: it says pi.txt was left as it was ($(tr '\n' ' ' <<<"$box"))" grep -qF "$unchanged_text" <<<"$box"
  shot "$name-error-box"
  check "$name: OK closes the error box" drv answer "$error_caption" '*' 1 5000
  check "$name: the window stays after the error" drv wait-window "$class" 3000
  check "$name: no time recorded" cmp -s "$work/pi_rec.dat" "$saved/record.before"
  sleep 0.5; shot "$name-idle-after-error"
  rmdir "$work/pi.txt"
  check "$name: idle again: the next run starts and finishes" run_from_menu "$class" 101 "" || return
  check "$name: pi.txt of that run is pi" pi_file_ok 16384 18388
  cp "$work/pi.txt" "$saved/pi.before"

  # A close confirmed during a long run ends the program promptly; pi.txt is the earlier file or a
  # complete new one, and no temporary file stays behind.
  drv command "$class" 109
  sleep 2
  drv close "$class"
  check "$name: closing during the run asks" drv answer "$finish_caption" "$confirm_text" 6 10000
  local asked=$SECONDS
  check "$name: a confirmed close ends the program" drv wait-no-window "$class" 120000
  check "$name: ends with status 0 after a confirmed close (in $((SECONDS - asked)) s)" ends_with_0 "$failing"
  if cmp -s "$work/pi.txt" "$saved/pi.before"; then
    ok "$name: pi.txt is the earlier file byte for byte"
  else
    check "$name: pi.txt is a complete new file of 2^22 digits" pi_file_ok 4194304 4706015
  fi
  local stray; stray=$(cd "$work" && ls -A | grep -vxE 'pi\.txt|pi_rec\.dat|.*\.exe\.out|xvfb\.log' | tr '\n' ' ')
  check "$name: no temporary file left ($stray)" test -z "$stray"
}

# Both programs side by side in one directory: each saves its own time without losing the other's.
side_by_side() {
  say "---- side by side"
  rm -f "$work/pi.txt" "$work/pi_rec.dat"
  start "$mevrow"; local first=$last_pid
  start "$sudelw"; local second=$last_pid
  check "both: windows appear" drv wait-window mevrowClass 30000 || return
  check "both: windows appear" drv wait-window sudelwClass 30000 || return
  check "both: mevrow runs 2^14 digits" run_from_menu mevrowClass 101 "" || return
  check "both: sudelw runs 2^15 digits" finish_keeping_record sudelwClass 102 || return
  check "both: pi_rec.dat holds mevrow's time ($(slot 0)) and sudelw's ($(slot 1))" \
    test "$(slot 0)" -gt 0 -a "$(slot 1)" -gt 0
  check "both: pi.txt of sudelw's run is pi" pi_file_ok 32768 36770

  # A record that cannot be replaced (a directory in the way, or a read-only file) stays as it was.
  rm -f "$work/pi_rec.dat"; mkdir "$work/pi_rec.dat"; echo kept >"$work/pi_rec.dat/inside"
  check "both: a run with a directory named pi_rec.dat" finish_keeping_record mevrowClass 101
  check "both: the directory stays as it was" test "$(cat "$work/pi_rec.dat/inside")" = kept
  rm -rf "$work/pi_rec.dat"
  printf '%s\r\n' 7 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 >"$work/pi_rec.dat"
  cp "$work/pi_rec.dat" "$saved/record.before"
  chmod a-w "$work/pi_rec.dat"
  check "both: a run with a read-only pi_rec.dat" finish_keeping_record sudelwClass 102
  check "both: the read-only record is unchanged" cmp "$work/pi_rec.dat" "$saved/record.before"
  local stray; stray=$(cd "$work" && ls -A | grep -vxE 'pi\.txt|pi_rec\.dat|.*\.exe\.out|xvfb\.log' | tr '\n' ' ')
  check "both: no temporary file left ($stray)" test -z "$stray"
  chmod u+w "$work/pi_rec.dat"

  # A close confirmed while the finish message is open still records the run's time.
  rm -f "$work/pi_rec.dat"
  drv command sudelwClass 103
  check "both: sudelw's finish message" drv show-box "$finish_caption" "$finish_text" 300000 >/dev/null
  drv close sudelwClass
  check "both: closing during the finish message asks" drv answer "$finish_caption" "$confirm_text" 6 10000
  check "both: sudelw ends" drv wait-no-window sudelwClass 30000
  check "both: the time of that 2^16 run is recorded ($(slot 2))" test -n "$(slot 2)" -a "$(slot 2)" != 0

  drv close mevrowClass
  check "both: mevrow ends" ends_with_0 "$first"
  check "both: sudelw ends" ends_with_0 "$second"
}

# mevrow at 144 and then 96 DPI (Wine's LogPixels, read when Wine starts): its idle screen and its
# about dialog. The programs declare no DPI awareness: Windows scales such windows as a whole, while
# Wine draws their caption, menu bar and dialogs at the system DPI and their painting unscaled.
at_dpi() {
  local dpi
  for dpi in 144 96; do
    say "---- mevrow at $dpi DPI"
    "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    "$wineserver" -w
    check "$dpi DPI: the system DPI is $dpi" test "$(drv system-dpi)" = "$dpi"
    rm -f "$work/pi_rec.dat"
    start "$mevrow"; local shown=$last_pid
    check "$dpi DPI: window appears" drv wait-window mevrowClass 30000 || return
    sleep 0.5; shot "mevrow-${dpi}dpi"
    drv command mevrowClass 191
    drv show-box "$about_caption" mevrow 10000 >/dev/null && shot "mevrow-about-${dpi}dpi"
    check "$dpi DPI: the about dialog opens and closes" drv answer "$about_caption" mevrow 1 5000
    drv close mevrowClass
    check "$dpi DPI: mevrow ends" ends_with_0 "$shown"
  done
}

# A run whose iteration 3 leaves its known answer: the error box names the iteration and says the
# digits may still be right; pi.txt stays as it was and no time is recorded.
known_answer_fault() {
  say "---- mevrow_corrupt: iteration 3 leaves its known answer"
  printf 'earlier file\r\n' >"$work/pi.txt"
  cp "$work/pi.txt" "$saved/pi.before"
  printf '%s\r\n' 5000 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 >"$work/pi_rec.dat"
  cp "$work/pi_rec.dat" "$saved/record.before"
  PI_TEST_FAULT="phase 3" start "$mevrow_corrupt"; local corrupt=$last_pid
  check "fault: window appears" drv wait-window mevrowClass 30000 || return
  drv command mevrowClass 101
  local box; box=$(drv show-box "$error_caption" '*' 60000)
  check "fault: the error box names iteration 3 ($(tr '\n' ' ' <<<"$box"))" grep -qF "(第3反復)" <<<"$box"
  check "fault: it says the digits may still be right" grep -qF "円周率の桁は正しい可能性があります" <<<"$box"
  check "fault: it says pi.txt was left as it was" grep -qF "$unchanged_text" <<<"$box"
  shot "mevrow-not-reproducible"
  check "fault: OK closes the error box" drv answer "$error_caption" '*' 1 5000
  check "fault: pi.txt is the earlier file" cmp -s "$work/pi.txt" "$saved/pi.before"
  check "fault: no time recorded" cmp -s "$work/pi_rec.dat" "$saved/record.before"
  drv close mevrowClass
  check "fault: mevrow_corrupt ends" ends_with_0 "$corrupt"
}

begin=$(date +%s)
# The caption buttons are drawn from Wine's symbol font (scripts/wine-run installs it in the prefix).
check "Wine's symbol font Marlett is installed" drv has-font Marlett
scenario mevrow sudelw
scenario sudelw mevrow
side_by_side
if [ -n "$mevrow_corrupt" ]; then known_answer_fault; fi
at_dpi
say "$failures failure(s) in $(($(date +%s) - begin)) s; screenshots in $shots"
[ "$failures" -eq 0 ]
