#!/bin/bash
# Smoke test of the stand-in taskbar under Wine on a private Xvfb display: window structure and
# geometry, foreign icons, Shell_NotifyIcon callers (at once and with a resize delay), sliding
# away, a real click, the top edge, a taskbar without a notification area, and the taskbar on a
# thread of a process that adds icons itself. One process runs the steps in order; every Wine
# program it starts is stopped again by the exit trap.
#
#   bash taskbar_smoke.sh WORKDIR BINDIR
# WORKDIR holds the Wine prefix and logs; BINDIR is the build directory (the programs are looked
# up there and in its tools/*/ folders). Exits 0 when every check passed.
set -u -o pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 WORKDIR BINDIR" >&2
    exit 2
fi
WORKDIR=$(mkdir -p "$1" && cd "$1" && pwd)
BINDIR=$(cd "$2" && pwd) || exit 2

SCREEN_W=1024
SCREEN_H=768
BAR_H=28
CLOCK_W=60
PADDING=4

export WINEPREFIX="$WORKDIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8

failures=0
xvfb_pid=""
taskbar_pid=""

find_program() {
    local name=$1 candidate
    for candidate in "$BINDIR/$name" "$BINDIR"/tools/*/"$name" "$BINDIR"/*/"$name"; do
        if [ -f "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    echo "missing program: $name" >&2
    return 1
}

TASKBAR=$(find_program Taskbar.exe) || exit 2
PROBE=$(find_program Probe.exe) || exit 2
NOTIFY_CALLER=$(find_program notify_caller.exe) || exit 2
THREAD_CHECK=$(find_program taskbar_thread_check.exe 2>/dev/null) || THREAD_CHECK=""

cleanup() {
    if [ -n "$taskbar_pid" ]; then kill "$taskbar_pid" 2>/dev/null; fi
    timeout 20 wineserver -k >/dev/null 2>&1
    timeout 20 wineserver -w >/dev/null 2>&1
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

start_xvfb() {
    local n
    for n in $(seq 40 99); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp \
            >"$WORKDIR/xvfb.log" 2>&1 </dev/null &
        xvfb_pid=$!
        local tries
        for tries in $(seq 1 50); do
            kill -0 "$xvfb_pid" 2>/dev/null || break  # lost a race for this display
            if [ -e "/tmp/.X11-unix/X$n" ]; then
                sleep 0.2
                kill -0 "$xvfb_pid" 2>/dev/null || break
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    echo "no free X display" >&2
    return 1
}

probe() { timeout 30 wine "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }

# json_get KEY: the value of KEY in the JSON line on stdin (arrays and strings as written).
json_get() {
    sed -n "s/.*\"$1\":\(\[[^]]*\]\|\"[^\"]*\"\|[^,}]*\).*/\1/p" | head -n 1
}

check() {
    local what=$1 expected=$2 actual=$3
    if [ "$expected" == "$actual" ]; then
        echo "ok   $what"
    else
        echo "FAIL $what: expected $expected, got $actual"
        failures=$((failures + 1))
    fi
}

# Starts Taskbar.exe with the given options and waits until its bar is shown (Wine's explorer
# has a hidden "Shell_TrayWnd" of its own, so only a visible one counts).
start_taskbar() {
    timeout 300 wine "$TASKBAR" "$@" >"$WORKDIR/taskbar.out" 2>&1 </dev/null &
    taskbar_pid=$!
    if ! probe wait Shell_TrayWnd 20000 --visible >/dev/null; then
        echo "FAIL taskbar did not start ($*)"
        failures=$((failures + 1))
        return 1
    fi
}

stop_taskbar() {
    probe post class:Shell_TrayWnd 0x10 0 0 >/dev/null
    local tries
    for tries in $(seq 1 100); do
        kill -0 "$taskbar_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$taskbar_pid" 2>/dev/null
    wait "$taskbar_pid" 2>/dev/null
    taskbar_pid=""
}

bar_info() { probe info class:Shell_TrayWnd; }
area_info() { probe info class:TrayNotifyWnd; }
clock_info() { probe info class:TrayClockWClass; }
send_bar() { probe send class:Shell_TrayWnd "$@" | json_get result; }

# ---- set-up -------------------------------------------------------------------------------
start_xvfb || exit 1
if [ ! -d "$WINEPREFIX" ]; then
    timeout 180 wineboot -i >"$WORKDIR/wineboot.log" 2>&1 </dev/null
fi
timeout 60 wine wineboot >/dev/null 2>&1 </dev/null  # Wine's services start detached from us
rm -f "$WORKDIR/taskbar.log"

# ---- default taskbar: structure and geometry ----------------------------------------------
start_taskbar --log "$WORKDIR/taskbar.log" || exit 1
bar=$(bar_info)
area=$(area_info)
clock=$(clock_info)
area_w0=$((PADDING + CLOCK_W))
check "bar spans the bottom edge" "[0,$((SCREEN_H - BAR_H)),$SCREEN_W,$SCREEN_H]" \
    "$(json_get rect <<<"$bar")"
check "Wine's explorer has its own Shell_TrayWnd too" 2 "$(probe find Shell_TrayWnd | grep -c hwnd)"
check "bar is topmost" 8 "$(( $(json_get exstyle <<<"$bar" | tr -d '"') & 8 ))"
check "notification area is the bar's child" "$(json_get hwnd <<<"$bar")" \
    "$(json_get parent <<<"$area")"
check "notification area at the bar's right end" \
    "[$((SCREEN_W - 2 - area_w0)),2,$((SCREEN_W - 2)),$((BAR_H - 2))]" "$(json_get rel <<<"$area")"
check "notification area client width" "$area_w0" "$(json_get cw <<<"$area")"
check "notification area client height" "$((BAR_H - 4))" "$(json_get ch <<<"$area")"
check "clock is the area's first child" 0 "$(json_get z <<<"$clock")"
check "clock parent" "$(json_get hwnd <<<"$area")" "$(json_get parent <<<"$clock")"
check "clock at the area's right end" "[$((area_w0 - CLOCK_W)),0,$area_w0,$((BAR_H - 4))]" \
    "$(json_get rel <<<"$clock")"

# ---- foreign icons ------------------------------------------------------------------------
id=$(send_bar 0x8100 20 0)
check "foreign icon gets an id" 1 "$id"
area=$(area_info)
check "foreign icon widens the area by 20" "$((area_w0 + 20))" "$(json_get cw <<<"$area")"
check "area stays anchored at the right" "$((SCREEN_W - 2))" \
    "$(json_get rect <<<"$area" | cut -d, -f3)"
check "clock follows the right end" "$((area_w0 + 20 - CLOCK_W))" \
    "$(json_get rel <<<"$(clock_info)" | tr -d '[' | cut -d, -f1)"
check "icon count with the foreign icon" 1 "$(send_bar 0x8104 0 0)"
check "removing the foreign icon" 1 "$(send_bar 0x8101 0 0)"
check "removal narrows the area" "$area_w0" "$(json_get cw <<<"$(area_info)")"
check "removing again finds nothing" 0 "$(send_bar 0x8101 0 0)"
check "too wide a foreign icon is refused" 0 "$(send_bar 0x8100 5000 0)"

# ---- Shell_NotifyIcon callers, resized at once --------------------------------------------
result=$(timeout 30 wine "$NOTIFY_CALLER" add 5 2>/dev/null | tr -d '\r')
check "notify: before" "$area_w0" "$(json_get before <<<"$result")"
check "notify: 5 icons added" 5 "$(json_get added <<<"$result")"
check "notify: widened by 5x16 at once" "$((area_w0 + 80))" "$(json_get after <<<"$result")"
check "notify: 5 icons deleted" 5 "$(json_get removed <<<"$result")"
check "notify: narrowed at once" "$area_w0" "$(json_get after_delete <<<"$result")"
check "log names the last add" 1 \
    "$(grep -c "^add shell hwnd=0x0 id=4 width=$((area_w0 + 80))\$" "$WORKDIR/taskbar.log")"
result=$(timeout 30 wine "$NOTIFY_CALLER" add 2 --keep 2>/dev/null | tr -d '\r')
check "duplicate add is refused" 0 \
    "$(timeout 30 wine "$NOTIFY_CALLER" add 2 --keep 2>/dev/null | tr -d '\r' | json_get added)"
check "icon count after the refused duplicates" 2 "$(send_bar 0x8104 1 0)"
timeout 30 wine "$NOTIFY_CALLER" delete 2 >/dev/null 2>&1

# ---- sliding away and back ----------------------------------------------------------------
send_bar 0x8102 0 0 >/dev/null
check "slid away: 2 pixels stay on screen" "[0,$((SCREEN_H - 2)),$SCREEN_W,$((SCREEN_H - 2 + BAR_H))]" \
    "$(json_get rect <<<"$(bar_info)")"
send_bar 0x8103 0 0 >/dev/null
check "slid back" "[0,$((SCREEN_H - BAR_H)),$SCREEN_W,$SCREEN_H]" "$(json_get rect <<<"$(bar_info)")"

# ---- real mouse input reaches the taskbar -------------------------------------------------
probe mouse click 20 $((SCREEN_H - BAR_H / 2)) >/dev/null
sleep 0.3
check "a click on Start arrives" 1 "$(grep -c '^start-click' "$WORKDIR/taskbar.log")"
stop_taskbar

# ---- resize delay -------------------------------------------------------------------------
start_taskbar --lazy 1000 || exit 1
result=$(timeout 30 wine "$NOTIFY_CALLER" add 5 --wait 2500 2>/dev/null | tr -d '\r')
check "lazy: not yet widened right after adding" "$area_w0" "$(json_get after <<<"$result")"
check "lazy: widened by 5x16 after the delay" "$((area_w0 + 80))" "$(json_get later <<<"$result")"
stop_taskbar

# ---- top edge, no notification area -------------------------------------------------------
start_taskbar --top --no-notify || exit 1
probe find TrayNotifyWnd >/dev/null
check "no notification area with --no-notify" 1 "$?"
check "bar spans the top edge" "[0,0,$SCREEN_W,$BAR_H]" "$(json_get rect <<<"$(bar_info)")"
send_bar 0x8102 0 0 >/dev/null
check "top bar slides up" "[0,$((2 - BAR_H)),$SCREEN_W,2]" "$(json_get rect <<<"$(bar_info)")"
stop_taskbar

# ---- the taskbar on a thread of a process that adds icons itself --------------------------
if [ -n "$THREAD_CHECK" ]; then
    result=$(timeout 60 wine "$THREAD_CHECK" 2>/dev/null | tr -d '\r')
    check "in-process taskbar: FindWindow finds it" true "$(json_get find_window_is_ours <<<"$result")"
    check "in-process taskbar: widened at once" 144 "$(json_get after <<<"$result")"
    check "in-process taskbar: child window drawn" true "$(json_get child_drawn <<<"$result")"
    check "in-process taskbar: stopped" true "$(json_get stopped <<<"$result")"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
exit 0
