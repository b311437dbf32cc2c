#!/usr/bin/env bash
# brevix-cli stopped by SIGINT while its source, a FIFO, is still being written: exit status 130,
# the finished chunk files whole, the unfinished one gone.
#   CliInterrupt.sh <brevix-cli> <scratch folder>
set -eu
cli=$1 dir=$2
fail() { echo "$*" >&2; exit 1; }
rm -rf "$dir" && mkdir -p "$dir/out"
body=$(printf '%2000s' | tr ' ' x)
mkfifo "$dir/src.xml"
set -m # the run in a process group of its own, where SIGINT is not ignored
"$cli" --no-profile -s emit_preamble=no "$dir/src.xml" "$dir/out" >"$dir/log" 2>"$dir/err" &
pid=$!
exec 3>"$dir/src.xml"
for i in $(seq 2000); do printf '<topic title="c%d">%s</topic>' "$i" "$body"; done >&3
printf '<topic title="last">unfinished' >&3
for _ in $(seq 200); do [ -e "$dir/out/c2.xml" ] && break; sleep 0.1; done
kill -INT "$pid"
status=0
wait "$pid" || status=$?
exec 3>&-
[ "$status" = 130 ] || fail "exit status $status: $(cat "$dir/err")"
[ "$(tail -c 21 "$dir/log")" = 'Process interrupted.' ] || fail "the log ends: $(tail -c 200 "$dir/log")"
[ ! -e "$dir/out/last.xml" ] || fail "the unfinished chunk file stayed"
[ -e "$dir/out/c1.xml" ] || fail "no finished chunk file"
for file in "$dir"/out/c*.xml; do
    number=${file##*/c}
    [ "$(cat "$file")" = "<topic title=\"c${number%.xml}\">$body</topic>" ] || fail "$file is not whole"
done
