# Shared by the Linux and Windows end-to-end helper libraries (sourced by both): waiting
# for captions, reading the settings file, statistics of logged presses.

# e2e_wait_title ID TEXT SECONDS: true once the window's caption is exactly TEXT.
e2e_wait_title() {
  for _ in $(seq 1 $(($3 * 10))); do
    [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# e2e_wait_title_match ID REGEX SECONDS: true once the window's caption matches REGEX.
e2e_wait_title_match() {
  for _ in $(seq 1 $(($3 * 10))); do
    [[ "$(xdotool getwindowname "$1" 2>/dev/null)" =~ $2 ]] && return 0
    sleep 0.1
  done
  return 1
}

# e2e_ini_value FILE SECTION KEY: the value the program wrote (CR LF, names in any case).
e2e_ini_value() {
  tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" '
    /^\[/ {in_s = (tolower($0) == tolower(s))}
    in_s { i = index($0, "="); if (i) { key = $0; sub(/ *=.*/, "", key); sub(/^ */, "", key)
           if (tolower(key) == tolower(k)) { v = substr($0, i + 1); sub(/^ */, "", v); print v } } }'
}

# Statistics of logged presses, read as "X Y MS" lines on standard input.
# e2e_disc_stats CX CY: "max2 distinct quarters", the largest squared distance from CX,CY,
# the number of distinct points and of the disc's quarters that got a press.
e2e_disc_stats() {
  awk -v cx="$1" -v cy="$2" '
    { dx = $1 - cx; dy = $2 - cy; d2 = dx * dx + dy * dy; if (d2 > max) max = d2; seen[$1 " " $2] = 1
      q[(dx > 0) (dy > 0)] = 1 }
    END { for (p in seen) n++; print max + 0, n, length(q) }'
}
# e2e_interval_stats: "count distinct min max mean within25" of the intervals between the
# presses, in ms; distinct counts whole ms, within25 is the share within 100 +/- 25.
e2e_interval_stats() {
  awk '{ if (NR > 1) { d = $3 - p; n++; s += d; v[sprintf("%.0f", d)] = 1
                       if (n == 1 || d < lo) lo = d; if (d > hi) hi = d
                       if (d >= 75 && d <= 125) w++ } p = $3 }
    END { for (x in v) k++; printf "%d %d %g %g %.1f %.3f\n", n, k, lo, hi, s / n, w / n }'
}
