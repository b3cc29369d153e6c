#!/bin/bash
# The known-answer sweep: runs every tools/validate/sweep_*.py against a built ctiq-cli and puts
# each one's tables into docs/validation.md between its markers. Builds nothing.
#
#   tools/validate/run.sh [--quick] [--doc OUT.md] [--gate NAME[,NAME…]] [BUILD_DIR]
#
# BUILD_DIR defaults to build/dev. --quick runs each sweep's small subset (CI). --doc writes the
# assembled document to OUT.md instead of rewriting docs/validation.md (the committed one is the
# template). Exits 1 when a sweep reports silent failures or fails to run — with --gate, only the
# sweeps named (every sweep still runs and writes its tables; the others' exit is printed).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
quick=()
gate=""
doc="$root/docs/validation.md"
build="$root/build/dev"
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=(--quick) ;;
    --doc) doc="$2"; shift ;;
    --gate) gate=",$2,"; shift ;;
    -h|--help) sed -n 2,9p "$0"; exit 0 ;;
    *) build="$1" ;;
  esac
  shift
done
cli="$build/cli/ctiq-cli"
[ -x "$cli" ] || { echo "run.sh: no ctiq-cli at $cli (build it first)" >&2; exit 2; }
python=/usr/bin/python3
label=full; [ ${#quick[@]} -gt 0 ] && label=quick
parts=$(mktemp -d)
trap 'rm -rf "$parts"' EXIT
status=0
names=()
total_start=$(date +%s)
for sweep in "$here"/sweep_*.py; do
  [ -e "$sweep" ] || continue
  name=$(basename "$sweep" .py); name=${name#sweep_}
  names+=("$name")
  start=$(date +%s%N)
  nice "$python" "$sweep" --cli "$cli" "${quick[@]}" --markdown "$parts/$name.md" --jobs 2
  rc=$?
  took=$(( ($(date +%s%N) - start) / 1000000000 ))
  printf 'sweep %-10s %5d s  exit %d\n' "$name" "$took" "$rc"
  [ -e "$parts/$name.md" ] || echo "*The $name sweep wrote no tables (exit $rc).*" > "$parts/$name.md"
  printf '\n*%s run: %d s on %s (exit %d).*\n' "$label" "$took" "$(uname -m)" "$rc" \
    >> "$parts/$name.md"
  if [ "$rc" -ne 0 ]; then
    if [ -z "$gate" ] || [[ "$gate" == *",$name,"* ]]; then
      status=1
    else
      echo "sweep $name: silent failures remain (not gating this run)"
    fi
  fi
done
printf 'all sweeps %d s\n' "$(( $(date +%s) - total_start ))"
"$python" - "$root/docs/validation.md" "$doc" "$parts" "${names[@]}" <<'PY'
import pathlib, sys
template, out, parts, names = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3]), sys.argv[4:]
text = pathlib.Path(template).read_text()
for name in names:
    begin, end = f"<!-- {name}:begin -->", f"<!-- {name}:end -->"
    part = (parts / f"{name}.md").read_text().strip()
    if begin not in text or end not in text:
        text = text.rstrip() + f"\n\n{begin}\n{end}\n"
    head, rest = text.split(begin, 1)
    _, tail = rest.split(end, 1)
    text = f"{head}{begin}\n{part}\n{end}{tail}"
pathlib.Path(out).write_text(text)
PY
exit $status
