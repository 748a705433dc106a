#!/usr/bin/env bash
# Installs what is missing, builds a release build in build-bench/, makes the
# inputs and runs every benchmark, then prints one table: each figure's
# median, the reference measured in the same run on the same input, the
# ratio, the target and PASS or MISS. BENCHMARKS.md explains every figure.
#
# Settings (environment):
#   BENCH_RUNS=7              runs per process-timed figure (median taken)
#   BENCH_PLAYBACK_RUNS=3     runs of the playback benchmark
#   BENCH_PLAYBACK_SECONDS=20 length of each playback phase
#   BENCH_QUIET_LOAD=1.0      wait (up to BENCH_QUIET_WAIT seconds, default
#                             600) until the 1-minute load average is below this
set -euo pipefail
cd "$(dirname "$0")"

runs=${BENCH_RUNS:-7}
playbackRuns=${BENCH_PLAYBACK_RUNS:-3}
playbackSeconds=${BENCH_PLAYBACK_SECONDS:-20}
quietLoad=${BENCH_QUIET_LOAD:-1.0}
quietWait=${BENCH_QUIET_WAIT:-600}

tools/deps.sh bench

build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTILVANE_TESTS=OFF -DTILVANE_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tilvane bench_minimal_window tilvane_bench_firstpaint bench_spawn \
  bench_make_inputs bench_photo bench_decode bench_gif bench_playback bench_typing
bin=$build/bench

# ImageMagick's own binary, so that no wrapper script on PATH is timed or used.
convert=$(command -v convert-im6.q16 || command -v convert)

# ---- inputs, made once and kept until their recipe changes -------------------
inputs=$build/bench-inputs
recipe="inputs v1: plasma photo 6000x4000 q88 4:2:0; gifs 1000x1000, 1000x1000 interlaced, 500x500x100, 500x500x30; bmp/pcx 3000x2000"
if [ "$(cat "$inputs/recipe" 2>/dev/null)" != "$recipe" ]; then
  echo "Making the inputs in $inputs (once; about half a minute) ..."
  rm -rf "$inputs"
  mkdir -p "$inputs"
  # A camera-sized photo: smooth shapes with fine noise on top, like grain.
  "$convert" -seed 5 -size 1500x1000 plasma:fractal -blur 0x1 -resize '6000x4000!' \
    -attenuate 0.4 +noise Gaussian -sampling-factor 2x2 -quality 88 "$inputs/photo.jpg"
  "$convert" -seed 7 -size 1000x1000 plasma:fractal -blur 0x2 "$inputs/still.gif"
  "$convert" -seed 8 -size 1000x1000 plasma:fractal -blur 0x2 -interlace GIF "$inputs/interlaced.gif"
  # Every frame turned a little further, so no two frames are alike.
  "$convert" -seed 9 -size 500x500 plasma:fractal -blur 0x2 -duplicate 99 -distort SRT '%[fx:t*3.6]' \
    -set delay 4 -loop 0 -layers Optimize "$inputs/animation.gif"
  "$convert" -seed 10 -size 500x500 plasma:fractal -blur 0x2 -duplicate 29 -distort SRT '%[fx:t*12]' \
    -set delay 10 -loop 0 -layers Optimize "$inputs/playback.gif"
  "$bin/bench_make_inputs" --from "$inputs/photo.jpg" --size 3000x2000 "$inputs"
  echo "$recipe" >"$inputs/recipe"
fi

# ---- a quiet machine and a virtual display -----------------------------------
load1() { cut -d' ' -f1 /proc/loadavg; }
waited=0
while awk -v l="$(load1)" -v q="$quietLoad" 'BEGIN { exit !(l >= q) }' && [ "$waited" -lt "$quietWait" ]; do
  [ "$waited" -eq 0 ] && echo "Waiting for a quieter machine (load $(load1), want below $quietLoad) ..."
  sleep 10
  waited=$((waited + 10))
done
loadBefore=$(cut -d' ' -f1-3 /proc/loadavg)

display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb LANG=C.UTF-8

# ---- the benchmarks -----------------------------------------------------------
results=$build/bench-results
mkdir -p "$results"
raw=$results/raw.txt
: >"$raw"
# A benchmark that fails leaves its rows "not run"; the others still run.
run() {
  echo "== $*" | tee -a "$raw"
  "$@" 2>&1 | tee -a "$raw" || echo "FAILED (exit code ${PIPESTATUS[0]}): $*" | tee -a "$raw"
}

# Start-up runs are short and noisy, so three times as many.
run "$bin/bench_spawn" --runs $((runs * 3)) --first-paint "$bin/tilvane_bench_firstpaint.so" \
  --name ours "$build/tilvane" --name reference "$bin/bench_minimal_window" \
  --name text "$bin/bench_minimal_window" --arg --text
run "$bin/bench_photo" --runs "$runs" "$inputs/photo.jpg"
run "$bin/bench_gif" --rounds "$runs" "$inputs/still.gif" "$inputs/animation.gif" "$inputs/interlaced.gif"
run "$bin/bench_decode" --runs "$runs" --convert "$convert" \
  "$inputs/picture24.bmp" "$inputs/picture8.bmp" "$inputs/picture8.pcx" "$inputs/picture1.pcx"
run "$bin/bench_decode" --compare --repeat "$runs" "$inputs/picture24.bmp" "$inputs/picture8.bmp"
for _ in $(seq "$playbackRuns"); do
  run "$bin/bench_playback" --seconds "$playbackSeconds" "$inputs/playback.gif"
done
run "$bin/bench_typing" --keys 200
loadAfter=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- the table ----------------------------------------------------------------
table=$results/table.md
grep '^RESULT ' "$raw" | awk -v runs="$runs" -v playbackRuns="$playbackRuns" -v seconds="$playbackSeconds" '
function median(key,    n, i, j, t, v) {
  n = count[key]
  if (n == 0) return ""
  for (i = 1; i <= n; i++) v[i] = values[key, i]
  for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
  return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
}
function fmt(x) { return x == "" ? "—" : (x >= 100 ? sprintf("%.0f", x) : x >= 10 ? sprintf("%.1f", x) : sprintf("%.2f", x)) }
# kind: le (ours/reference at most target), ge (at least target), abs (ours at most
# target), idle (ours at most the reference plus target, and the key `still`
# 0: nothing was drawn), info (no target). The ratio is the median of the
# run-by-run ratios (key `paired`) where the benchmark gives them, otherwise the
# ratio of the two medians.
function row(label, unit, ours, ref, kind, target, still, paired,    o, r, ratio, verdict, t) {
  o = median(ours); r = ref == "" ? "" : median(ref)
  ratio = ""; verdict = "—"; t = "—"
  if (o != "" && r != "" && r > 0 && kind != "idle") ratio = o / r
  if (paired != "" && median(paired) != "") ratio = median(paired)
  if (o == "") { verdict = "not run" }
  else if (kind == "le" || kind == "ge") {
    t = (kind == "le" ? "≤ " : "≥ ") target " ×"
    if (ratio != "") verdict = (kind == "le" ? ratio <= target : ratio >= target) ? "PASS" : "MISS"
  } else if (kind == "abs") {
    t = "≤ " target " " unit
    verdict = o <= target ? "PASS" : "MISS"
  } else if (kind == "idle") {
    t = "≤ idle + " target " " unit ", no frame drawn"
    verdict = (r != "" && o <= r + target && median(still) == 0) ? "PASS" : "MISS"
  }
  printf "| %s | %s %s | %s | %s | %s | %s |\n", label, fmt(o), unit, r == "" ? "—" : fmt(r) " " unit, \
    ratio == "" ? "—" : sprintf("%.2f ×", ratio), t, verdict
}
$1 == "RESULT" { key = $2; count[key]++; values[key, count[key]] = $3 + 0 }
END {
  print "| Figure | Ours | Reference | Ratio | Target | Result |"
  print "|---|---|---|---|---|---|"
  row("Start-up to first paint (reference: empty Qt window)", "ms", "startup.ours_ms", "startup.reference_ms", "le", 1.3, "", "startup.ours_over_reference")
  row("Start-up to first paint (reference: Qt window with one Chinese label)", "ms", "startup.ours_ms", "startup.text_ms", "info", "", "", "startup.ours_over_text")
  row("6000 × 4000 JPEG into the canvas (reference: djpeg -scale 1/8 process)", "ms", "photo.load_ms", "photo.djpeg_ms", "le", 1.2, "", "photo.over_djpeg")
  row("same load (reference: libjpeg at 1/8 in process, decode only)", "ms", "photo.load_ms", "photo.libjpeg_ms", "info", "", "", "photo.over_libjpeg")
  row("Peak memory, photo shown (reference: same window before loading)", "MB", "photo.hwm_mb", "photo.base_hwm_mb", "abs", 60)
  row("Start-up CPU time to first paint (reference: empty Qt window)", "ms", "startup.ours_cpu_ms", "startup.reference_cpu_ms", "info", "")
  row("Start-up peak memory (reference: empty Qt window)", "MB", "startup.ours_hwm_mb", "startup.reference_hwm_mb", "info", "")
  row("GIF decode, 1000 × 1000 still (reference: giflib)", "MP/s", "gif.still.ours_mpps", "gif.still.giflib_mpps", "ge", 1.5, "", "gif.still.speedup")
  row("GIF decode, 500 × 500 × 100 frames (reference: giflib)", "MP/s", "gif.animation.ours_mpps", "gif.animation.giflib_mpps", "ge", 1.5, "", "gif.animation.speedup")
  row("GIF decode, 1000 × 1000 interlaced (reference: giflib)", "MP/s", "gif.interlaced.ours_mpps", "gif.interlaced.giflib_mpps", "ge", 1.5, "", "gif.interlaced.speedup")
  row("GIF decode, the three together (reference: giflib)", "MP/s", "gif.set.ours_mpps", "gif.set.giflib_mpps", "ge", 1.5, "", "gif.set.speedup")
  row("BMP 24-bit 3000 × 2000, whole process (reference: convert)", "MP/s", "decode.picture24_bmp.ours_mpps", "decode.picture24_bmp.convert_mpps", "ge", 1, "", "decode.picture24_bmp.speedup")
  row("BMP 8-bit 3000 × 2000, whole process (reference: convert)", "MP/s", "decode.picture8_bmp.ours_mpps", "decode.picture8_bmp.convert_mpps", "ge", 1, "", "decode.picture8_bmp.speedup")
  row("PCX 8-bit 3000 × 2000, whole process (reference: convert)", "MP/s", "decode.picture8_pcx.ours_mpps", "decode.picture8_pcx.convert_mpps", "ge", 1, "", "decode.picture8_pcx.speedup")
  row("PCX 1-bit 3000 × 2000, whole process (reference: convert)", "MP/s", "decode.picture1_pcx.ours_mpps", "decode.picture1_pcx.convert_mpps", "ge", 1, "", "decode.picture1_pcx.speedup")
  row("BMP 24-bit, in process (reference: QImage)", "MP/s", "decode.picture24_bmp.inproc_ours_mpps", "decode.picture24_bmp.inproc_qimage_mpps", "ge", 1, "", "decode.picture24_bmp.inproc_speedup")
  row("BMP 8-bit, in process (reference: QImage)", "MP/s", "decode.picture8_bmp.inproc_ours_mpps", "decode.picture8_bmp.inproc_qimage_mpps", "ge", 1, "", "decode.picture8_bmp.inproc_speedup")
  row("GIF playing, " seconds " s (reference: same window idle)", "% CPU", "playback.playing_cpu_pct", "playback.idle_cpu_pct", "abs", 2)
  row("GIF minimised (reference: same window idle)", "% CPU", "playback.minimised_cpu_pct", "playback.idle_cpu_pct", "idle", 0.1, "playback.minimised_paints")
  row("GIF hidden (reference: same window idle)", "% CPU", "playback.hidden_cpu_pct", "playback.idle_cpu_pct", "idle", 0.1, "playback.hidden_paints")
  row("Frames shown while playing (10 expected)", "per s", "playback.playing_fps", "", "info", "")
  row("Typing: key press to overlay repainted, median of 200", "ms", "typing.median_ms", "", "abs", 2)
  row("Typing: 90th percentile", "ms", "typing.p90_ms", "", "info", "")
}' >"$table"

{
  echo
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -m | awk '/^Mem:/ { print $2 " MB" }') memory"
  echo "Load average before: $loadBefore; after: $loadAfter"
  echo "Medians of $runs runs ($playbackRuns for playback, $playbackSeconds s per phase); raw output in $raw"
  echo
  cat "$table"
} | tee "$results/summary.txt"
