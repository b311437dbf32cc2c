#!/usr/bin/env bash
# Times brevix-cli against the floor program (brevix-floor: reads in 1 MB blocks, writes the same
# bytes into as many files) and against `xml_split -c topic` (Debian's xml-twig-tools), side by
# side in the same rounds, on documentation corpora of several sizes and on the pathological
# variants, with each run's peak memory. Prints a table (bench/summarize.py) and writes a plot of
# time and of peak memory against size.
#
#   bench/run-bench.sh                       everything but the 5 GB case (about an hour, mostly xml_split)
#   PEER_RUNS=0 bench/run-bench.sh           without xml_split (about 15 minutes)
#   BIG=1 SIZES= VARIANTS= bench/run-bench.sh    the 5 GB corpus alone (about 35 minutes, 25 GB of disk at most)
#
# Stopped by Ctrl-C or by TERM to its process group, it removes a large case's corpus and outputs.
#
# Knobs (environment):
#   SIZES        documentation corpus sizes in MB              (default "10 100 500")
#   BIG=1        add a documentation corpus of BIG_MB          (default 5000)
#   VARIANTS     pathological variants to run                  (default "unclosed comments dupes longline bigregion")
#   VARIANT_MB   size of the variants in MB (dupes: 100,000 chunks whatever the size)  (default 100)
#   BIGREGION_MB size of the bigregion variant, whose one naming region is half of it (default 400)
#   RUNS         timed rounds per case for brevix and the floor (default 5)
#   CLEAN_MB     cases above this size: BIG_RUNS rounds, outputs removed after each round and the
#                corpus after the case, so that at most the corpus and two outputs are on disk
#                (default 1000)
#   BIG_RUNS     rounds of such a case                         (default 3)
#   BIG_SETTLE   seconds to wait after such a removal: the first run after deleting a million
#                files here is 5 to 8 times slower for minutes (default 300)
#   PEER_RUNS    of those rounds, how many also time xml_split (default 3; 0: never)
#   PEER_MAX_MB  no xml_split on documentation corpora above this size (default 500)
#   VARIANT_PEER_RUNS  xml_split rounds on each variant          (default PEER_RUNS)
#   SETTLE       seconds to let the disk settle before each case  (default 60)
#   SEED         corpus seed                                    (default 20261207)
#   BENCH_DIR    work folder for corpora, outputs and results   (default build/bench)
#   KEEP=1       keep the output folders at the end
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
SIZES=${SIZES-"10 100 500"}
[ "${BIG:-0}" = 1 ] && SIZES="$SIZES ${BIG_MB:-5000}"
VARIANTS=${VARIANTS-"unclosed comments dupes longline bigregion"}
VARIANT_MB=${VARIANT_MB:-100}
BIGREGION_MB=${BIGREGION_MB:-400}
RUNS=${RUNS:-5}
CLEAN_MB=${CLEAN_MB:-1000}
BIG_RUNS=${BIG_RUNS:-3}
BIG_SETTLE=${BIG_SETTLE:-300}
PEER_RUNS=${PEER_RUNS:-3}
PEER_MAX_MB=${PEER_MAX_MB:-500}
VARIANT_PEER_RUNS=${VARIANT_PEER_RUNS:-$PEER_RUNS}
SETTLE=${SETTLE:-60}
SEED=${SEED:-20261207}
work=${BENCH_DIR:-$root/build/bench}
PREFILL=1000 # numbered variants of the duplicate name already on disk in the dupes case

# The native build, then the tools the benchmark needs and the tests do not: the peer, the
# plotter, the timer and the table's Python.
"$root/scripts/install-deps.sh" native
need=()
command -v xml_split >/dev/null || need+=(xml-twig-tools)
command -v gnuplot >/dev/null || need+=(gnuplot-nox)
[ -x /usr/bin/time ] || need+=(time)
[ -x /usr/bin/python3 ] || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${need[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cd "$root"
[ -f build/native/build.ninja ] || cmake --preset native >/dev/null
cmake --build --preset native --target brevix-cli brevix-corpus brevix-floor >/dev/null

stamp=$(date +%Y%m%d-%H%M%S)
out_root=$work/out-$stamp
mkdir -p "$work/corpus" "$out_root" "$work/bin-$stamp"
# Time copies, so that a rebuild in the tree during the run cannot swap the programs under test.
cp build/native/cli/brevix-cli build/native/bench/brevix-corpus build/native/bench/brevix-floor "$work/bin-$stamp/"
cli=$work/bin-$stamp/brevix-cli
corpus_gen=$work/bin-$stamp/brevix-corpus
floor=$work/bin-$stamp/brevix-floor
echo "brevix-cli built from $(git rev-parse --short HEAD)$(git diff --quiet HEAD -- engine framework settings cli || echo ' with local changes')"
results=$work/results-$stamp.tsv
printf 'case\tkind\tbytes\tchunks\ttool\tround\twall\tpeak_kb\trc\n' >"$results"

# A fresh, empty output folder for every run: re-using one after a mass delete is slow here.
fresh_folder() {
    local dir=$out_root/$1
    mkdir -p "$dir"
    if [ "$2" = dupes ]; then # the duplicate name and its numbered variants exist already
        (cd "$dir" && touch "Same_Title.xml" && for ((i = 1; i < PREFILL; i++)); do : >"Same_Title($i).xml"; done)
    fi
    echo "$dir"
}

# Runs one command under /usr/bin/time -v; prints "wall_seconds peak_kb rc".
timed() {
    local tfile=$out_root/time.txt start end rc=0
    start=$(date +%s%N)
    /usr/bin/time -v -o "$tfile" "$@" >/dev/null 2>"$out_root/stderr.txt" || rc=$?
    end=$(date +%s%N)
    local peak
    peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$tfile")
    echo "$(((end - start) / 1000))e-6 ${peak:-0} $rc"
}

run_tool() { # tool case kind corpus chunks round
    local tool=$1 name=$2 kind=$3 corpus=$4 chunks=$5 round=$6 dir
    dir=$(fresh_folder "$name-$tool-$round" "$kind")
    local -a cmd
    case $tool in
        brevix) cmd=("$cli" --no-profile -q -t topic -k title)
                [ "$kind" = dupes ] && cmd+=(-s overwrite=no)
                cmd+=("$corpus" "$dir") ;;
        floor) cmd=("$floor" "$corpus" "$dir" "$chunks") ;;
        xml_split) cmd=(xml_split -c topic -b "$dir/part" "$corpus") ;;
    esac
    read -r wall peak rc < <(timed "${cmd[@]}")
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$kind" "$(stat -c %s "$corpus")" "$chunks" \
        "$tool" "$round" "$wall" "$peak" "$rc" >>"$results"
    printf '  %-9s round %s: %8.3f s %7d KB rc=%s\n' "$tool" "$round" "$(awk "BEGIN{print $wall}")" "$peak" "$rc"
}

# A large case's corpus and outputs go when the script ends, however it ends.
leftovers=()
trap 'if [ ${#leftovers[@]} -gt 0 ]; then rm -rf "${leftovers[@]}"; fi' EXIT
trap 'exit 130' INT TERM

run_case() { # case kind size_mb
    local name=$1 kind=$2 mb=$3
    local corpus=$work/corpus/$kind-$mb-$SEED.xml big=0 runs=$RUNS
    if [ "$mb" -gt "$CLEAN_MB" ]; then
        big=1 runs=$BIG_RUNS
        leftovers+=("$corpus" "$out_root")
    fi
    [ -f "$corpus" ] || "$corpus_gen" "$kind" "$mb" "$SEED" "$corpus"
    # Warm-up run: fills the page cache and counts the chunk files the floor must write.
    local warm
    warm=$(fresh_folder "$name-warmup" "$kind")
    local -a opts=(--no-profile -q -t topic -k title)
    [ "$kind" = dupes ] && opts+=(-s overwrite=no)
    "$cli" "${opts[@]}" "$corpus" "$warm" >/dev/null || true
    local chunks
    chunks=$(find "$warm" -type f | wc -l)
    [ "$kind" = dupes ] && chunks=$((chunks - PREFILL))
    local settle=$SETTLE
    if [ "$big" = 1 ]; then
        rm -rf "$warm"
        settle=$BIG_SETTLE
    fi
    echo "== $name: $(stat -c %s "$corpus") bytes, $chunks chunk files; settling ${settle}s"
    sleep "$settle"
    local peer=0
    if [ "$kind" != doc ]; then peer=$VARIANT_PEER_RUNS; elif [ "$mb" -le "$PEER_MAX_MB" ]; then peer=$PEER_RUNS; fi
    for ((r = 1; r <= runs; r++)); do
        # Alternate the order within a round (A B C, C B A) so that drift hits every tool alike.
        local -a order=(brevix floor)
        [ "$r" -le "$peer" ] && order+=(xml_split)
        if ((r % 2 == 0)); then
            local -a rev=()
            for ((i = ${#order[@]} - 1; i >= 0; i--)); do rev+=("${order[i]}"); done
            order=("${rev[@]}")
        fi
        for tool in "${order[@]}"; do run_tool "$tool" "$name" "$kind" "$corpus" "$chunks" "$r"; done
        if [ "$big" = 1 ]; then # then let the disk settle after the mass delete
            rm -rf "$out_root/$name"-*-"$r"
            if [ "$r" -lt "$runs" ]; then sleep "$BIG_SETTLE"; fi
        fi
    done
    if [ "$big" = 1 ]; then rm -f "$corpus"; fi
}

for mb in $SIZES; do run_case "doc-$mb" doc "$mb"; done
for kind in $VARIANTS; do
    mb=$VARIANT_MB
    [ "$kind" = bigregion ] && mb=$BIGREGION_MB
    run_case "$kind" "$kind" "$mb"
done

table=$work/results-$stamp.txt
/usr/bin/python3 "$root/bench/summarize.py" "$results" "$work/bench-$stamp.png" | tee "$table"
echo "results: $results"
echo "table:   $table"
echo "plots:   $work/bench-$stamp.png, $work/bench-$stamp-memory.png"

if [ "${KEEP:-0}" != 1 ]; then
    echo "removing $out_root"
    rm -rf "$out_root"
fi
