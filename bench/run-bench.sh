#!/usr/bin/env bash
# Times brevix-cli against the floor program (brevix-floor: reads in 1 MB blocks, writes the same
# bytes into as many files; as "floor-sized", into files of the sizes of brevix's chunk files) and
# against `xml_split -c topic` (Debian's xml-twig-tools), side by side in the same rounds, on
# documentation corpora of several sizes and on the pathological variants, with each run's peak
# memory. Prints a table (bench/summarize.py) and writes a plot of time and of peak memory against
# size.
#
#   bench/run-bench.sh                       everything but the 5 GB case (about an hour, mostly xml_split)
#   PEER_RUNS=0 bench/run-bench.sh           without xml_split (about 15 minutes)
#   BIG=1 SIZES= VARIANTS= MEDIA=disk bench/run-bench.sh    the 5 GB corpus alone (about 35 minutes,
#                                            25 GB of disk at most)
#   MEDIA=tmpfs RUNS=7 SIZES="10 50" VARIANTS= PEER_RUNS=0 bench/run-bench.sh
#                                            the program's own cost, where the disk costs nothing
#   SLOW_CLOSE_MS=1 SIZES= VARIANTS= bench/run-bench.sh    closes that take 1 ms each (10,000 chunks)
#
# Every case runs on each medium of MEDIA: "disk" (BENCH_DIR) and "tmpfs" (TMPFS_DIR, memory:
# there the file system costs next to nothing and the programs' own work shows; cases named
# "...@tmpfs"). A run's user and system CPU seconds are recorded beside its wall time.
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
#   MEDIA        where corpora and outputs lie: "disk", "tmpfs" or both  (default "disk tmpfs");
#                no xml_split and no settling on tmpfs, no case above CLEAN_MB there
#   TMPFS_DIR    a memory file system for MEDIA=tmpfs           (default /dev/shm)
#   SLOW_CLOSE_MS  add the slow-close case (on tmpfs): every close of a file in the output folder
#                waits this many ms (bench/SlowClose.cpp, preloaded); brevix and the floor run with
#                it, brevix-0ms without it, and each delayed brevix output is compared with that
#                one's (a difference is recorded as rc=3)   (default 0: no such case)
#   SLOW_CLOSE_MB  its documentation corpus size (default 41: about 10,000 chunk files)
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
MEDIA=${MEDIA-"disk tmpfs"}
TMPFS_DIR=${TMPFS_DIR:-/dev/shm}
SLOW_CLOSE_MS=${SLOW_CLOSE_MS:-0}
SLOW_CLOSE_MB=${SLOW_CLOSE_MB:-41}
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
cmake --build --preset native --target brevix-cli brevix-corpus brevix-floor brevix-slowclose >/dev/null

stamp=$(date +%Y%m%d-%H%M%S)
out_root=$work/out-$stamp
mkdir -p "$work/corpus" "$out_root" "$work/bin-$stamp"
# Time copies, so that a rebuild in the tree during the run cannot swap the programs under test.
cp build/native/cli/brevix-cli build/native/bench/brevix-corpus build/native/bench/brevix-floor \
    build/native/bench/libbrevix-slowclose.so "$work/bin-$stamp/"
cli=$work/bin-$stamp/brevix-cli
corpus_gen=$work/bin-$stamp/brevix-corpus
floor=$work/bin-$stamp/brevix-floor
slow_close=$work/bin-$stamp/libbrevix-slowclose.so
disk_root=$out_root
shm=$TMPFS_DIR/brevix-bench-$stamp # corpora and outputs of the tmpfs cases
echo "brevix-cli built from $(git rev-parse --short HEAD)$(git diff --quiet HEAD -- engine framework settings cli || echo ' with local changes')"
results=$work/results-$stamp.tsv
printf 'case\tkind\tbytes\tchunks\ttool\tround\twall\tpeak_kb\trc\tuser\tsys\n' >"$results"

# A fresh, empty output folder for every run: re-using one after a mass delete is slow here.
fresh_folder() {
    local dir=$out_root/$1
    mkdir -p "$dir"
    if [ "$2" = dupes ]; then # the duplicate name and its numbered variants exist already
        (cd "$dir" && touch "Same_Title.xml" && for ((i = 1; i < PREFILL; i++)); do : >"Same_Title($i).xml"; done)
    fi
    echo "$dir"
}

# Runs one command under /usr/bin/time -v (with the slow-close shim when slow is set); prints
# "wall_seconds peak_kb rc user_seconds sys_seconds".
slow=""
timed() {
    local tfile=$disk_root/time.txt start end rc=0
    local -a env=()
    [ -n "$slow" ] && env=(env "LD_PRELOAD=$slow_close" "SLOW_CLOSE_MS=$SLOW_CLOSE_MS" "SLOW_CLOSE_DIR=$slow")
    start=$(date +%s%N)
    /usr/bin/time -v -o "$tfile" "${env[@]}" "$@" >/dev/null 2>"$disk_root/stderr.txt" || rc=$?
    end=$(date +%s%N)
    local peak user sys
    peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$tfile")
    user=$(awk -F': ' '/User time/ {print $2}' "$tfile")
    sys=$(awk -F': ' '/System time/ {print $2}' "$tfile")
    echo "$(((end - start) / 1000))e-6 ${peak:-0} $rc ${user:-0} ${sys:-0}"
}

run_tool() { # tool case kind corpus chunks round
    local tool=$1 name=$2 kind=$3 corpus=$4 chunks=$5 round=$6 dir
    dir=$(fresh_folder "$name-$tool-$round" "$kind")
    last_dir=$dir
    local -a cmd
    case $tool in
        brevix | brevix-0ms) cmd=("$cli" --no-profile -q -t topic -k title)
                [ "$kind" = dupes ] && cmd+=(-s overwrite=no)
                cmd+=("$corpus" "$dir") ;;
        floor) cmd=("$floor" "$corpus" "$dir" "$chunks") ;;
        floor-sized) cmd=("$floor" "$corpus" "$dir" "$chunks" "$sizes") ;;
        xml_split) cmd=(xml_split -c topic -b "$dir/part" "$corpus") ;;
    esac
    slow=""
    [ "$kind" = slowclose ] && [ "$tool" != brevix-0ms ] && slow=$dir
    read -r wall peak rc user sys < <(timed "${cmd[@]}")
    # A delayed brevix run must write what the run without the delay wrote.
    if [ "$kind" = slowclose ] && [ "$tool" = brevix ] && [ "$rc" = 0 ] && ! diff -r -q "$reference" "$dir" >/dev/null; then
        echo "  output differs from $reference"
        rc=3
    fi
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$kind" "$(stat -c %s "$corpus")" "$chunks" \
        "$tool" "$round" "$wall" "$peak" "$rc" "$user" "$sys" >>"$results"
    printf '  %-10s round %s: %8.3f s %7d KB user %5.2f s sys %5.2f s rc=%s\n' "$tool" "$round" \
        "$(awk "BEGIN{print $wall}")" "$peak" "$user" "$sys" "$rc"
}

# A large case's corpus and outputs go when the script ends, however it ends.
leftovers=()
[ "${KEEP:-0}" = 1 ] || leftovers+=("$shm")
trap 'if [ ${#leftovers[@]} -gt 0 ]; then rm -rf "${leftovers[@]}"; fi' EXIT
trap 'exit 130' INT TERM

run_case() { # case kind size_mb medium
    local name=$1 kind=$2 mb=$3 medium=$4
    local gen_kind=$kind
    [ "$kind" = slowclose ] && gen_kind=doc
    local corpus=$work/corpus/$gen_kind-$mb-$SEED.xml big=0 runs=$RUNS settle=$SETTLE
    out_root=$disk_root
    if [ "$medium" = tmpfs ]; then
        [ "$mb" -gt "$CLEAN_MB" ] && return
        name=$name@tmpfs out_root=$shm/out settle=0
        mkdir -p "$shm/out"
        if [ ! -f "$shm/$gen_kind-$mb.xml" ]; then
            [ -f "$corpus" ] && cp "$corpus" "$shm/$gen_kind-$mb.xml" || "$corpus_gen" "$gen_kind" "$mb" "$SEED" "$shm/$gen_kind-$mb.xml"
        fi
        corpus=$shm/$gen_kind-$mb.xml
    fi
    if [ "$mb" -gt "$CLEAN_MB" ]; then
        big=1 runs=$BIG_RUNS
        leftovers+=("$corpus" "$out_root")
    fi
    [ -f "$corpus" ] || "$corpus_gen" "$gen_kind" "$mb" "$SEED" "$corpus"
    # Warm-up run: fills the page cache and counts the chunk files the floor must write.
    local warm
    warm=$(fresh_folder "$name-warmup" "$kind")
    local -a opts=(--no-profile -q -t topic -k title)
    [ "$kind" = dupes ] && opts+=(-s overwrite=no)
    "$cli" "${opts[@]}" "$corpus" "$warm" >/dev/null || true
    local chunks
    chunks=$(find "$warm" -type f | wc -l)
    [ "$kind" = dupes ] && chunks=$((chunks - PREFILL))
    # The sizes of the chunk files, for the floor that writes files of those sizes (not where the
    # output folder was filled before).
    sizes=""
    if [ "$kind" != dupes ] && [ "$kind" != slowclose ]; then
        sizes=$work/sizes-$name.txt
        find "$warm" -type f -printf '%s\n' >"$sizes"
    fi
    if [ "$big" = 1 ]; then
        rm -rf "$warm"
        settle=$BIG_SETTLE
    fi
    echo "== $name: $(stat -c %s "$corpus") bytes, $chunks chunk files; settling ${settle}s"
    sleep "$settle"
    local peer=0
    if [ "$kind" != doc ]; then peer=$VARIANT_PEER_RUNS; elif [ "$mb" -le "$PEER_MAX_MB" ]; then peer=$PEER_RUNS; fi
    [ "$medium" = tmpfs ] || [ "$kind" = slowclose ] && peer=0
    if [ "$kind" = slowclose ]; then # the output without the delay, which every delayed run must match
        run_tool brevix-0ms "$name" "$kind" "$corpus" "$chunks" 0
        reference=$last_dir
    fi
    for ((r = 1; r <= runs; r++)); do
        # Alternate the order within a round (A B C, C B A) so that drift hits every tool alike.
        local -a order=(brevix floor)
        [ -n "$sizes" ] && order+=(floor-sized)
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

for medium in $MEDIA; do
    for mb in $SIZES; do run_case "doc-$mb" doc "$mb" "$medium"; done
    for kind in $VARIANTS; do
        mb=$VARIANT_MB
        [ "$kind" = bigregion ] && mb=$BIGREGION_MB
        run_case "$kind" "$kind" "$mb" "$medium"
    done
done
if [ "$SLOW_CLOSE_MS" != 0 ]; then
    run_case "slowclose-${SLOW_CLOSE_MS}ms" slowclose "$SLOW_CLOSE_MB" tmpfs
fi

table=$work/results-$stamp.txt
/usr/bin/python3 "$root/bench/summarize.py" "$results" "$work/bench-$stamp.png" | tee "$table"
echo "results: $results"
echo "table:   $table"
echo "plots:   $work/bench-$stamp.png, $work/bench-$stamp-memory.png"

if [ "${KEEP:-0}" != 1 ]; then
    echo "removing $disk_root and $shm"
    rm -rf "$disk_root" "$shm"
fi
