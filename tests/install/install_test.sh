#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and runs the installed programs
# from an empty folder: the desktop files validate, vornal-cli creates the
# database, and vornal starts offscreen and finds its pictures through
# bin/../share/vornal (XDG_DATA_DIRS points nowhere useful).
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/vornal-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /opt/vornal >/dev/null
share=$root/opt/vornal/share
bin=$root/opt/vornal/bin

desktop-file-validate "$share/applications/org.vornal.Vornal.desktop"
appstreamcli validate --no-net "$share/metainfo/org.vornal.Vornal.metainfo.xml" >/dev/null
for size in 16 32 48 256; do
  test -s "$share/icons/hicolor/${size}x${size}/apps/org.vornal.Vornal.png"
done
gzip -t "$share/man/man1/vornal-cli.1.gz" "$share/man/man1/vornal.1.gz" \
  "$share/man/man1/vornal-web.1.gz"
# Every command of vornal-cli has its entry in the manual page.
commands=$("$bin/vornal-cli" --help | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
[ -n "$commands" ]
for command in $commands; do
  zcat "$share/man/man1/vornal-cli.1.gz" | grep -q "^\.B $command\b" ||
    { echo "vornal-cli.1 does not describe '$command'"; exit 1; }
done
test -s "$root/opt/vornal/lib/systemd/system/vornal-collect.timer"
# The collector runs confined: an exposure of 2.5 or less on systemd's scale.
systemd-analyze security --offline=true --threshold=25 \
  "$root/opt/vornal/lib/systemd/system/vornal-collect.service" >/dev/null
# The web view runs without any capability and sees the system read-only.
systemd-analyze security --offline=true --threshold=20 \
  "$root/opt/vornal/lib/systemd/system/vornal-web.service" >/dev/null

# The worker's client: its entries, unit, defaults, icons and manual page,
# and the installed program writing a day into a folder.
desktop-file-validate "$share/applications/org.vornal.VornalClient.desktop"
autostart=$(find "$root" -path '*/xdg/autostart/org.vornal.VornalClient.desktop')
desktop-file-validate "$autostart"
defaults=$(find "$root" -path '*/xdg/Vornal/client.conf')
test -s "$defaults"
test -s "$root/opt/vornal/lib/systemd/user/vornal-client.service"
for size in 16 32 48 256; do
  test -s "$share/icons/hicolor/${size}x${size}/apps/org.vornal.VornalClient.png"
done
gzip -t "$share/man/man1/vornal-client.1.gz"
for command in start-day stop-day start-task stop-task status run; do
  zcat "$share/man/man1/vornal-client.1.gz" | grep -q "^\.B $command\b" ||
    { echo "vornal-client.1 does not describe '$command'"; exit 1; }
done
mkdir "$work/desk" "$work/desk/folder"
client_env=(env XDG_CONFIG_DIRS="$(dirname "$(dirname "$defaults")")" XDG_CONFIG_HOME="$work/desk/config"
  XDG_STATE_HOME="$work/desk/state" XDG_RUNTIME_DIR="$work/desk" LC_ALL=C.UTF-8)
"$bin/vornal-client" --version | grep -q '^vornal-client '
# The defaults name no folder: a clear message, no silent stop.
status=0
"${client_env[@]}" "$bin/vornal-client" status 2>"$work/client.err" || status=$?
[ "$status" -eq 2 ] && grep -q 'folder=' "$work/client.err"
mkdir -p "$work/desk/config/Vornal"
printf 'folder=%s/desk/%%u-folder\n' "$work" >"$work/desk/config/Vornal/client.conf"
mv "$work/desk/folder" "$work/desk/$(id -un)-folder"
"${client_env[@]}" "$bin/vornal-client" start-task >/dev/null
"${client_env[@]}" "$bin/vornal-client" status | grep -q 'открыт'
"${client_env[@]}" "$bin/vornal-client" stop-day >/dev/null
grep -c "|$(id -un)|" "$work/desk/$(id -un)-folder/main.buf" | grep -qx 4

mkdir "$work/office"
cd "$work/office"
"$bin/vornal-cli" --version | grep -q '^vornal-cli '
"$bin/vornal" --version | grep -q '^vornal '
"$bin/vornal-cli" people 2>/dev/null
test -s base.mdb
sqlite3 base.mdb "INSERT INTO human (Name, Login) VALUES ('Иванов Иван', 'ivanov')"

status=0
XDG_DATA_DIRS=$work/none QT_QPA_PLATFORM=offscreen timeout -s TERM 10 "$bin/vornal" \
  2>"$work/vornal.err" || status=$?
# Still running when stopped: it started, showed its window and waited.
if [ "$status" -ne 124 ]; then
  echo "vornal ended with $status"; cat "$work/vornal.err"; exit 1
fi
if grep -q 'not found' "$work/vornal.err"; then cat "$work/vornal.err"; exit 1; fi
# The web view serves the office's database on a port of its choosing and
# sends a browser without a session to its login page.
"$bin/vornal-web" --listen 127.0.0.1:0 >"$work/web.out" 2>"$work/web.err" &
web=$!
port=
for _ in $(seq 50); do
  port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)$|\1|p' "$work/web.out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { kill "$web"; cat "$work/web.err"; exit 1; }
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n' >&3
answer=$(cat <&3)
exec 3<&-
kill "$web"
wait "$web" || true
grep -q '^Location: /login' <<<"${answer//$'\r'/}" || { echo "vornal-web: $answer"; exit 1; }
echo "installed programs run"
