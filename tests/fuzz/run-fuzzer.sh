#!/usr/bin/env bash
# One fuzz target as a test: every stored regression input once, then a
# bounded run from a fresh corpus with a fixed seed.
#
#   run-fuzzer.sh FUZZER REGRESSIONS FINDINGS [--seeds PROGRAM] [--corpus DIR]... -- LIBFUZZER-OPTIONS...
#
# FUZZER is the target, REGRESSIONS the folder of inputs that once broke it,
# FINDINGS where a new crashing input is kept. PROGRAM writes seeds into the
# fresh corpus; each DIR is read as more corpus and never written to.
set -euo pipefail

fuzzer=$1 regressions=$2 findings=$3
shift 3
seeder=
extra_corpora=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  case $1 in
    --seeds) seeder=$2; shift 2 ;;
    --corpus) [ -d "$2" ] && extra_corpora+=("$2"); shift 2 ;;
    *) echo "run-fuzzer.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
shift
options=("$@")

# In memory when possible: the targets write files on every input.
base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$base/tolvar-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/corpus" "$scratch/tmp"
export TMPDIR=$scratch/tmp
mkdir -p "$findings"

if [ -d "$regressions" ]; then
  replays=("$regressions"/*)
  if [ -e "${replays[0]}" ]; then
    echo "-- replaying ${#replays[@]} stored input(s)"
    "$fuzzer" "${options[@]}" "${replays[@]}"
    extra_corpora+=("$regressions")
  fi
fi

[ -z "$seeder" ] || "$seeder" "$scratch/corpus"

echo "-- fuzzing"
"$fuzzer" "${options[@]}" -print_final_stats=1 -artifact_prefix="$findings/" \
  "$scratch/corpus" "${extra_corpora[@]}"
