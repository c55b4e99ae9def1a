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

start_display() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    exec 3>&-
    wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$work/display")"
}

# start_printer NAME MODE: COM1 printer on a pseudo-terminal linked at $work/com1.
start_com_printer() {
    "$bin/vemix-printer" --mode "$1" --link "$work/com1" >"$work/com1.txt" 2>"$work/com1.err" &
    pids+=($!)
    wait_for 10 test -e "$work/com1" || fail "COM1 printer did not start"
}
start_lpt_printer() {
    mkfifo "$work/lpt1"
    "$bin/vemix-printer" --mode "$1" --input "$work/lpt1" >"$work/lpt1.txt" 2>"$work/lpt1.err" &
    pids+=($!)
    wait_for 10 grep -q . "$work/lpt1.txt" || fail "LPT1 printer did not start"
}

program_env() {
    env QT_QPA_PLATFORM=xcb TMPDIR="$work" XDG_RUNTIME_DIR="$work" \
        VEMIX_COM1="$work/com1" VEMIX_LPT1="$work/lpt1" VEMIX_TRACE=1 "$@"
}

window_id() { xdotool search --onlyvisible --name '列印測試' 2>/dev/null | head -n1; }
window_shown() { [ -n "$(window_id)" ]; }

start_program() {
    program_env "$bin/vemix-test" >"$work/program.out" 2>"$work/program.err" &
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

# Control positions on the window (its fonts and layout are fixed by the form file).
readonly EDIT1="60 20"
readonly MODE_EPSON="25 98" MODE_START="25 143" MODE_TP3688="25 188"
readonly PORT_COM1="172 79" PORT_LPT1="172 183"
readonly BUTTON1="379 55" BUTTON5="379 183" BUTTON6="379 215" BUTTON_CUT="379 540"
readonly LINEFEED="330 308" BUTTON8="411 308"

# paper_has FILE TEXT: the decoded paper shows TEXT (fixed string) within 20 s.
paper_has() { wait_for 20 grep -qF -- "$2" "$1"; }

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
    [ "$(grep -c '^|' "$work/com1.txt")" -eq 25 ] || fail "expected 16 lines and 9 feeds"
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
        kill "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null || true
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
    timeout 20 env QT_QPA_PLATFORM=xcb TMPDIR="$work" XDG_RUNTIME_DIR="$work" \
        "$bin/vemix-test" >"$work/second.txt" 2>&1 || fail "second start did not end by itself"
    wait_for 10 grep -q 'brought forward by a second start' "$work/program.err" \
        || fail "first instance was not asked to come forward"
    kill -0 "$program_pid" || fail "first instance ended"
    [ "$(xdotool search --onlyvisible --name '列印測試' | wc -l)" -eq 1 ] || fail "a second window appeared"
    ;;
*) fail "unknown case" ;;
esac
echo "PASS [$case_name]"
