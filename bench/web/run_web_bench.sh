#!/usr/bin/env bash
# Load on vornal-web: 200 clients at once ask for the month timesheet of
# everybody (1,000 people on the statistics benchmark's ten million rows),
# each asking again as soon as its answer is in, for SECONDS; with ab
# (Apache Bench, keep-alive). Per database given: the first answer (the
# timesheet built), then the timesheet gzipped (as browsers ask), the
# timesheet plain, and the style sheet as the baseline of the same run
# (what the server and ab manage with a tiny answer). The database needs
# a viewer account "bench" with the password "bench pass".
#
#   bench/web/run_web_bench.sh VORNAL_WEB SECONDS LOCATION...
set -euo pipefail
web=$1 seconds=$2
shift 2
month="year=2025&month=6"
port=18280
for location in "$@"; do
  "$web" --db "$location" --listen 127.0.0.1:$port --threads 4 >/dev/null 2>&1 &
  server=$!
  trap 'kill $server 2>/dev/null || true' EXIT
  for _ in $(seq 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/login" && break
    sleep 0.1
  done
  cookie=$(curl -s -D - -o /dev/null --data 'name=bench&password=bench+pass' \
    "http://127.0.0.1:$port/login" | sed -n 's/^Set-Cookie: \([^;]*\);.*/\1/p')
  [ -n "$cookie" ] || { echo "cannot log in to $location"; exit 1; }
  first=$(curl -s -o /dev/null -w '%{time_total}' -H "Cookie: $cookie" \
    "http://127.0.0.1:$port/timesheet?$month")
  echo "== $location"
  echo "first answer (the month built): ${first} s"
  run() {
    local name=$1 target=$2 encoding=$3
    ab -k -q -c 200 -t "$seconds" -n 10000000 -H "Accept-Encoding: $encoding" -C "$cookie" \
      "http://127.0.0.1:$port$target" 2>&1 |
      awk -v name="$name" '
        /^Document Length:/ { size = $3 }
        /^Complete requests:/ { done = $3 }
        /^Failed requests:/ { failed = $3 }
        /^Non-2xx responses:/ { non2xx = $3 }
        /^Requests per second:/ { rate = $4 }
        /^  50%/ { p50 = $2 }
        /^  99%/ { p99 = $2 }
        END { printf "%-18s %8s bytes  %9s requests  %9s/s  p50 %4s ms  p99 %4s ms  failed %s  non-2xx %s\n",
                     name, size, done, rate, p50, p99, failed, non2xx + 0 }'
  }
  run "timesheet gzip" "/timesheet?$month" gzip
  run "timesheet plain" "/timesheet?$month" identity
  run "style sheet" "/style.css" identity
  kill $server
  wait $server 2>/dev/null || true
  trap - EXIT
done
