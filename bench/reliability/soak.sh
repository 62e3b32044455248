#!/usr/bin/env bash
# Random-kill soak of the intake: runs `vornal-cli process` on a large buffer
# set, kills it with SIGKILL at a random instant, and starts it again, until a
# run ends by itself; then compares the LOGS rows with those of one
# uninterrupted run. Meanwhile a client with stdio-buffered output
# (buffered_client) writes into one more folder, cutting lines at every 4 KiB
# and adding lines that are no event; its days must each be applied once and
# its bad lines kept aside once. Repeats with a fresh office until KILLS kills
# have landed. Not a test: it runs for minutes.
#
# Usage: bench/reliability/soak.sh BUILD_DIR [KILLS] [EVENTS] [FOLDERS]
#   BUILD_DIR  a build with vornal-cli, generate_buffer and buffered_client
#              (Release is best)
#   KILLS      kills to land in all (default 200)
#   EVENTS     lines of each folder's main.buf (default 300000)
#   FOLDERS    working folders (default 3)
# With SOAK_SERVER set to libpq's connection string of a PostgreSQL server's
# maintenance database ("host=/tmp/pg dbname=postgres"), each office keeps
# its rows in a database of its own there instead of base.mdb.
set -euo pipefail

build=$(cd "${1:?usage: soak.sh BUILD_DIR [KILLS] [EVENTS] [FOLDERS]}" && pwd)
kills_wanted=${2:-200}
events=${3:-300000}
folders=${4:-3}
cli=$build/src/cli/vornal-cli
generate=$build/bench/generate_buffer
client=$build/bench/buffered_client
client_keys=${CLIENT_KEYS:-20000}
client_junk=50
work=$(mktemp -d "${TMPDIR:-/tmp}/vornal-soak-XXXXXX")
trap 'rm -rf "$work"' EXIT

now_ms() { date +%s%3N; }

server=${SOAK_SERVER:-}
# The office in folder $1 keeps its database in base.mdb there, or on the
# server in the database named after the folder.
db_of() { if [ -n "$server" ]; then echo "$server dbname=soak_$(basename "$1")"; else echo "$1/base.mdb"; fi; }
query() {
  if [ -n "$server" ]; then psql -At -F '|' -d "$(db_of "$1")" -c "$2"; else sqlite3 -list "$1/base.mdb" "$2"; fi
}
cli() {
  local dir=$1
  shift
  (cd "$dir" && VORNAL_DB=$(db_of "$dir") exec "$cli" "$@")
}

rows() {
  query "$1" "SELECT Login, Event, BeginTime, EndTime FROM LOGS ORDER BY Login, BeginTime, Event, EndTime"
}

# A fresh office in $1: the folders set and their buffers in place.
make_office() {
  mkdir -p "$1"
  if [ -n "$server" ]; then
    PGOPTIONS='-c client_min_messages=warning' psql -q -d "$server" \
      -c "DROP DATABASE IF EXISTS soak_$(basename "$1")" -c "CREATE DATABASE soak_$(basename "$1")"
  fi
  for ((i = 1; i <= folders; i++)); do
    mkdir -p "$1/w$i"
    cli "$1" folders set "$i" "$1/w$i" >/dev/null 2>&1
    cp "$work/buf$i" "$1/w$i/main.buf"
  done
  mkdir -p "$1/client"
  cli "$1" folders set $((folders + 1)) "$1/client" >/dev/null 2>&1
}

# Realistic lines, and after every 97th a marker: a working day of a login
# of its own, begun and ended, which leaves exactly one row when both lines
# are applied once. A lost line leaves no finished row; a doubled start, or
# a doubled pair, a second row (a doubled stop alone changes nothing).
for ((i = 1; i <= folders; i++)); do
  "$generate" "$work/gen$i" "$events" 300 "$i" >/dev/null
  awk -v f="$i" '{ print } NR % 101 == 0 { printf "2024|1|1|0|0|0|junk|NoSuchEvent|\r\n" }
    NR % 97 == 0 {
      printf "2024|1|1|0|0|0|m%d-%08d|StartWDay|\r\n2024|1|1|0|0|1|m%d-%08d|StopWDay|\r\n", f, NR, f, NR
    }' "$work/gen$i" >"$work/buf$i"
  rm "$work/gen$i"
done
markers=$(cat "$work"/buf* | grep -c '|m[0-9]*-[0-9]*|StartWDay|')

# Markers without their one finished row, and with more than one.
marker_faults() {
  query "$1" "SELECT $markers - COALESCE(SUM(done), 0), COALESCE(SUM(CASE WHEN n > 1 THEN 1 ELSE 0 END), 0)
    FROM (SELECT COUNT(*) AS n, MAX(CASE WHEN Event = 'StopWDay' THEN 1 ELSE 0 END) AS done
          FROM LOGS WHERE Login LIKE 'm%-%' GROUP BY Login) AS markers"
}

make_office "$work/reference"
start=$(now_ms)
cli "$work/reference" process >/dev/null
full_ms=$(($(now_ms) - start))
rows "$work/reference" >"$work/expected"
echo "one uninterrupted run: ${full_ms} ms, $(wc -l <"$work/expected") LOGS rows," \
  "$(cat "$work"/buf* | wc -l) lines ($markers marker pairs) in $folders folders"
[ "$(marker_faults "$work/reference")" = "0|0" ] || { echo "reference run is wrong"; exit 1; }
reference_kept=$(query "$work/reference" "SELECT COUNT(*) FROM rejected_lines")

# The client's days without their one finished row, with more than one, and
# rows outside January 2024; its bad lines kept aside.
client_faults() {
  query "$1" "SELECT $client_keys - COUNT(*), COALESCE(SUM(CASE WHEN n > 1 THEN 1 ELSE 0 END), 0),
      (SELECT COUNT(*) FROM LOGS WHERE Login LIKE 'c-%' AND
        (BeginTime < '2024-01-01' OR EndTime > '2024-02-01')),
      (SELECT COUNT(*) FROM rejected_lines) - $reference_kept - ($client_keys + $client_junk - 1) / $client_junk
    FROM (SELECT COUNT(*) AS n FROM LOGS WHERE Login LIKE 'c-%' AND Event = 'StopWDay'
          GROUP BY Login) AS days"
}

client_lost=0 client_doubled=0 outside=0 kept_wrong=0
kills=0 trials=0 lost=0 doubled=0 missing_rows=0 surplus_rows=0 differing=0 unsound=0 leftover=0
while ((kills < kills_wanted)); do
  trials=$((trials + 1))
  office="$work/office"
  rm -rf "$office"
  make_office "$office"
  "$client" "$office/client/main.buf" c "$client_keys" "$trials" 2000 "$client_junk" &
  client_pid=$!
  trial_kills=0
  while ((kills < kills_wanted)); do
    # The subshell becomes vornal-cli itself, so that $! is the process killed.
    (cd "$office" && VORNAL_DB=$(db_of "$office") exec "$cli" process >/dev/null 2>&1) &
    pid=$!
    # A random instant within the length of a whole run, start-up included.
    delay_ms=$((RANDOM * (full_ms + 50) / 32768))
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
    if kill -KILL "$pid" 2>/dev/null; then
      wait "$pid" 2>/dev/null || true
      kills=$((kills + 1))
      trial_kills=$((trial_kills + 1))
    else
      wait "$pid" || { echo "run failed"; exit 1; }
      break
    fi
  done
  # Whatever the last kill left, one more run finishes it; the client's file
  # once the client is done.
  wait "$client_pid"
  cli "$office" process >/dev/null
  [ -z "$(ls -A "$office/client")" ] || cli "$office" process >/dev/null
  IFS='|' read -r c_lost c_doubled c_outside c_kept <<<"$(client_faults "$office")"
  client_lost=$((client_lost + c_lost))
  client_doubled=$((client_doubled + c_doubled))
  outside=$((outside + c_outside))
  kept_wrong=$((kept_wrong + (c_kept < 0 ? -c_kept : c_kept)))
  # The rows of the generated buffers alone are compared below.
  query "$office" "DELETE FROM LOGS WHERE Login LIKE 'c-%'" >/dev/null
  rows "$office" >"$work/actual"
  missing=$(comm -23 <(sort "$work/expected") <(sort "$work/actual") | wc -l)
  surplus=$(comm -13 <(sort "$work/expected") <(sort "$work/actual") | wc -l)
  missing_rows=$((missing_rows + missing))
  surplus_rows=$((surplus_rows + surplus))
  IFS='|' read -r marker_lost marker_doubled <<<"$(marker_faults "$office")"
  lost=$((lost + marker_lost))
  doubled=$((doubled + marker_doubled))
  cmp -s "$work/expected" "$work/actual" || differing=$((differing + 1))
  # A client's kill cannot damage a server's database; a file's is checked.
  [ -n "$server" ] || [ "$(sqlite3 "$office/base.mdb" 'PRAGMA integrity_check')" = ok ] ||
    unsound=$((unsound + 1))
  for ((i = 1; i <= folders; i++)); do
    [ -z "$(ls -A "$office/w$i")" ] || leftover=$((leftover + 1))
  done
  [ -z "$(ls -A "$office/client")" ] || leftover=$((leftover + 1))
  echo "trial $trials: $trial_kills kills (total $kills), rows missing $missing, surplus $surplus," \
    "markers lost $marker_lost, doubled $marker_doubled; client days lost $c_lost," \
    "doubled $c_doubled, rows outside its dates $c_outside, kept-aside lines off by $c_kept"
done

echo "kills: $kills in $trials trials"
echo "marker lines lost: $lost, applied twice: $doubled (of $markers pairs a trial)"
echo "LOGS rows missing: $missing_rows, surplus: $surplus_rows"
echo "trials whose rows differ from one uninterrupted run: $differing"
echo "databases failing integrity_check: $unsound"
echo "buffer files left behind: $leftover"
echo "client ($client_keys days a trial): days lost $client_lost, applied twice $client_doubled," \
  "rows outside its dates $outside, kept-aside lines off by $kept_wrong"
[ "$lost" -eq 0 ] && [ "$doubled" -eq 0 ] && [ "$differing" -eq 0 ] && [ "$unsound" -eq 0 ] &&
  [ "$leftover" -eq 0 ] && [ "$client_lost" -eq 0 ] && [ "$client_doubled" -eq 0 ] &&
  [ "$outside" -eq 0 ] && [ "$kept_wrong" -eq 0 ]
