#!/usr/bin/env bash
# Regenerates every sound clip of the game into assets/sounds/ from nothing.
#
# Needs the Debian packages sox and espeak-ng:
#     apt-get install -y sox espeak-ng
# Run from anywhere:
#     tools/sounds/generate.sh
#
# Output: 29 clips, 16-bit signed PCM, mono, 22050 Hz, peaks at -3 dBFS (the
# dense, sustained nopoints, winner and honk a few dB lower), short fades at
# both ends. sox runs with -R (fixed random seeds), so the noise-based
# effects come out the same on every run with the same sox version.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/assets/sounds"
rate=22050
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for tool in sox espeak-ng; do
  command -v "$tool" >/dev/null || { echo "missing $tool: apt-get install -y sox espeak-ng" >&2; exit 1; }
done

sx() { sox -R -V1 "$@"; }
calc() { awk "BEGIN { printf \"%.4f\", $* }"; }
note_hz() { awk -v n="$1" 'BEGIN { printf "%.2f", 440 * 2 ^ ((n - 69) / 12) }'; }

# gen OUT LEN SYNTH-ARGS... -- EFFECTS...: a synthesised sound
gen() {
  local f="$1" len="$2"; shift 2
  local synth=() fx=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do synth+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  fx=("$@")
  sx -n -r "$rate" -c 1 -e floating-point -b 32 "$f" synth "$len" "${synth[@]}" gain -8 "${fx[@]}"
}

# ping OUT LEN FREQ [WAVE]: a tone with a sharp attack and a natural decay
ping() {
  local wave="${4:-sine}"
  gen "$1" "$2" "$wave" "$3" -- fade l 0.003 "$2" "$(calc "$2 - 0.003")"
}

# bell OUT LEN FREQ: a struck bell: inharmonic partials that die away at different rates
bell() {
  local f="$1" len="$2" hz="$3"
  ping "$work/b1.wav" "$len" "$hz"
  ping "$work/b2.wav" "$(calc "$len * 0.6")" "$(calc "$hz * 2.76")"
  ping "$work/b3.wav" "$(calc "$len * 0.3")" "$(calc "$hz * 5.40")"
  ping "$work/b4.wav" "$(calc "$len * 0.8")" "$(calc "$hz * 0.5")"
  sx -m -v 0.51 "$work/b1.wav" -v 0.23 "$work/b2.wav" -v 0.1 "$work/b3.wav" -v 0.16 "$work/b4.wav" "$f"
}

# marimba OUT LEN FREQ: a wooden bar: fundamental plus a quick fourth partial
marimba() {
  local f="$1" len="$2" hz="$3"
  ping "$work/m1.wav" "$len" "$hz"
  ping "$work/m2.wav" "$(calc "$len * 0.15")" "$(calc "$hz * 3.93")"
  ping "$work/m3.wav" "$(calc "$len * 0.07")" "$(calc "$hz * 9.2")"
  sx -m -v 0.68 "$work/m1.wav" -v 0.24 "$work/m2.wav" -v 0.08 "$work/m3.wav" "$f"
}

# brass OUT LEN FREQ: a short horn note: bright saw and square, softened, swelling in
brass() {
  local f="$1" len="$2" hz="$3"
  gen "$f" "$len" sawtooth "$hz" synth "$len" square mix "$(calc "$hz * 1.003")" -- \
    lowpass "$(calc "$hz * 5")" tremolo 5.5 12 fade q 0.03 "$len" "$(calc "$len * 0.35")"
}

# at OUT DELAY IN: IN shifted later by DELAY seconds
at() { sx "$3" "$1" pad "$2"; }

# mixall OUT IN... [-v VOL IN]...: mix several parts (sox scales them down to avoid clipping)
mixall() { local f="$1"; shift; sx -m "$@" "$f"; }

# say OUT VOICE SPEED PITCH TEXT -- EFFECTS...: speech, then sox effects
say() {
  local f="$1" voice="$2" speed="$3" pitch="$4" text="$5"; shift 5
  [ "${1:-}" = "--" ] && shift
  espeak-ng -v "$voice" -s "$speed" -p "$pitch" -a 100 -w "$work/say.wav" "$text"
  sx "$work/say.wav" -e floating-point -b 32 "$f" \
    gain -6 silence 1 0.01 0.1% reverse silence 1 0.01 0.1% reverse \
    highpass 90 "$@" reverb 18 60 25 0 8 -4
}

# finish IN NAME MAXLEN [PEAK-DB]: trim to MAXLEN, fade both ends, set the peak (default
# -3 dBFS), write 16-bit mono PCM. Dense sustained sounds take a lower peak so that they
# are not much louder than the short decaying ones.
finish() {
  local in="$1" name="$2" max="$3" peak="${4:--3}"
  sx "$in" -e floating-point -b 32 "$work/trim.wav" trim 0 "$max"
  local len; len="$(soxi -D "$work/trim.wav")"
  local tail; tail="$(calc "($len < 0.3) ? 0.01 : 0.04")"
  sox -R -V2 "$work/trim.wav" -r "$rate" -c 1 -b 16 -e signed-integer "$out/$name.wav" \
    fade h 0.002 "$len" "$tail" norm "$peak"
}

rm -f "$out"/*.wav
mkdir -p "$out"
w="$work"

# ---------------------------------------------------------------- game sounds

# entered: a soft two-note chime, high then lower
bell "$w/e1.wav" 0.7 "$(note_hz 88)"
bell "$w/e2.wav" 0.8 "$(note_hz 84)"
at "$w/e2d.wav" 0.18 "$w/e2.wav"
mixall "$w/entered.wav" "$w/e1.wav" "$w/e2d.wav"
finish "$w/entered.wav" entered 1.0

# dice: a rattle of short knocks at uneven spacing, loud first then dying out
parts=()
i=0
# each line: start time, pitch of the knock, loudness
while read -r t hz vol; do
  gen "$w/k$i.wav" 0.035 whitenoise -- bandpass "$hz" 600h fade l 0.001 0.035 0.033 vol "$vol"
  ping "$w/t$i.wav" 0.03 "$(calc "$hz * 0.55")" triangle
  mixall "$w/kt$i.wav" -v 0.6 "$w/k$i.wav" -v "$(calc "$vol * 0.4")" "$w/t$i.wav"
  at "$w/kd$i.wav" "$t" "$w/kt$i.wav"
  parts+=("$w/kd$i.wav")
  i=$((i + 1))
done <<'HITS'
0.000 2300 1.0
0.045 1700 0.8
0.080 2900 0.9
0.140 2000 0.7
0.170 3300 0.6
0.235 1500 0.6
0.290 2600 0.45
0.340 1900 0.4
0.420 2400 0.25
0.500 2100 0.15
HITS
mixall "$w/dice.wav" "${parts[@]}"
finish "$w/dice.wav" dice 0.7

# select: a tiny bright click
gen "$w/s1.wav" 0.025 sine 2400 -- fade l 0.001 0.025 0.024
gen "$w/s2.wav" 0.012 whitenoise -- highpass 3000 fade l 0.0005 0.012 0.0115
mixall "$w/select.wav" -v 0.7 "$w/s1.wav" -v 0.3 "$w/s2.wav"
finish "$w/select.wav" select 0.03

# unset: the same click, lower and a little duller
gen "$w/u1.wav" 0.035 sine 1100 -- fade l 0.001 0.035 0.034
gen "$w/u2.wav" 0.015 whitenoise -- bandpass 1500 800h fade l 0.0005 0.015 0.0145
mixall "$w/unset.wav" -v 0.75 "$w/u1.wav" -v 0.25 "$w/u2.wav"
finish "$w/unset.wav" unset 0.04

# turn: one gentle bell
bell "$w/turn.wav" 1.1 "$(note_hz 79)"
finish "$w/turn.wav" turn 1.1

# turnnew: a rising three-note marimba figure
marimba "$w/n1.wav" 0.45 "$(note_hz 72)"
marimba "$w/n2.wav" 0.45 "$(note_hz 76)"
marimba "$w/n3.wav" 0.6 "$(note_hz 79)"
at "$w/n2d.wav" 0.12 "$w/n2.wav"
at "$w/n3d.wav" 0.24 "$w/n3.wav"
mixall "$w/turnnew.wav" "$w/n1.wav" "$w/n2d.wav" "$w/n3d.wav"
finish "$w/turnnew.wav" turnnew 0.85

# gotpoints: a quick rising major arpeggio
parts=()
i=0
for n in 72 76 79 84; do
  len=0.45; [ "$n" = 84 ] && len=0.6
  gen "$w/g$i.wav" "$len" pluck "$(note_hz "$n")" -- fade l 0.002 "$len" "$(calc "$len - 0.002")"
  ping "$w/gs$i.wav" "$len" "$(calc "$(note_hz "$n") * 2")"
  mixall "$w/gm$i.wav" -v 0.75 "$w/g$i.wav" -v 0.25 "$w/gs$i.wav"
  at "$w/gd$i.wav" "$(calc "$i * 0.075")" "$w/gm$i.wav"
  parts+=("$w/gd$i.wav")
  i=$((i + 1))
done
mixall "$w/gotpoints.wav" "${parts[@]}"
finish "$w/gotpoints.wav" gotpoints 0.85

# nopoints: a short falling "wah" on a muted horn
gen "$w/np1.wav" 0.55 sawtooth 330:196 synth 0.55 square mix 331:197 -- \
  lowpass 900 tremolo 7 25 fade q 0.02 0.55 0.3
finish "$w/np1.wav" nopoints 0.55 -8

# winner: a brief fanfare: three short notes and a held chord
brass "$w/f1.wav" 0.16 "$(note_hz 67)"
brass "$w/f2.wav" 0.16 "$(note_hz 67)"
brass "$w/f3.wav" 0.16 "$(note_hz 67)"
brass "$w/f4a.wav" 0.75 "$(note_hz 72)"
brass "$w/f4b.wav" 0.75 "$(note_hz 76)"
brass "$w/f4c.wav" 0.75 "$(note_hz 79)"
mixall "$w/f4.wav" "$w/f4a.wav" "$w/f4b.wav" "$w/f4c.wav"
at "$w/f2d.wav" 0.15 "$w/f2.wav"
at "$w/f3d.wav" 0.30 "$w/f3.wav"
at "$w/f4d.wav" 0.45 "$w/f4.wav"
mixall "$w/winner.wav" -v 0.4 "$w/f1.wav" -v 0.4 "$w/f2d.wav" -v 0.4 "$w/f3d.wav" -v 0.6 "$w/f4d.wav"
finish "$w/winner.wav" winner 1.2 -6

# ---------------------------------------------------------------- chatter sounds

# wave1 "Doh"
say "$w/w1.wav" en-us+m3 140 35 "Doh!" -- pitch -150 tempo 0.95
finish "$w/w1.wav" wave1 1.2

# wave2 "Cough": two rough bursts of breath with a little voice in them
cough() {
  local f="$1" len="$2" hz="$3"
  gen "$w/c_n.wav" "$len" pinknoise -- bandpass 900 1200h fade l 0.005 "$len" "$(calc "$len - 0.01")"
  gen "$w/c_v.wav" "$len" sawtooth "$hz:$(calc "$hz * 0.8")" -- lowpass 700 fade l 0.005 "$len" "$(calc "$len - 0.01")"
  mixall "$f" -v 0.75 "$w/c_n.wav" -v 0.25 "$w/c_v.wav"
}
cough "$w/c1.wav" 0.22 150
cough "$w/c2.wav" 0.30 135
at "$w/c2d.wav" 0.28 "$w/c2.wav"
mixall "$w/w2.wav" -v 0.45 "$w/c1.wav" -v 0.5 "$w/c2d.wav"
finish "$w/w2.wav" wave2 0.8

# wave3 "Hello"
say "$w/w3.wav" en-us+f3 160 60 "Hello!" -- pitch 100
finish "$w/w3.wav" wave3 1.2

# wave4 "Thank You"
say "$w/w4.wav" en-us+f2 165 55 "Thank you!" -- pitch 80
finish "$w/w4.wav" wave4 1.3

# wave5 "Where have you been?"
say "$w/w5.wav" en-us+m3 165 55 "Where have you been?" -- pitch 60
finish "$w/w5.wav" wave5 2.0

# wave6 "Snoring": a rattling inhale through the nose, then a soft whistling exhale
gen "$w/sn1.wav" 1.0 brownnoise synth 1.0 sawtooth mix 55 synth 1.0 sine amod 28 -- \
  lowpass 500 fade h 0.3 1.0 0.35
gen "$w/sn2.wav" 0.7 pinknoise -- bandpass 1800 400h fade h 0.2 0.7 0.4
at "$w/sn2d.wav" 1.1 "$w/sn2.wav"
mixall "$w/w6.wav" -v 0.8 "$w/sn1.wav" -v 0.2 "$w/sn2d.wav"
finish "$w/w6.wav" wave6 1.9

# wave7 "Sneezing": two rising breaths "ah... ah..." and a sharp "choo"
say "$w/ah.wav" en-us+f2 120 70 "ah" -- pitch 200
sx "$w/ah.wav" "$w/ah2.wav" trim 0 0.3 pitch 300 fade h 0.05 0.3 0.12
gen "$w/choo1.wav" 0.35 whitenoise -- highpass 2200 fade l 0.004 0.35 0.32
say "$w/choo2.wav" en-us+f2 170 60 "choo" -- pitch 300
sx "$w/choo2.wav" "$w/choo2t.wav" trim 0 0.35
mixall "$w/choo.wav" -v 0.6 "$w/choo1.wav" -v 0.4 "$w/choo2t.wav"
at "$w/ah2d.wav" 0.4 "$w/ah2.wav"
at "$w/choo_d.wav" 0.85 "$w/choo.wav"
sx "$w/ah.wav" "$w/ah1.wav" trim 0 0.3 fade h 0.05 0.3 0.12
mixall "$w/w7.wav" -v 0.25 "$w/ah1.wav" -v 0.3 "$w/ah2d.wav" -v 0.45 "$w/choo_d.wav"
finish "$w/w7.wav" wave7 1.3

# wave8 "Sorry"
say "$w/w8.wav" en-us+m2 150 45 "Sorry!" -- pitch 40
finish "$w/w8.wav" wave8 1.2

# wave9 "Welcome"
say "$w/w9.wav" en-us+f3 150 55 "Welcome!" -- pitch 80
finish "$w/w9.wav" wave9 1.3

# wave10 "Yeehaa"
say "$w/w10.wav" en-us+m3 170 80 "Yee haaw!" -- pitch 150 tempo 0.9
finish "$w/w10.wav" wave10 1.5

# wave11 "Yippee"
say "$w/w11.wav" en-us+f4 180 90 "Yippee!" -- pitch 200
finish "$w/w11.wav" wave11 1.2

# wave12 "Oh No"
say "$w/w12.wav" en-us+m2 120 40 "Oh no!" -- pitch -60 tempo 0.9
finish "$w/w12.wav" wave12 1.5

# wave13 "Applause": many short hand claps at random times
parts=()
i=0
awk 'BEGIN { srand(13); for (k = 0; k < 70; k++) printf "%.3f %d %.2f\n", rand() * 1.7, 900 + rand() * 1600, 0.4 + rand() * 0.6 }' \
  > "$w/claps.txt"
while read -r t hz vol; do
  gen "$w/cl$i.wav" 0.03 whitenoise -- bandpass "$hz" 1.2q fade l 0.001 0.03 0.028 vol "$vol"
  at "$w/cld$i.wav" "$t" "$w/cl$i.wav"
  parts+=("$w/cld$i.wav")
  i=$((i + 1))
done < "$w/claps.txt"
mixall "$w/w13.wav" "${parts[@]}"
sx "$w/w13.wav" "$w/w13r.wav" reverb 30 50 40 0 0 -6 fade t 0.05 -0 0.5
finish "$w/w13r.wav" wave13 1.9

# wave14 "Honk": a car horn: two detuned reedy tones through a bandpass
gen "$w/w14.wav" 0.55 square 370 synth 0.55 sawtooth mix 466 synth 0.55 sawtooth mix 373 -- \
  bandpass 900 1.5q overdrive 8 fade t 0.01 0.55 0.05
gen "$w/w14b.wav" 0.3 square 370 synth 0.3 sawtooth mix 466 synth 0.3 sawtooth mix 373 -- \
  bandpass 900 1.5q overdrive 8 fade t 0.01 0.3 0.04
at "$w/w14bd.wav" 0.65 "$w/w14b.wav"
mixall "$w/w14m.wav" "$w/w14.wav" "$w/w14bd.wav"
sx "$w/w14m.wav" "$w/w14n.wav" trim 0 0.95
finish "$w/w14n.wav" wave14 0.95 -5

# wave15 "Oooh": an admiring crowd "ooh", rising then falling
oo() {
  gen "$1" 1.2 sawtooth "$2:$(calc "$2 * 1.25")" -- \
    bandpass 320 2q tremolo "$3" 15 fade q 0.25 1.2 0.5
}
oo "$w/o1.wav" 180 5.1
oo "$w/o2.wav" 240 5.7
oo "$w/o3.wav" 135 4.6
gen "$w/o4.wav" 1.2 sawtooth 210:250 -- bandpass 320 2q tremolo 6.1 15 fade q 0.3 1.2 0.5
mixall "$w/w15a.wav" "$w/o1.wav" "$w/o2.wav" "$w/o3.wav" "$w/o4.wav"
sx "$w/w15a.wav" "$w/w15.wav" pitch -100 bend 0.55,300,0.4 chorus 0.6 0.8 45 0.4 0.3 2 -t reverb 25
finish "$w/w15.wav" wave15 1.3

# wave16 "Razzberry": a wet fluttering buzz of the lips
gen "$w/w16.wav" 0.9 sawtooth 95:80 synth 0.9 square amod 31 synth 0.9 pinknoise mix -- \
  bandpass 700 1.0q overdrive 12 fade q 0.03 0.9 0.25
finish "$w/w16.wav" wave16 0.9

# wave17 "Cheer": a crowd roar with scattered whoops on top
gen "$w/ch1.wav" 1.8 pinknoise -- bandpass 1000 1.5q tremolo 3 30 fade q 0.2 1.8 0.6
parts=("$w/ch1.wav")
i=0
# each line: start time, starting pitch, length
while read -r t hz len; do
  gen "$w/wh$i.wav" "$len" sawtooth "$hz:$(calc "$hz * 1.5")" -- bandpass 900 1.2q tremolo 7 30 fade q 0.05 "$len" 0.15
  at "$w/whd$i.wav" "$t" "$w/wh$i.wav"
  parts+=("$w/whd$i.wav")
  i=$((i + 1))
done <<'WHOOPS'
0.05 420 0.35
0.25 520 0.4
0.40 380 0.45
0.6 600 0.35
0.8 470 0.4
1.0 550 0.35
WHOOPS
mixall "$w/w17.wav" "${parts[@]}"
sx "$w/w17.wav" "$w/w17r.wav" reverb 40 50 60 0 0 -4
finish "$w/w17r.wav" wave17 1.8

# laugh OUT BASEHZ VOICE PITCH: "ha ha ha ha" falling in pitch, airy onsets
laugh() {
  local f="$1" hz="$2" voice="$3" cents="$4"
  say "$w/la.wav" "$voice" 200 70 "ha" -- pitch "$cents"
  local parts=() i=0
  # each line: start time, pitch relative to the first "ha", loudness
  local t ratio vol
  while read -r t ratio vol; do
    gen "$w/lv$i.wav" 0.11 sawtooth "$(calc "$hz * $ratio")" -- \
      bandpass 800 1.2q fade h 0.03 0.11 0.06 vol "$vol"
    gen "$w/ln$i.wav" 0.05 pinknoise -- highpass 1000 fade h 0.01 0.05 0.03 vol "$(calc "$vol * 0.3")"
    sx "$w/la.wav" "$w/ls$i.wav" trim 0 0.12 pitch "$(awk -v r="$ratio" 'BEGIN { printf "%d", 1200 * log(r) / log(2) }')" \
      fade h 0.005 0.12 0.06 vol "$vol"
    mixall "$w/lm$i.wav" -v 0.25 "$w/lv$i.wav" -v 0.25 "$w/ln$i.wav" -v 0.5 "$w/ls$i.wav"
    at "$w/ld$i.wav" "$t" "$w/lm$i.wav"
    parts+=("$w/ld$i.wav")
    i=$((i + 1))
  done <<'HAS'
0.00 1.00 1.0
0.17 0.97 0.95
0.34 0.93 0.9
0.51 0.89 0.85
0.68 0.84 0.75
0.88 0.78 0.55
HAS
  mixall "$w/lx.wav" "${parts[@]}"
  sx "$w/lx.wav" "$f" reverb 20 50 30
}

# wave18 "Woman Laughing"
laugh "$w/w18.wav" 330 en-us+f4 400
finish "$w/w18.wav" wave18 1.3

# wave19 "Man Laughing"
laugh "$w/w19.wav" 125 en-us+m3 -200
finish "$w/w19.wav" wave19 1.3

# wave20 "Crying": sobbing "boo hoo" with a wavering, falling wail
say "$w/cr1.wav" en-us+f2 110 60 "boo hoo hoo" -- pitch 250 tremolo 6 40 bend 0.3,-200,0.6
gen "$w/cr2.wav" 1.6 sawtooth 520:380 -- bandpass 900 1.5q tremolo 6 60 fade q 0.1 1.6 0.6
mixall "$w/w20.wav" -v 0.75 "$w/cr1.wav" -v 0.25 "$w/cr2.wav"
finish "$w/w20.wav" wave20 1.8

clips=("$out"/*.wav)
echo "wrote ${#clips[@]} clips to $out ($(du -ch "$out"/*.wav | tail -1 | cut -f1))"
