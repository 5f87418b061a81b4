#!/bin/sh
# Thumbnails of one folder of JPEG photos: Lorvane's explorer beside vipsthumbnail and djpeg.
#
#   bench/compare-thumbnails.sh FOLDER [LORVANE_BENCH] [ROUNDS]
#
# LORVANE_BENCH defaults to build/bin/lorvane-bench; ROUNDS (default 3) runs the three in turn
# that many times, so a neighbour's load falls on all of them alike; the best round of each is
# reported. The peers use both cores the way a user would run them: vipsthumbnail as two
# processes over the two halves of the files (each also threads internally), and
# "djpeg -scale 1/8" (the decoder's own floor: the cheapest decode that still covers 140 pixels,
# no resize, no output) as two parallel streams.
set -eu

folder=${1:?usage: compare-thumbnails.sh FOLDER [LORVANE_BENCH] [ROUNDS]}
bench=${2:-build/bin/lorvane-bench}
rounds=${3:-3}

need=""
command -v vipsthumbnail > /dev/null 2>&1 || need="$need libvips-tools"
command -v djpeg > /dev/null 2>&1 || need="$need libjpeg-turbo-progs"
if [ -n "$need" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q
    # shellcheck disable=SC2086
    $sudo apt-get install -y -q $need
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$folder" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | sort > "$work/files"
count=$(wc -l < "$work/files")
[ "$count" -gt 0 ] || { echo "no JPEG files in $folder" >&2; exit 1; }
half=$(( (count + 1) / 2 ))
head -n "$half" "$work/files" > "$work/first"
tail -n +"$((half + 1))" "$work/files" > "$work/second"

now() { date +%s.%N; }
rate() { echo "$count $1 $2" | awk '{ printf "%.2f", $1 / ($3 - $2) }'; }

# Read every file once so that all three start from the page cache.
xargs -d '\n' cat < "$work/files" > /dev/null

best_lorvane=0 best_vips=0 best_djpeg=0 first=""
better() { echo "$1 $2" | awk '{ print ($1 > $2) ? $1 : $2 }'; }
i=0
while [ "$i" -lt "$rounds" ]; do
    i=$((i + 1))
    "$bench" thumbnails "$folder" --runs 1 > "$work/lorvane"
    r=$(awk '$1 == "thumbnails.rate" { print $2 }' "$work/lorvane")
    f=$(awk '$1 == "thumbnails.first" { print $2 }' "$work/lorvane")
    best_lorvane=$(better "$r" "$best_lorvane")
    first="$first $f"

    rm -rf "$work/out" && mkdir "$work/out"
    t0=$(now)
    xargs -d '\n' vipsthumbnail -s 140 -o "$work/out/%s.jpg" < "$work/first" &
    xargs -d '\n' vipsthumbnail -s 140 -o "$work/out/%s.jpg" < "$work/second" &
    wait
    t1=$(now)
    v=$(rate "$t0" "$t1")
    best_vips=$(better "$v" "$best_vips")

    t0=$(now)
    xargs -d '\n' -P 2 -n 1 djpeg -scale 1/8 -outfile /dev/null < "$work/files"
    t1=$(now)
    d=$(rate "$t0" "$t1")
    best_djpeg=$(better "$d" "$best_djpeg")
    echo "round $i: lorvane $r/s (first thumbnail ${f} s), vipsthumbnail $v/s, djpeg -scale 1/8 $d/s" >&2
done

echo "compare.files $count files"
echo "compare.lorvane $best_lorvane thumbnails/s"
echo "compare.vipsthumbnail $best_vips thumbnails/s"
echo "compare.djpeg_scale_1_8 $best_djpeg decodes/s"
echo "compare.lorvane_vs_vipsthumbnail $(echo "$best_lorvane $best_vips" | awk '{ printf "%.2f", $1 / $2 }') x"
echo "compare.lorvane_vs_djpeg $(echo "$best_lorvane $best_djpeg" | awk '{ printf "%.2f", $1 / $2 }') x"
echo "compare.first_thumbnail_each_round$first s"
