#!/usr/bin/env bash
# brevix-cli stopped while its source, a FIFO, is still being written: by SIGINT (exit status 130,
# the log ends "Process interrupted."), by SIGHUP (129, a terminal closed), and by its standard
# output closing early (exit status 1 and a message, not killed by SIGPIPE). Every time the
# finished chunk files stay whole and the unfinished one is gone.
#   CliInterrupt.sh <brevix-cli> <scratch folder>
set -eu
cli=$1 dir=$2
fail() { echo "$*" >&2; exit 1; }
body=$(printf '%2000s' | tr ' ' x)
trap '' PIPE # a FIFO whose reader has gone fails the write instead
set -m       # each run in a process group of its own, where SIGINT is not ignored
for how in INT HUP pipe; do
    rm -rf "$dir" && mkdir -p "$dir/out"
    mkfifo "$dir/src.xml"
    if [ "$how" = pipe ]; then
        { s=0; "$cli" --no-profile -s emit_preamble=no "$dir/src.xml" "$dir/out" 2>"$dir/err" || s=$?; echo $s >"$dir/status"; } |
            head -n 1 >/dev/null &
    else
        "$cli" --no-profile -s emit_preamble=no "$dir/src.xml" "$dir/out" >"$dir/log" 2>"$dir/err" &
    fi
    pid=$!
    exec 3>"$dir/src.xml"
    { for i in $(seq 2000); do printf '<topic title="c%d">%s</topic>' "$i" "$body"; done
      printf '<topic title="last">unfinished'; } >&3 2>/dev/null || true
    for _ in $(seq 200); do [ -e "$dir/out/c2.xml" ] && break; sleep 0.1; done
    status=0
    if [ "$how" = pipe ]; then
        exec 3>&-
        for _ in $(seq 300); do [ -s "$dir/status" ] && break; sleep 0.1; done
        status=$(cat "$dir/status")
        [ "$status" = 1 ] || fail "$how: exit status $status: $(cat "$dir/err")"
        grep -q "^brevix-cli: cannot write to standard output" "$dir/err" || fail "$how: $(cat "$dir/err")"
    else
        kill -"$how" "$pid"
        wait "$pid" || status=$?
        exec 3>&-
        expected=$((128 + $(kill -l "$how")))
        [ "$status" = "$expected" ] || fail "$how: exit status $status: $(cat "$dir/err")"
        [ "$(tail -c 21 "$dir/log")" = 'Process interrupted.' ] || fail "$how: the log ends: $(tail -c 200 "$dir/log")"
        [ -e "$dir/out/c1.xml" ] || fail "$how: no finished chunk file"
    fi
    [ ! -e "$dir/out/last.xml" ] || fail "$how: the unfinished chunk file stayed"
    for file in "$dir"/out/c*.xml; do
        [ -e "$file" ] || continue
        number=${file##*/c}
        [ "$(cat "$file")" = "<topic title=\"c${number%.xml}\">$body</topic>" ] || fail "$how: $file is not whole"
    done
done
