# Shared by the Linux and Windows end-to-end helper libraries (sourced by both).

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
