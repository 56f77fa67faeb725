#!/bin/bash
# Starts the program as an operator would, from a folder other than its own,
# and checks that it finds its files and writes only where it should:
#
#   startcheck.sh [--launcher] [--own-home] PROGRAM_DIR COMMAND [ARGS...]
#
# COMMAND is the executable itself, or with --launcher a command that starts
# it in ~/Pylonix. The program runs offscreen under its scripted operator
# (PYLONIX_DRILL) with a fresh home folder (--own-home keeps $HOME), from an
# empty folder. Checked, each with a bounded wait:
#   - the window is painted;
#   - the beep's module is loaded from PROGRAM_DIR (which needs ZEIT.wav
#     found there too);
#   - a race entered with EINTRAGEN gives the day's backup in the working
#     folder (~/Pylonix with --launcher, else the folder started from), under
#     the first class of PROGRAM_DIR/Klassen.txt;
#   - nothing new appears in PROGRAM_DIR;
#   - the window closes on request, the program ends with 0 and its settings
#     are written under the executable's name (~/.config/Kronwerk/Pylonix).
set -euo pipefail

launcher=0
own_home=0
while [[ $# -gt 0 && $1 == --* ]]; do
    case "$1" in
    --launcher) launcher=1 ;;
    --own-home) own_home=1 ;;
    *) echo "startcheck: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
if [[ $# -lt 2 ]]; then
    echo "usage: startcheck.sh [--launcher] [--own-home] PROGRAM_DIR COMMAND [ARGS...]" >&2
    exit 2
fi
program_dir="$(cd "$1" && pwd -P)" || { echo "startcheck: no folder $1" >&2; exit 2; }
shift

scratch="$(mktemp -d)"
pid=""
cleanup() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "startcheck: FAILED: $*" >&2
    if [[ -s $scratch/stderr ]]; then
        echo "--- program's error output:" >&2
        tail -n 20 "$scratch/stderr" >&2
    fi
    exit 1
}

if ((own_home == 0)); then
    export HOME="$scratch/home"
    export XDG_CONFIG_HOME="$HOME/.config"
    mkdir -p "$HOME"
fi
started_from="$scratch/elsewhere"
mkdir -p "$started_from"
if ((launcher)); then
    work="$HOME/Pylonix"
    # The launcher is to make it; a folder left from an earlier run would
    # hide a launcher that does not.
    [[ ! -e $work ]] || fail "$work exists before the start; remove it or run without --own-home"
else
    work="$started_from"
fi

first_class="$(head -n 1 "$program_dir/Klassen.txt" | tr -d '\r' | cut -d ' ' -f 2-)"
[[ -n $first_class ]] || fail "no class in $program_dir/Klassen.txt"
find "$program_dir" -printf '%P %s %T@\n' | sort > "$scratch/before"

# A command given by a path is meant from here, not from the folder it runs in.
command="$1"
shift
if [[ $command == */* ]]; then command="$(readlink -m "$command")"; fi
cd "$started_from"
coproc PROGRAM { exec env PYLONIX_DRILL=1 QT_QPA_PLATFORM=offscreen "$command" "$@" 2> "$scratch/stderr"; }
pid=$PROGRAM_PID
to_program=${PROGRAM[1]}
from_program=${PROGRAM[0]}

# Reads the program's lines until one starts with $1, for at most $2 seconds.
await() {
    local line end=$((SECONDS + $2))
    while ((SECONDS < end)); do
        if IFS= read -r -t $((end - SECONDS + 1)) line <&"$from_program"; then
            [[ $line == "$1"* ]] && return 0
        else
            return 1
        fi
    done
    return 1
}
# Sends one command and waits for the state line that answers it.
say() {
    echo "$1" >&"$to_program"
    await "S " 10 || fail "no answer to \"$1\""
}

if ! await "P" 30; then
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window was painted"
    fail "the window was not painted within 30 s"
fi
echo "startcheck: window painted"

say "q"
module="$program_dir/pylonix_sound.so"
for ((i = 0; i < 200; i++)); do
    grep -qF "$module" "/proc/$pid/maps" 2>/dev/null && break
    sleep 0.1
done
grep -qF "$module" "/proc/$pid/maps" || fail "the beep's module $module was not loaded"
echo "startcheck: $module loaded"

for command in "e 1 7" "a mStart" "a mLAP" "a mLAP" "a mStop" "m 1 1" "m 2 1" "a Eintragen1"; do
    say "$command"
done
backup="$work/Sicherung_$(date +%Y-%m-%d).txt"
for ((i = 0; i < 200; i++)); do
    [[ -s $backup ]] && break
    sleep 0.1
done
[[ -s $backup ]] || fail "no backup $backup after EINTRAGEN"
grep -q "^KLASSE: $first_class" "$backup" || fail "the backup has no class \"$first_class\" from Klassen.txt"
echo "startcheck: backup $backup written, class \"$first_class\""

find "$program_dir" -printf '%P %s %T@\n' | sort > "$scratch/after"
if ! diff "$scratch/before" "$scratch/after" > "$scratch/changed"; then
    cat "$scratch/changed" >&2
    fail "the program folder $program_dir changed"
fi

echo "w" >&"$to_program"
exec {to_program}>&-
status=0
for ((i = 0; i < 200; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end within 20 s of closing its window"
wait "$pid" || status=$?
pid=""
((status == 0)) || fail "the program ended with $status"
settings="${XDG_CONFIG_HOME:-$HOME/.config}/Kronwerk/Pylonix"
[[ -f $settings && -s $settings ]] || fail "no settings file $settings after the orderly end"
echo "startcheck: window closed, program ended with 0, settings in $settings"
