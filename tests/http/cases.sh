# The cases shared by run_linux.sh and run_windows.sh. Sourced; expects:
#   drive ARGS...      runs the update driver of the edition, prints its key=value lines
#   TEMP_ARG           the temporary folder as the driver sees it (ends with a separator)
#   TEMP_DIR           the same folder on this machine
#   INSTALLER_NAME     qel_update.exe or qel_update.deb
#   EDITION            a name for the messages
#   RELEASE_TOOL       the maker's qel-release-key (Linux build), to sign with a test key
# and the helpers below. Starts its servers itself and stops them by PID on exit.

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WORK=$(mktemp -d /tmp/qel-http-XXXXXX)
PIDS=()
FAILS=0
PASSES=0

cleanup() {
  if declare -F extra_cleanup >/dev/null; then extra_cleanup; fi
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL [$EDITION] $*"; FAILS=$((FAILS + 1)); }
pass() { PASSES=$((PASSES + 1)); }

# expect CASE OUTPUT LINE: OUTPUT holds exactly LINE as one of its lines.
expect() {
  if grep -qxF -- "$3" <<<"$2"; then pass; else fail "$1: expected line '$3' in:"; sed 's/^/    /' <<<"$2"; fi
}
expect_not() {
  if grep -qF -- "$3" <<<"$2"; then fail "$1: did not expect '$3' in:"; sed 's/^/    /' <<<"$2"; else pass; fi
}
value() { grep -m1 "^$2=" <<<"$1" | cut -d= -f2- || true; }  # empty when missing

wait_for_file() {
  for _ in $(seq 1 100); do [ -s "$1" ] && return 0; sleep 0.05; done
  echo "no $1"; exit 1
}

start_servers() {
  python3 "$HERE/update_server.py" "$WORK" &
  PIDS+=($!)
  openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=127.0.0.1" \
    -addext "subjectAltName=IP:127.0.0.1" -keyout "$WORK/key.pem" -out "$WORK/cert.pem" 2>/dev/null ||
    { echo "openssl cannot make a certificate"; exit 1; }
  python3 "$HERE/update_server.py" "$WORK" --tls "$WORK/cert.pem" "$WORK/key.pem" &
  PIDS+=($!)
  # A port that accepts connections and never answers.
  python3 -c "
import socket, time, sys
s = socket.socket(); s.bind(('127.0.0.1', 0)); s.listen(16)
open(sys.argv[1] + '.tmp', 'w').write(str(s.getsockname()[1]))
import os; os.replace(sys.argv[1] + '.tmp', sys.argv[1])
time.sleep(3600)" "$WORK/silent_port" &
  PIDS+=($!)
  # A port whose accept queue is full: connection attempts get no answer at all, as with a
  # server behind a firewall that drops them.
  python3 -c "
import socket, time, sys, os
s = socket.socket(); s.bind(('127.0.0.1', 0)); s.listen(0)
port = s.getsockname()[1]
fillers = []
for _ in range(4):
    c = socket.socket(); c.setblocking(False)
    try: c.connect(('127.0.0.1', port))
    except BlockingIOError: pass
    fillers.append(c)
time.sleep(0.5)
open(sys.argv[1] + '.tmp', 'w').write(str(port)); os.replace(sys.argv[1] + '.tmp', sys.argv[1])
time.sleep(3600)" "$WORK/full_port" &
  PIDS+=($!)
  wait_for_file "$WORK/port"
  sign_pages
  wait_for_file "$WORK/full_port"
  FULL_PORT=$(cat "$WORK/full_port")
  wait_for_file "$WORK/tls_port"
  wait_for_file "$WORK/silent_port"
  PORT=$(cat "$WORK/port")
  TLS_PORT=$(cat "$WORK/tls_port")
  SILENT_PORT=$(cat "$WORK/silent_port")
  # A port where nothing listens: bound once, then freed.
  CLOSED_PORT=$(python3 -c "import socket; s=socket.socket(); s.bind(('127.0.0.1',0)); print(s.getsockname()[1])")
}

# Version pages signed with a key of this run only: the driver trusts its public half.
sign_pages() {
  [ -x "$RELEASE_TOOL" ] || { echo "no release tool at '$RELEASE_TOOL'"; exit 1; }
  mkdir -p "$WORK/pages"
  "$RELEASE_TOOL" genkey "$WORK/test-key.pem" >"$WORK/test-key.pub" || exit 1
  "$RELEASE_TOOL" genkey "$WORK/other-key.pem" >/dev/null || exit 1
  export QEL_TEST_RELEASE_KEY
  QEL_TEST_RELEASE_KEY=$(cat "$WORK/test-key.pub")
  local both=(exe="$WORK/installer.bin" deb="$WORK/installer.bin")
  "$RELEASE_TOOL" sign "$WORK/test-key.pem" 25 20 "${both[@]}" >"$WORK/pages/signed-version.txt" || exit 1
  "$RELEASE_TOOL" sign "$WORK/other-key.pem" 25 20 "${both[@]}" >"$WORK/pages/wrongkey-version.txt"
  # A genuine signature of release 2.3, on a page that offers 2.5.
  "$RELEASE_TOOL" sign "$WORK/test-key.pem" 23 20 "${both[@]}" | sed '1s|.*|25/20\r|' >"$WORK/pages/older-version.txt"
  printf '25/20\r\n' >"$WORK/pages/unsigned-version.txt"
}

# The started file as a path on this machine.
local_path() {
  if [ "$EDITION" = windows ]; then
    local rest=${1#"$TEMP_ARG"}
    echo "$TEMP_DIR/${rest//\\//}"
  else
    echo "$1"
  fi
}

check_at() { QEL_UPDATE_URL="$1" drive check; }
download_from() {
  local scenario=$1; shift
  QEL_UPDATE_URL="http://127.0.0.1:$PORT/s/$scenario" drive download "$TEMP_ARG" "$@"
}

run_cases() {
  start_servers
  local base="http://127.0.0.1:$PORT/s"
  local ua="Mozilla/4.0 (compatible; MyApp)"
  local out

  # ---- the version check ----
  out=$(check_at "$base/ok")
  expect "optional offer" "$out" "dialog=yes"
  expect "optional offer" "$out" "mandatory=no"
  expect "optional offer" "$out" 'message=The new version 2.5 is available\r\n\r\nWhat'"'"'s new:\r\nFaster clicks\r\n  \r\n<b>Macros</b>\r\n'
  expect "user agent" "$(cat "$WORK/requests.log")" "/s/ok/download/version/rizavurozadada-version.html	$ua"
  expect "user agent" "$(cat "$WORK/requests.log")" "/s/ok/download/version/rizavurozadada-changes.html	$ua"

  out=$(check_at "$base/mandatory")
  expect "mandatory offer" "$out" "dialog=yes"
  expect "mandatory offer" "$out" "mandatory=yes"
  for s in current garbage nochanges redirect11; do
    out=$(check_at "$base/$s")
    expect "no dialog ($s)" "$out" "dialog=no"
  done
  : >"$WORK/requests.log"
  out=$(check_at "$base/redirect10")
  expect "ten redirects followed" "$out" "dialog=yes"
  expect "redirect keeps the user agent" "$(cat "$WORK/requests.log")" "/r/0-ok/download/version/rizavurozadada-changes.html	$ua"

  # An HTTPS server whose certificate nobody vouches for is not the update server.
  : >"$WORK/requests.log"
  out=$(check_at "https://127.0.0.1:$TLS_PORT/s/ok")
  expect "untrusted certificate" "$out" "dialog=no"
  expect_not "untrusted certificate: no request got through" "$(cat "$WORK/requests.log")" "/s/ok"
  echo "[$EDITION] untrusted TLS check: $(value "$out" elapsed_ms) ms"

  if [ "${TLS_TRUST_SUPPORTED:-0}" = 1 ]; then
    # With the test certificate trusted: TLS works, redirects stay on TLS.
    local tls="https://127.0.0.1:$TLS_PORT/s"
    out=$(QEL_TEST_CA_FILE="$WORK/cert.pem" check_at "$tls/ok")
    expect "trusted TLS server" "$out" "dialog=yes"
    out=$(QEL_TEST_CA_FILE="$WORK/cert.pem" check_at "$tls/redirect3")
    expect "TLS redirects followed" "$out" "dialog=yes"
    : >"$WORK/requests.log"
    out=$(QEL_TEST_CA_FILE="$WORK/cert.pem" check_at "$tls/tohttp")
    expect "redirect from https to http refused" "$out" "dialog=no"
    expect_not "redirect from https to http: plain server never asked" "$(cat "$WORK/requests.log")" "/s/ok/"
  fi

  # ---- the download ----
  local target="$TEMP_DIR/$INSTALLER_NAME" started
  if [ "$EDITION" = linux ]; then
    # Another user's link at the old fixed name: nothing may be written through it.
    echo precious >"$WORK/victim"
    ln -s "$WORK/victim" "$target"
  else
    head -c 700000 /dev/urandom >"$target"  # an earlier, longer download
  fi
  out=$(download_from ok)
  expect "download" "$out" "tag=0"
  expect "download" "$out" "bar=100"
  expect_not "download" "$out" "error_box="
  started=$(local_path "$(value "$out" started)")
  [ -n "$(value "$out" started)" ] && pass || fail "download: signed installer not started: $out"
  cmp -s "$started" "$WORK/installer.bin" && pass || fail "download: file differs from the served one"
  if [ "$EDITION" = linux ]; then
    [ "$(cat "$WORK/victim")" = precious ] && pass || fail "download: written through another user's link"
    local folder=${started%/*}
    [ "${folder%/*}" = "$TEMP_DIR" ] && [ "$(stat -c '%a %U' "$folder")" = "700 $(id -un)" ] && pass ||
      fail "download: folder $folder is not private: $(stat -c '%a %U' "$folder")"
    # The client itself never opens a link it is given as the target.
    ln -s "$WORK/victim" "$WORK/link"
    local fetched
    fetched=$(drive fetch "http://127.0.0.1:$PORT/s/ok/download/rizavurozadada.deb" "$WORK/link")
    expect "download onto a link" "$fetched" "ok=no"
    [ "$(cat "$WORK/victim")" = precious ] && pass || fail "download onto a link: written through it"
    rm -f "$target"
  else
    expect "download: installer started" "$out" "started=$TEMP_ARG$INSTALLER_NAME"
  fi
  expect "user agent (installer)" "$(cat "$WORK/requests.log")" "/s/ok/download/${INSTALLER_NAME/qel_update/rizavurozadada}	$ua"
  if [ "$(value "$out" bar_max)" -lt 100 ] || [ "$(value "$out" served)" -lt 3 ]; then
    fail "download: bar or queue serving: $out"
  fi

  for s in chunked nolength; do
    rm -rf "${TEMP_DIR:?}"/*
    out=$(download_from "$s")
    expect "$s download" "$out" "bar_max=0"
    expect_not "$s download" "$out" "error_box="
    started=$(local_path "$(value "$out" started)")
    cmp -s "$started" "$WORK/installer.bin" && pass || fail "$s download: file differs or not started"
  done

  # ---- only what the maker signed is started ----
  local nomatch="The downloaded file does not match the maker's signature. It was deleted and not started."
  local refusals=(
    "flipped|$nomatch"
    "wrongkey|$nomatch"
    "unsigned|The update server sent no signature for this download. It was deleted and not started."
    "older|The downloaded file is older than this version. It was deleted and not started."
  )
  local r
  for r in "${refusals[@]}"; do
    s=${r%%|*}
    rm -rf "${TEMP_DIR:?}"/*
    out=$(download_from "$s")
    expect "$s" "$out" "tag=0"
    expect "$s" "$out" "error_box=Failed to download update. Please download manually on website.\r\n\r\n${r#*|}"
    expect_not "$s: nothing started" "$out" "started="
    [ -z "$(ls -A "$TEMP_DIR")" ] && pass || fail "$s: download left behind: $(ls -AR "$TEMP_DIR")"
  done

  local failed='error_box=Failed to download update. Please download manually on website.\r\n\r\n'
  for s in installerredirect installer404 drop; do
    out=$(download_from "$s")
    expect "$s" "$out" "tag=0"
    expect "$s" "$out" "opened=https://qel-autoclicker.app|open"
    expect_not "$s: installer not started" "$out" "started="
    grep -qF -- "$failed" <<<"$out" && pass || fail "$s: no error box: $out"
    echo "[$EDITION] $s: $(value "$out" error_box)"
  done

  out=$(download_from slow 1500)
  expect "abort" "$out" "${failed}Download is cancelled. Please download manually."
  expect "abort" "$out" "tag=0"
  expect "abort" "$out" "opened=https://qel-autoclicker.app|open"
  local ms served
  ms=$(value "$out" elapsed_ms)
  served=$(value "$out" served)
  [ "$ms" -lt 4000 ] && pass || fail "abort took $ms ms"
  # Served about every 50-100 ms while waiting: the dialog repaints and takes clicks.
  [ "$served" -ge 10 ] && pass || fail "queue served only $served times during a ${ms} ms download"
  echo "[$EDITION] abort after 1500 ms: ended at $ms ms, queue served $served times"

  # A server that stops sending altogether: Abort still ends the download promptly.
  out=$(download_from stall 1500)
  expect "abort while stalled" "$out" "${failed}Download is cancelled. Please download manually."
  expect "abort while stalled" "$out" "tag=0"
  ms=$(value "$out" elapsed_ms)
  [ -n "$ms" ] && [ "$ms" -lt 4000 ] && pass || fail "abort while stalled took ${ms:-forever} ms"
  echo "[$EDITION] abort of a stalled download after 1500 ms: ended at $ms ms"

  # ---- how long the start waits when the server cannot be reached ----
  out=$(check_at "http://127.0.0.1:$CLOSED_PORT")
  expect "nothing listening" "$out" "dialog=no"
  echo "[$EDITION] start-up delay, nothing listening: $(value "$out" elapsed_ms) ms"
  out=$(check_at "http://127.0.0.1:$SILENT_PORT")
  expect "silent server" "$out" "dialog=no"
  ms=$(value "$out" elapsed_ms)
  echo "[$EDITION] start-up delay, port accepts but never answers: $ms ms"
  [ "$ms" -ge 9000 ] && [ "$ms" -le 13000 ] && pass || fail "silent server: $ms ms, expected the 10 s read time-out"

  out=$(check_at "http://127.0.0.1:$FULL_PORT")
  expect "connection attempt unanswered" "$out" "dialog=no"
  ms=$(value "$out" elapsed_ms)
  echo "[$EDITION] start-up delay, connection attempt never answered: $ms ms"
  [ "$ms" -ge 4000 ] && [ "$ms" -le 7000 ] && pass || fail "unanswered connect: $ms ms, expected the 5 s connect time-out"

  echo "[$EDITION] $PASSES checks passed, $FAILS failed"
  [ "$FAILS" -eq 0 ]
}
