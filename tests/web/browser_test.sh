#!/usr/bin/env bash
# The web view in a real browser: an office database with people (one with a
# hostile name), today's work and two accounts; vornal-web on a free port;
# Debian's Chromium, headless, driven by puppeteer-core (browser_test.mjs).
# Screenshots of every page go to SHOTS (desktop and phone width).
#   browser_test.sh VORNAL_CLI VORNAL_WEB SHOTS
set -euo pipefail
cli=$1 web=$2 shots=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/vornal-browser-XXXXXX")
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
[ -d "$here/node_modules/puppeteer-core" ] ||
  { echo "puppeteer-core is missing: scripts/setup installs it"; exit 1; }

db=$work/base.mdb
"$cli" --db "$db" people add --name 'Петров Пётр' --login petrov --department Sales >/dev/null
"$cli" --db "$db" people add --name 'Сидорова Анна' --login sidorova --department Sales >/dev/null
"$cli" --db "$db" people add --name "<script>alert('x')</script> \"Q\"" --login '<img src=x>' \
  --department Sales >/dev/null
"$cli" --db "$db" people add --name 'Smith John' --login smith --department Plant >/dev/null
today=$(date +%F)
month_day() { date -d "$today $1 day" +%F; }
rows=""
for login in petrov sidorova '<img src=x>' smith; do
  for back in 0 1 2 3 6 7 8; do
    day=$(month_day "-$back")
    end="18:00:00"
    [ "$back" = 0 ] && end=$(date +%H:%M:%S)
    rows+="('$login', 'WorkingDay', '', '$day 08:30:00', '$day $end'),"
    rows+="('$login', 'StopWork', '', '$day 10:00:00', '$day 11:45:00'),"
  done
done
sqlite3 "$db" "INSERT INTO logs (Login, Event, Preview, BeginTime, EndTime) VALUES ${rows%,};"
sqlite3 "$db" "UPDATE logs SET Event = 'StopWDay' WHERE Login = 'smith' AND Event = 'WorkingDay'"
# Control and bidirectional characters, as another tool may have written them.
sqlite3 "$db" "UPDATE human SET Name = Name || char(27) || '[2J' || char(8238) WHERE Login = '<img src=x>'"
"$cli" --db "$db" status >/dev/null  # fills the login keys of the rows written here
# A working folder, collected once (nothing in it).
mkdir "$work/folder-1"
"$cli" --db "$db" folders set 1 "$work/folder-1" >/dev/null
"$cli" --db "$db" process >/dev/null
echo 'viewer pass' | "$cli" --db "$db" web-users add boss --role viewer >/dev/null
echo 'manager pass' | "$cli" --db "$db" web-users add anna --role manager --department Sales >/dev/null

"$web" --db "$db" --listen 127.0.0.1:0 >"$work/web.out" 2>"$work/web.err" &
server=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)$|\1|p' "$work/web.out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$work/web.err"; exit 1; }
mkdir -p "$shots"
node "$here/browser_test.mjs" "http://127.0.0.1:$port" "$shots" "$work" "$(date +%Y)" "$(date +%-m)"
