#!/bin/sh
# Reads every real data file beside the project with a built program, as Tucson
# measurements ("MR" through the format menu), and keeps what each run leaves: the
# corrected file when the file was read, the console text in every case.
#
#   tests/session/read_real_files.sh BINARY OUTDIR [DATADIR]
#
# OUTDIR/status lists one line per file: "read" or "refused", the file, and for a refusal
# the last line the program wrote. Two runs (before and after a change to the readers) are
# compared with:  diff -r OUTDIR1 OUTDIR2
set -eu
bin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
out=$2
data=${3:-$(dirname "$0")/../../../shared/data/real}
[ -d "$data" ] || { echo "no data folder: $data" >&2; exit 2; }
data=$(cd "$data" && pwd)
rm -rf "$out"
mkdir -p "$out/cor" "$out/console"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$out/status"
for f in "$data"/* "$data"/study/*; do
  [ -f "$f" ] || continue
  case "$f" in *.md) continue ;; esac
  name=$(basename "$f")
  rel=${f#"$data"/}
  key=$(printf '%s' "$rel" | tr '/ ' '__')
  rm -rf "$work"/*
  ln -s "$f" "$work/$name"
  # File name; "N" leaves any yes/no question for the menu (or is no choice there); 1 picks
  # Tucson measurements; no detrending; an empty sequence number writes the corrected file.
  (cd "$work" && printf '%s\nN\n1\nN\n\n\n' "$name" | timeout 60 "$bin" >"$out/console/$key" 2>&1) || true
  if [ -f "$work/${name}_COR" ]; then
    cp "$work/${name}_COR" "$out/cor/$key"
    echo "read	$rel" >>"$out/status"
  else
    why=$(grep -v '^ *$' "$out/console/$key" | tail -1)
    echo "refused	$rel	$why" >>"$out/status"
  fi
done
echo "$(grep -c '^read' "$out/status") read, $(grep -c '^refused' "$out/status") refused"
