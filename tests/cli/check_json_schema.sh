#!/usr/bin/env bash
# Every --format json line of ctiq-cli stats, mtf, nps, nps2d, ttf and dprime (raw and DICOM input)
# validates against
# docs/results.schema.json; the default text output keeps its form.
#   check_json_schema.sh CTIQ_CLI SOURCE_DIR
set -euo pipefail
cli=$1
source_dir=$2
/usr/bin/python3 -c 'import jsonschema' 2>/dev/null || exit 77
samples="$source_dir/samples"
dicom="$source_dir/tests/data/dicom/CT_small.dcm"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cli" stats --format json --mode 16bit "$samples/noise1 256 256 0p5.raw" >"$tmp/out.jsonl"
"$cli" stats --format json "$dicom" >>"$tmp/out.jsonl"
"$cli" mtf --format json --mode 16bit --roi 128,128,64,64 --roi 129,127,64,64 \
  "$samples/point 256 256 0p5.raw" >>"$tmp/out.jsonl"
"$cli" nps --format json --mode 16bit --hamming-scale power "$samples/noise1 256 256 0p5.raw" \
  "$samples/noise2 256 256 0p5.raw" >>"$tmp/out.jsonl"
"$cli" nps --format json --window rect --segment-trend 1 "$dicom" >>"$tmp/out.jsonl"
# The task-based results: one input is enough for nps2d; dprime reads the other two.
"$cli" phantom disk --radius 15 --contrast 200 --sd 10 "$tmp/disk" >/dev/null
"$cli" nps2d --format json --full --mode 16bit "$samples/noise1 256 256 0p5.raw" >"$tmp/nps2d.jsonl"
"$cli" ttf --format json --mode 16bit --centre 128,128 --radius 15 "$tmp/disk 256 256 0p5.raw" \
  >"$tmp/ttf.jsonl"
"$cli" dprime --format json --ttf "$tmp/ttf.jsonl" --nps "$tmp/nps2d.jsonl" --task disk:5:10 \
  >>"$tmp/out.jsonl"
cat "$tmp/nps2d.jsonl" "$tmp/ttf.jsonl" >>"$tmp/out.jsonl"
/usr/bin/python3 - "$source_dir/docs/results.schema.json" "$tmp/out.jsonl" <<'PY'
import json, sys, jsonschema
schema = json.load(open(sys.argv[1]))
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
lines = open(sys.argv[2]).read().splitlines()
assert len(lines) == 12, f"expected 12 result lines, got {len(lines)}"
assert [json.loads(l)["command"] for l in lines].count("mtf-combined") == 1
assert [json.loads(l)["command"] for l in lines].count("nps-combined") == 1
for line in lines:
    result = json.loads(line)
    errors = sorted(validator.iter_errors(result), key=str)
    assert not errors, f"{result['command']}: {errors[0].message}"
dicom = [json.loads(l) for l in lines if "dicom" in json.loads(l).get("input", {})]
assert dicom and dicom[0]["input"]["dicom"]["model"], "the DICOM identity is missing"
# A result the schema must refuse: the check can fail.
broken = json.loads(lines[0]); del broken["input"]["sha256"]
assert list(validator.iter_errors(broken)), "the schema accepts a result without its SHA-256"
nps2d = next(json.loads(l) for l in lines if json.loads(l)["command"] == "nps2d")
assert len(nps2d["inputs"]) == 1 and "spectrum2d" in nps2d["results"]
nps2d["inputs"] = []
assert list(validator.iter_errors(nps2d)), "the schema accepts an nps2d result without inputs"
PY
# Text output unchanged by the new options: the default is the window's table.
"$cli" nps --mode 16bit "$samples/noise1 256 256 0p5.raw" | head -1 | grep -q $'^c/mm\t'
