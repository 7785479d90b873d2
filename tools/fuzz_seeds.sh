#!/usr/bin/env bash
# Makes the seed corpora of the fuzz targets from the built game folder's content
# (build/game and build/game-packed) and the seed writer of the fuzz build:
#   tools/fuzz_seeds.sh [seed folder]      (default fuzz/corpus/seeds)
# Seeds are never committed; hand-made inputs of findings live in fuzz/inputs/.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-fuzz/corpus/seeds}
game=$root/build/game
packed=$root/build/game-packed
seedgen=${SEEDGEN:-$root/build-fuzz/fuzz/fuzz_seeds}
[ -d "$game/map" ] || { echo "no game folder: build the game first (./test.sh or cmake --build build)"; exit 1; }
[ -x "$seedgen" ] || { echo "no $seedgen: build the fuzz targets first"; exit 1; }

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
for t in pack table troop save index mapdata script keyframe xfile wav mp3 ogg image field prep; do mkdir -p "$out/$t"; done

# Copies the files given (at most `max` bytes of each) into a target's seed folder.
seed() {
    local target=$1 max=$2
    shift 2
    local f
    for f in "$@"; do
        [ -f "$f" ] || continue
        head -c "$max" "$f" >"$out/$target/$(basename "$(dirname "$f")")_$(basename "$f")"
    done
}
# The same for text files, also converted to UTF-8: the fuzz build is made by
# clang, whose literals are UTF-8, so both spellings of Japanese keys are reached.
seed_text() {
    local target=$1
    shift
    local f
    for f in "$@"; do
        [ -f "$f" ] || continue
        seed "$target" 262144 "$f"
        iconv -f CP932 -t UTF-8 "$f" >"$out/$target/utf8_$(basename "$f")" 2>/dev/null || true
    done
}

seed pack 262144 $(find "$packed" -name '*.pck' -size -256k 2>/dev/null)
seed_text table "$game"/gamedata/*.csv "$game"/map/*.csv "$game"/script/*.csv "$game"/model/keyframe_data.csv
seed_text troop "$game"/gamedata/Troop.txt
seed_text mapdata "$game"/map/map[0-9]*.csv
seed_text script "$game"/script/*.txt
seed_text keyframe "$game"/model/keyframe_data.csv "$game"/model/keyframe.csv
seed xfile 262144 "$game"/model/*.x
seed wav 65536 "$game"/sound/*.wav
seed mp3 32768 "$game"/sound/*.mp3 "$game"/BGM/*.mp3
seed ogg 131072 "$game"/BGM/*.ogg
seed image 16384 $(find "$game" -name '*.png' -size -16k | sort | head -40)

# Saves, slot indexes, map records and binary meshes from the game's own writers, and
# small pictures in the formats besides PNG.
gen=$(mktemp -d)
"$seedgen" "$game" "$gen" >/dev/null
seed save 1048576 "$gen"/save/*
# The targets that play a save take the older unmasked form (its numbers are text).
seed field 1048576 "$gen"/save/*_old.dat
seed prep 1048576 "$gen"/save/*_old.dat
seed index 4096 "$gen"/index/*
seed mapdata 1048576 "$gen"/mapdata/*
seed xfile 262144 "$gen"/xfile/*
seed image 16384 "$gen"/image/*
rm -rf "$gen"

for t in "$out"/*; do echo "$(basename "$t"): $(ls "$t" | wc -l) seeds"; done
