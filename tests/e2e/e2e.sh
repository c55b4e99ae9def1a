#!/usr/bin/env bash
# One end-to-end case: Xvfb, virtual printers on COM1 (pseudo-terminal) and LPT1 (FIFO),
# the real program driven with xdotool, then the decoded paper is checked.
# Every process started here is ended on exit, and every wait is bounded.
set -euo pipefail
case_name=$1
bin=${VEMIX_BIN_DIR:?}
work=$(mktemp -d /tmp/vemix-e2e.XXXXXX)
chmod 700 "$work"
pids=()
cleanup() {
    # Newest first, so the program goes before the printers and the X server.
    local i pid
    for (( i=${#pids[@]}-1; i>=0; i-- )); do
        pid=${pids[i]}
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    done
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL [$case_name]: $*" >&2; [ -n "${KEEP_WORK:-}" ] && ps -ef | grep -E "Xvfb|vemix" >&2; for f in "$work"/*.txt; do [ -f "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }; done; exit 1; }

# wait_for SECONDS COMMAND...: retries the command until it succeeds or time runs out.
wait_for() {
    local deadline=$(( $(date +%s) + $1 )); shift
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# The screen cases need a larger screen.
case "$case_name" in
screen-*) screen_size=1280x1024 ;;
*) screen_size=1024x768 ;;
esac
start_display() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 "${screen_size}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    exec 3>&-
    wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$work/display")"
}

# start_printer NAME MODE: COM1 printer on a pseudo-terminal linked at $work/com1.
start_com_printer() {
    "$bin/vemix-printer" --mode "$1" --link "$work/com1" >"$work/com1.txt" 2>"$work/com1.err" &
    com_printer_pid=$!
    pids+=($!)
    wait_for 10 test -e "$work/com1" || fail "COM1 printer did not start"
}
# start_net_printer MODE: a network printer on a free loopback port; its address in $net_addr.
start_net_printer() {
    "$bin/vemix-printer" --mode "$1" --listen 0 >"$work/net.txt" 2>"$work/net.err" &
    pids+=($!)
    wait_for 10 grep -q . "$work/net.txt" || fail "network printer did not start"
    net_addr=$(head -n1 "$work/net.txt")
}
start_lpt_printer() {
    mkfifo "$work/lpt1"
    "$bin/vemix-printer" --mode "$1" --input "$work/lpt1" >"$work/lpt1.txt" 2>"$work/lpt1.err" &
    pids+=($!)
    wait_for 10 grep -q . "$work/lpt1.txt" || fail "LPT1 printer did not start"
}

# The program's own settings live in $work/config, never in the user's.
com1_env=(VEMIX_COM1="$work/com1")

window_id() { xdotool search --onlyvisible --name '列印測試' 2>/dev/null | head -n1; }
window_shown() { [ -n "$(window_id)" ]; }

# start_program [NAME=VALUE...]: the program with more variables. Started straight from this
# shell, so that $program_pid is the program itself.
start_program() {
    env QT_QPA_PLATFORM=xcb TMPDIR="$work" XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work/config" \
        "${com1_env[@]}" VEMIX_LPT1="$work/lpt1" VEMIX_TRACE=1 "$@" \
        "$bin/vemix-test" >"$work/program.out" 2>>"$work/program.err" &
    program_pid=$!
    pids+=($program_pid)
    wait_for 30 window_shown || fail "the window did not appear"
    win=$(window_id)
    sleep 0.5
}

# click X Y: a left click at window coordinates.
click() {
    xdotool mousemove --window "$win" "$1" "$2" click 1
    sleep 0.3
}

# enter X Y TEXT: replaces the text of the edit at X Y.
enter() {
    click "$1" "$2"
    xdotool key --window "$win" ctrl+a
    xdotool type --window "$win" --delay 30 "$3"
    sleep 0.2
}

# The close timings measure the program, not a sanitizer build's leak scan at exit (about a
# second under load); every other case keeps the leak check.
no_exit_scan=(ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0")

# The program has ended (a zombie counts: it is only not yet collected).
# Read once: the shell may reap the program between two looks at /proc.
program_gone() {
    local state
    state=$(awk '{print $3}' "/proc/$program_pid/stat" 2>/dev/null) || return 0
    [ -z "$state" ] || [ "$state" = Z ]
}

# close_window: asks the window to close as a window manager does; $closed_ms is how long the
# program took to end.
close_window() {
    local t0 t1
    t0=$(date +%s%N)
    "$bin/vemix-e2e-close" "$win"
    local gone=no
    for _ in $(seq 2500); do
        if program_gone; then gone=yes; break; fi
        sleep 0.002
    done
    t1=$(date +%s%N)
    [ "$gone" = yes ] || fail "the program did not end after the close request"
    closed_ms=$(( (t1 - t0) / 1000000 ))
    echo "closed in $closed_ms ms"
}

stop_program() {
    kill "$program_pid"; wait "$program_pid" 2>/dev/null || true
    win=""
}

# rows_after_last_page_end FILE: printed rows after the last page end.
rows_after_last_page_end() {
    awk '/^\[page end\]/ { n = 0; next } /^\|/ { n++ } END { print n + 0 }' "$1"
}
rows_after_page_end_are() { [ "$(rows_after_last_page_end "$1")" -eq "$2" ]; }

page_ends_are() { [ "$(grep -c '^\[page end\]' "$1")" -eq "$2" ]; }

# rows_starting FILE TEXT N: the paper shows N rows that start with TEXT.
rows_starting() { [ "$(grep -c "^|$2" "$1")" -eq "$3" ]; }

dialog_id() { xdotool search --onlyvisible --name '連接埠設定' 2>/dev/null | head -n1; }
dialog_shown() { [ -n "$(dialog_id)" ]; }
dialog_gone() { [ -z "$(dialog_id)" ]; }

# Control positions on the window (its fonts and layout are fixed by the form file).
readonly EDIT1="60 20"
readonly MODE_EPSON="25 105" MODE_START="25 157" MODE_TP3688="25 209"
readonly PORT_COM1="172 79" PORT_LPT1="172 183" PORT_NET="172 235" PORT_SETTINGS="224 276"
readonly STATUS="379 276" TEST_PAGES="224 311"
readonly BUTTON1="379 55" BUTTON2="379 87" BUTTON4="379 151" BUTTON5="379 183" BUTTON6="379 215"
readonly DELAY="145 345" PAGES="247 345" BUTTON12="379 345" BUTTON_CUT="379 636"
readonly LINEFEED="330 404" BUTTON8="411 404"

# paper_has FILE TEXT: the decoded paper shows TEXT (fixed string) within 20 s.
paper_has() { wait_for 20 grep -qF -- "$2" "$1"; }

pages_id() { xdotool search --onlyvisible --name '^測試頁' 2>/dev/null | head -n1; }
pages_shown() { [ -n "$(pages_id)" ]; }
pages_gone() { [ -z "$(pages_id)" ]; }
save_id() { xdotool search --onlyvisible --name '^存成圖檔' 2>/dev/null | head -n1; }
save_shown() { [ -n "$(save_id)" ]; }

# print_einvoice_by_keyboard PAPER: opens 測試頁…, prints the e-invoice sample by keys alone,
# saves the preview as $work/preview.png, closes the dialog; PAPER is the printer's text.
print_einvoice_by_keyboard() {
    click $TEST_PAGES
    wait_for 10 pages_shown || fail "the test pages did not open"
    # Keys go to the window under the pointer; the list has the focus.
    xdotool mousemove --window "$(pages_id)" 5 5
    for _ in $(seq 7); do xdotool key Down; done
    xdotool key Return
    paper_has "$1" '[barcode CODE39 ' || fail "the e-invoice did not arrive"
    grep -qF 'AB-12345678' "$1" || fail "the invoice number is missing"
    # To 存成圖檔… past the width, the 15 fields of the e-invoice and the preview.
    for _ in $(seq 17); do xdotool key Tab; done
    xdotool key space
    wait_for 10 save_shown || fail "no file dialog for the preview"
    xdotool mousemove --window "$(save_id)" 5 5
    xdotool type --delay 20 "$work/preview.png"
    xdotool key Return
    wait_for 10 test -s "$work/preview.png" || fail "the preview was not saved"
    xdotool mousemove --window "$(pages_id)" 5 5
    xdotool key Escape
    wait_for 10 pages_gone || fail "Escape did not close the test pages"
}

# The message boxes carry the application's title.
box_id() { xdotool search --onlyvisible --name '^Vemix_Test$' 2>/dev/null | head -n1; }
box_shown() { [ -n "$(box_id)" ]; }
box_gone() { [ -z "$(box_id)" ]; }
# dismiss_box: OK on the box that is shown.
dismiss_box() {
    local box
    box=$(box_id)
    xdotool mousemove --window "$box" 5 5
    xdotool key Return
    wait_for 10 box_gone || fail "the box did not close"
}
# within_screen WINDOW: the window lies wholly on the screen.
within_screen() {
    local X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    local sw=${screen_size%x*} sh=${screen_size#*x}
    echo "window $1 at $X,$Y size ${WIDTH}x$HEIGHT on ${sw}x$sh"
    [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$sw" ] && [ $((Y + HEIGHT)) -le "$sh" ]
}
status_boxes() { grep -c '^vemix: status box: ' "$work/program.err" || true; }
console_id() { xdotool search --onlyvisible --name '^指令主控台' 2>/dev/null | head -n1; }
console_shown() { [ -n "$(console_id)" ]; }
console_gone() { [ -z "$(console_id)" ]; }
# console_says TEXT: the console's pane showed a line holding TEXT (fixed string) within 10 s.
console_says() { wait_for 10 console_has "$1"; }
console_has() { grep '^vemix: console: ' "$work/program.err" | grep -qF -- "$1"; }
# open_console_by_keys: from the text line, Tab to 指令主控台… and Enter; keys then go to it.
# The keys go as a keyboard sends them: after an Enter sent to the main window alone (xdotool
# --window, an event without a time) the console loses its first Enter.
open_console_by_keys() {
    for _ in $(seq 6); do xdotool key Tab; sleep 0.1; done
    xdotool key Return
    wait_for 10 console_shown || fail "the console did not open"
    # Beside the main window, whose buttons are clicked meanwhile.
    xdotool windowmove "$(console_id)" 760 0
    sleep 0.5
    xdotool mousemove --window "$(console_id)" 5 5
}
# console_focus: the console takes the keys, as switching windows does.
console_focus() {
    xdotool mousemove --window "$(console_id)" 5 5
    xdotool windowfocus --sync "$(console_id)"
}
# console_line TEXT: types a line into the console and sends it with Enter.
console_line() {
    console_focus
    xdotool type --delay 20 -- "$1"
    xdotool key Return
    sleep 0.3
}
# ask_status: presses the status button and waits for its box; the box's text is in $status.
ask_status() {
    local before
    before=$(status_boxes)
    click $STATUS
    wait_for 10 box_shown || fail "no box after the status button"
    wait_for 10 test "$(status_boxes)" -gt "$before" || fail "the box's text was not traced"
    status=$(grep '^vemix: status box: ' "$work/program.err" | tail -n1)
    dismiss_box
}
# expect_status TEXT...: the last status box holds every TEXT.
expect_status() {
    local t
    for t in "$@"; do
        grep -qF -- "$t" <<<"$status" || fail "the status box lacks '$t': $status"
    done
}
# restart_com_printer ARGS...: a new COM1 printer at the same link, in another state.
restart_com_printer() {
    kill "$com_printer_pid"; wait "$com_printer_pid" 2>/dev/null || true
    "$bin/vemix-printer" --link "$work/com1" "$@" >"$work/com1.txt" 2>"$work/com1.err" &
    com_printer_pid=$!
    pids+=($!)
    wait_for 10 test -e "$work/com1" || fail "COM1 printer did not start"
}

start_display
case "$case_name" in
typed-line)
    start_com_printer EPSON
    start_program
    click $EDIT1
    xdotool key --window "$win" ctrl+a
    xdotool type --window "$win" --delay 30 'HELLO 123'
    click $BUTTON1
    paper_has "$work/com1.txt" '|HELLO 123                       |' || fail "typed line not printed"
    ;;
invoice)
    start_com_printer EPSON
    start_program
    click $BUTTON6
    paper_has "$work/com1.txt" '[page end]' || fail "no page end"
    grep -qF '|Kavrilon股份有限公司' "$work/com1.txt" || fail "seller missing"
    grep -qF '|總  計:                  5,775元|' "$work/com1.txt" || fail "total missing"
    # Nine single feeds between the last item and the sales total.
    feeds=$(sed -n '/小計:   3,000元/,/銷售額:/p' "$work/com1.txt" | grep -cxF '|                                |')
    [ "$feeds" -eq 9 ] || fail "expected 9 feeds, saw $feeds"
    # The date line is 34 columns: the printer wraps it.
    [ "$(grep -c '^|' "$work/com1.txt")" -eq 26 ] || fail "expected 17 lines and 9 feeds"
    ;;
full-page-lpt)
    start_lpt_printer EPSON
    start_program
    click $PORT_LPT1
    click $BUTTON5
    paper_has "$work/lpt1.txt" '[page end]' || fail "no page end"
    grep -qF '|12345678901234567890123456789012|' "$work/lpt1.txt" || fail "ruler missing"
    [ "$(grep -c '^|\*[0-9][0-9]: || ' "$work/lpt1.txt")" -eq 26 ] || fail "expected 26 stamped lines"
    [ "$(grep -c '^|' "$work/lpt1.txt")" -eq 28 ] || fail "expected 28 lines"
    ;;
cut-each-mode)
    for mode in EPSON START TP-3688; do
        start_com_printer "$mode"
        [ -n "${win:-}" ] || start_program
        case $mode in
        EPSON) click $MODE_EPSON; want='[cut partial]' ;;
        START) click $MODE_START; want='[cut n=1]' ;;
        TP-3688) click $MODE_TP3688; want='[cut n=1]' ;;
        esac
        click $BUTTON_CUT
        paper_has "$work/com1.txt" "$want" || fail "$mode: no cut"
        grep -q '^\[unknown' "$work/com1.txt" && fail "$mode: unknown bytes"
        kill "$com_printer_pid"; wait "$com_printer_pid" 2>/dev/null || true
        rm -f "$work/com1"
    done
    ;;
double-paste)
    # Clicking into the line count selects its text, which X puts in the primary selection;
    # a stray middle click must not paste it again (3 would become 33).
    start_com_printer EPSON
    start_program
    click $LINEFEED
    xdotool type --window "$win" --delay 30 '3'
    click $EDIT1
    click $LINEFEED
    xdotool mousemove --window "$win" $LINEFEED click 2
    sleep 0.3
    click $EDIT1
    click $BUTTON8
    paper_has "$work/com1.txt" '[feed ' || fail "no feed"
    grep -q '^\[unknown' "$work/com1.txt" && fail "unknown bytes"
    [ "$(grep -c '^\[feed ' "$work/com1.txt")" -eq 1 ] || fail "expected one feed command"
    grep -qxF '[feed 3 lines]' "$work/com1.txt" || fail "expected 1B 64 03, saw $(grep '^\[feed ' "$work/com1.txt")"
    ;;
second-start)
    start_com_printer EPSON
    start_program
    timeout 20 env QT_QPA_PLATFORM=xcb TMPDIR="$work" XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work/config" \
        "$bin/vemix-test" >"$work/second.txt" 2>&1 || fail "second start did not end by itself"
    wait_for 10 grep -q 'brought forward by a second start' "$work/program.err" \
        || fail "first instance was not asked to come forward"
    kill -0 "$program_pid" || fail "first instance ended"
    [ "$(xdotool search --onlyvisible --name '列印測試' | wc -l)" -eq 1 ] || fail "a second window appeared"
    ;;
net-invoice)
    start_net_printer EPSON
    start_program VEMIX_NET="$net_addr"
    click $PORT_NET
    click $BUTTON6
    paper_has "$work/net.txt" '[page end]' || fail "no page end"
    grep -qF '|Kavrilon股份有限公司' "$work/net.txt" || fail "seller missing"
    grep -qF '|總  計:                  5,775元|' "$work/net.txt" || fail "total missing"
    [ "$(grep -c '^|' "$work/net.txt")" -eq 26 ] || fail "expected 17 lines and 9 feeds"
    [ "$(grep -c "NET ($net_addr) \[" "$work/program.err")" -eq 26 ] || fail "expected 26 cycles"
    ;;
port-settings)
    # No variable for COM1: the dialog maps it.
    com1_env=()
    start_com_printer EPSON
    start_program
    click $PORT_SETTINGS
    wait_for 10 dialog_shown || fail "the dialog did not open"
    sleep 0.5
    dialog=$(dialog_id)
    # COM1's field has the focus first; keys go to the window under the pointer.
    xdotool mousemove --window "$dialog" 5 5
    xdotool type --delay 20 "$work/com1"
    xdotool key Return
    wait_for 10 dialog_gone || fail "the dialog did not close"
    grep -qxF "COM1=$work/com1" "$work/config/vemix/vemix-test.ini" || fail "mapping not stored"
    click $BUTTON1
    wait_for 20 rows_starting "$work/com1.txt" 一二三四五六七八九十 1 \
        || fail "typed line did not arrive through the mapping"
    # A new run uses the stored mapping.
    stop_program
    start_program
    click $BUTTON1
    wait_for 20 rows_starting "$work/com1.txt" 一二三四五六七八九十 2 \
        || fail "the mapping did not survive a restart"
    # A variable overrides it for its run.
    stop_program
    "$bin/vemix-printer" --link "$work/com1b" >"$work/com1b.txt" 2>"$work/com1b.err" &
    pids+=($!)
    wait_for 10 test -e "$work/com1b" || fail "second printer did not start"
    start_program VEMIX_COM1="$work/com1b"
    click $BUTTON1
    paper_has "$work/com1b.txt" '|一二三四五六七八九十' || fail "the variable did not override"
    sleep 1
    rows_starting "$work/com1.txt" 一二三四五六七八九十 2 || fail "the stored device was used"
    ;;
close-during-pause)
    start_com_printer EPSON
    start_program "${no_exit_scan[@]}"
    enter $DELAY 60000
    enter $PAGES 2
    click $BUTTON12
    paper_has "$work/com1.txt" '[page end]' || fail "first invoice missing"
    sleep 0.5
    close_window
    [ "$closed_ms" -lt 1000 ] || fail "closing took $closed_ms ms"
    sleep 1
    [ "$(grep -c '^\[page end\]' "$work/com1.txt")" -eq 1 ] || fail "something was sent after the close"
    ;;
close-during-stalled-lpt)
    # A printer that takes nothing: the FIFO is held open here and never read, and full.
    mkfifo "$work/lpt1"
    exec 5<>"$work/lpt1"
    dd if=/dev/zero of="$work/lpt1" bs=4096 count=16 2>/dev/null
    start_program "${no_exit_scan[@]}"
    click $PORT_LPT1
    click $BUTTON5
    sleep 1.5
    close_window
    [ "$closed_ms" -lt 1000 ] || fail "closing took $closed_ms ms"
    held=$(timeout 2 cat <&5 | wc -c || true)
    exec 5<&-
    [ "$held" -eq 65536 ] || fail "the printer got $(( held - 65536 )) bytes after the close"
    [ "$(grep -c '^vemix: LPT1 (' "$work/program.err")" -le 1 ] || fail "more lines were tried"
    ;;
click-during-pause)
    start_com_printer EPSON
    start_program
    enter $DELAY 4000
    click $BUTTON12
    paper_has "$work/com1.txt" '[page end]' || fail "invoice missing"
    t0=$(date +%s%N)
    click $BUTTON2
    sleep 1.5
    rows_after_page_end_are "$work/com1.txt" 0 || fail "the click ran during the pause"
    wait_for 20 rows_after_page_end_are "$work/com1.txt" 1 || fail "the click never took effect"
    t1=$(date +%s%N)
    after_ms=$(( (t1 - t0) / 1000000 ))
    echo "the click took effect $after_ms ms after it was made"
    [ "$after_ms" -ge 3000 ] || fail "the click ran after $after_ms ms, inside the pause"
    ;;
clicks-during-pause)
    # Three presses during the first pause run after it, in the order pressed, before the
    # second invoice.
    start_com_printer EPSON
    start_program
    enter $DELAY 5000
    enter $PAGES 2
    click $BUTTON12
    paper_has "$work/com1.txt" '[page end]' || fail "first invoice missing"
    click $BUTTON4
    click $BUTTON_CUT
    click $BUTTON8
    wait_for 30 page_ends_are "$work/com1.txt" 2 || fail "second invoice missing"
    between=$(sed -n '/^\[page end\]/,/^\[page end\]/p' "$work/com1.txt" | grep -E '^\[(drawer|cut|feed)' | cut -c1-7 | tr '\n' ' ')
    [ "$between" = "[drawer [cut pa [feed 1 " ] || fail "between the invoices: $between"
    ;;
close-during-box)
    # A missing COM1 gives two boxes per line of the full page. A close request while the
    # first is up waits for it, then the job ends: no other box, no other line tried.
    start_program VEMIX_COM1="$work/missing" "${no_exit_scan[@]}"
    click $BUTTON5
    wait_for 10 box_shown || fail "no box for the missing port"
    "$bin/vemix-e2e-close" "$win"
    sleep 1
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended while the box was up"
    box_shown || fail "the box went away by itself"
    xdotool mousemove --window "$(box_id)" 5 5
    xdotool key Return
    wait_for 10 program_gone || fail "the program did not end once the box was dismissed"
    [ "$(grep -c 'No such file or directory' "$work/program.err")" -eq 1 ] || fail "more lines were tried"
    ;;
escape-during-repeat)
    # Escape in the window during the pause ends continuous printing; a click made before it
    # in the same pause still runs, and the window goes on working.
    start_com_printer EPSON
    start_program
    enter $DELAY 60000
    enter $PAGES 3
    click $BUTTON12
    paper_has "$work/com1.txt" '[page end]' || fail "first invoice missing"
    click $BUTTON2
    xdotool key --window "$win" Escape
    wait_for 10 rows_after_page_end_are "$work/com1.txt" 1 || fail "the job did not end, or the click was lost"
    click $BUTTON_CUT
    paper_has "$work/com1.txt" '[cut partial]' || fail "the window did not work after the job"
    page_ends_are "$work/com1.txt" 1 || fail "a second invoice was printed"
    ;;
screen-scale-1.5)
    # At 1.5 the window is a little taller than the screen: within it, to the device pixel.
    start_program QT_SCALE_FACTOR=1.5 "${no_exit_scan[@]}"
    sleep 0.5
    within_screen "$win" || fail "the window leaves the screen"
    close_window
    ;;
screen-scale-2)
    # At scale 2 the window is larger than the 1280 x 1024 screen: it lies within the screen
    # and scrolls, the status box fits too, and the bottom row is reached by scrolling.
    start_com_printer EPSON
    start_program QT_SCALE_FACTOR=2 "${no_exit_scan[@]}"
    within_screen "$win" || fail "the window leaves the screen"
    # The status button, at 379,276 on the window, is in view unscrolled.
    click 758 552
    wait_for 10 box_shown || fail "no status box"
    sleep 1
    within_screen "$(box_id)" || fail "the status box leaves the screen"
    dismiss_box
    # Scrolled to the end, CUT (379,636 on the window) is 736 - 512 units higher.
    xdotool mousemove --window "$win" 600 900
    for _ in $(seq 20); do xdotool click 5; done
    sleep 0.5
    click 758 824
    paper_has "$work/com1.txt" '[cut partial]' || fail "CUT could not be reached by scrolling"
    # Closing the scrolling window closes the program's window.
    close_window
    ;;
status-pty)
    start_com_printer EPSON
    start_program
    ask_status
    expect_status '連接埠：COM1' '送出查詢：12 / 12 位元組' '連線狀態：上線' '紙捲用完：否' \
        'DLE EOT 1 → 12，DLE EOT 2 → 12，DLE EOT 3 → 12，DLE EOT 4 → 12'
    paper_has "$work/com1.txt" '[status request 4]' || fail "the requests did not show on paper"
    restart_com_printer --paper out
    ask_status
    expect_status '連線狀態：離線' '因缺紙停止列印：是' '紙捲將盡：是' '紙捲用完：是' \
        'DLE EOT 1 → 1A，DLE EOT 2 → 32，DLE EOT 3 → 12，DLE EOT 4 → 7E'
    restart_com_printer --paper near-end
    ask_status
    expect_status '連線狀態：上線' '紙捲將盡：是' '紙捲用完：否'
    restart_com_printer --cover open
    ask_status
    expect_status '連線狀態：離線' '上蓋：開啟' '發生錯誤：是'
    restart_com_printer --drawer open
    ask_status
    expect_status '錢箱接腳 3：高電位' '連線狀態：上線'
    restart_com_printer --offline
    ask_status
    expect_status '連線狀態：離線' '上蓋：關閉' '紙捲用完：否'
    # The window still prints afterwards, and reads nothing back for it.
    click $BUTTON2
    paper_has "$work/com1.txt" '|                                |' || fail "no line feed after the status"
    ;;
status-net)
    start_net_printer EPSON
    kill "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null || true
    "$bin/vemix-printer" --listen 0 --paper out >"$work/net.txt" 2>"$work/net.err" &
    pids+=($!)
    wait_for 10 grep -q . "$work/net.txt" || fail "network printer did not start"
    net_addr=$(head -n1 "$work/net.txt")
    start_program VEMIX_NET="$net_addr"
    click $PORT_NET
    ask_status
    expect_status "連接埠：NET ($net_addr)" '送出查詢：12 / 12 位元組' '連線狀態：離線' '紙捲用完：是'
    paper_has "$work/net.txt" '[status request 4]' || fail "the requests did not show on paper"
    ;;
status-silent)
    "$bin/vemix-printer" --link "$work/com1" --silent >"$work/com1.txt" 2>"$work/com1.err" &
    pids+=($!)
    wait_for 10 test -e "$work/com1" || fail "COM1 printer did not start"
    start_program
    t0=$(date +%s%N)
    xdotool mousemove --window "$win" $STATUS click 1
    wait_for 10 box_shown || fail "no box after the status button"
    t1=$(date +%s%N)
    took_ms=$(( (t1 - t0) / 1000000 ))
    echo "the no-answer box came after $took_ms ms"
    [ "$took_ms" -lt 2500 ] || fail "the no-answer box took $took_ms ms"
    wait_for 10 test "$(status_boxes)" -gt 0 || fail "the box's text was not traced"
    status=$(grep '^vemix: status box: ' "$work/program.err" | tail -n1)
    expect_status '印表機沒有回應' '送出查詢：3 / 3 位元組' '只接收、不回傳'
    dismiss_box
    ;;
status-missing)
    start_program VEMIX_COM1="$work/missing"
    click $STATUS
    wait_for 10 box_shown || fail "no open message"
    grep -qF 'vemix: status open message: COM1 PORT 開啟失敗！' "$work/program.err" \
        || fail "the open message did not come first"
    [ "$(status_boxes)" -eq 0 ] || fail "the status box came before the open message"
    # OK on the open message; the status box takes its place.
    xdotool mousemove --window "$(box_id)" 5 5
    xdotool key Return
    wait_for 10 test "$(status_boxes)" -gt 0 || fail "no status box after the open message"
    wait_for 10 box_shown || fail "the status box is not shown"
    status=$(grep '^vemix: status box: ' "$work/program.err" | tail -n1)
    expect_status '連接埠：COM1' '連線檢查：連接埠無法開啟'
    dismiss_box
    [ ! -e "$work/missing" ] || fail "the device was created"
    ;;
console-pty)
    # The console by keyboard alone: a status answer decoded, text printed, the main window's
    # buttons working beside it on the same port, Escape closing it.
    "$bin/vemix-printer" --link "$work/com1" --paper near-end >"$work/com1.txt" 2>"$work/com1.err" &
    pids+=($!)
    wait_for 10 test -e "$work/com1" || fail "COM1 printer did not start"
    start_program
    click $EDIT1
    open_console_by_keys
    console_line 'DLE EOT 4'
    console_says 'DLE EOT 4 紙捲感應器 — 紙捲將盡：是，紙捲用完：否' || fail "no decoded answer"
    paper_has "$work/com1.txt" '[status request 4]' || fail "the request did not reach the printer"
    console_line '"HELLO 123" LF'
    paper_has "$work/com1.txt" '|HELLO 123                       |' || fail "the text was not printed"
    # A line that does not parse sends nothing, and says why.
    console_line '41 zz'
    sleep 0.5
    console_has '→ COM1  2 位元組' && fail "a line that does not parse was sent"
    # The main window's button on the port the console holds.
    click $BUTTON2
    wait_for 10 rows_starting "$work/com1.txt" '                                |' 1 || fail "the button's line feed did not arrive"
    console_has '已關閉' && fail "the console's port was closed for the button"
    console_focus
    xdotool key Escape
    wait_for 10 console_gone || fail "Escape did not close the console"
    # The history is kept for the next run.
    grep -qF 'DLE EOT 4' "$work/config/vemix/vemix-test.ini" || fail "the history was not kept"
    close_window
    ;;
console-net)
    # A network printer that closes a connection idle for a second: the console keeps its
    # connection, the buttons use it, the drop is said and the next line connects again.
    "$bin/vemix-printer" --listen 0 --idle 1 >"$work/net.txt" 2>"$work/net.err" &
    pids+=($!)
    wait_for 10 grep -q . "$work/net.txt" || fail "network printer did not start"
    net_addr=$(head -n1 "$work/net.txt")
    start_program VEMIX_NET="$net_addr"
    click $PORT_NET
    click $EDIT1
    open_console_by_keys
    console_line 'DLE EOT 1 GS I 0x43'
    console_says 'GS I 0x43 型號名稱 — VP-32 Virtual' || fail "no identity answer"
    console_has 'DLE EOT 1 印表機 — 錢箱接腳 3：低電位，連線狀態：上線' || fail "no status answer"
    t0=$(date +%s%N)
    click $BUTTON2
    wait_for 10 grep -q "NET ($net_addr) \[0A\]" "$work/program.err" || fail "the button's cycle did not run"
    t1=$(date +%s%N)
    [ $(( (t1 - t0) / 1000000 )) -lt 900 ] || fail "the button waited for a connection of its own"
    console_says '! NET 印表機關閉了連線' || fail "the dropped connection was not said"
    console_line '"AGAIN" LF'
    paper_has "$work/net.txt" '|AGAIN' || fail "the next line did not connect again"
    grep -q 'sent nothing for 1 s' "$work/net.err" || fail "the printer did not close the idle connection"
    close_window
    ;;
test-pages-pty|test-pages-net)
    # The printer draws what arrived when it stops; the preview must be that picture.
    if [ "$case_name" = test-pages-pty ]; then
        "$bin/vemix-printer" --link "$work/com1" --png "$work/paper.png" >"$work/com1.txt" 2>"$work/com1.err" &
        printer_pid=$!
        pids+=($!)
        wait_for 10 test -e "$work/com1" || fail "COM1 printer did not start"
        start_program
        paper="$work/com1.txt"
    else
        "$bin/vemix-printer" --listen 0 --png "$work/paper.png" >"$work/net.txt" 2>"$work/net.err" &
        printer_pid=$!
        pids+=($!)
        wait_for 10 grep -q . "$work/net.txt" || fail "network printer did not start"
        net_addr=$(head -n1 "$work/net.txt")
        start_program VEMIX_NET="$net_addr"
        click $PORT_NET
        paper="$work/net.txt"
    fi
    print_einvoice_by_keyboard "$paper"
    # One port cycle for the whole page.
    [ "$(grep -c '^vemix: \(COM1\|NET\) ([^)]*) \[' "$work/program.err")" -eq 1 ] || fail "expected one port cycle"
    kill "$printer_pid"; wait "$printer_pid" 2>/dev/null || true
    test -s "$work/paper.png" || fail "the printer drew no picture"
    # On a pseudo-terminal the printer marks the line's speed above what it received; the
    # preview has no line. Those rows below the top margin aside, the pictures are one.
    extra=$(( $(identify -format %h "$work/paper.png") - $(identify -format %h "$work/preview.png") ))
    if [ "$extra" -gt 0 ]; then
        grep -qxF '[speed 9600]' "$paper" || fail "the paper is $extra rows longer than the preview"
        convert "$work/paper.png" -chop "0x${extra}+0+16" "$work/paper.png"
    fi
    differ=$(compare -metric AE "$work/preview.png" "$work/paper.png" null: 2>&1) || true
    [ "$differ" = 0 ] || fail "the preview and the printed paper differ in $differ pixels"
    ;;
*) fail "unknown case" ;;
esac
echo "PASS [$case_name]"
