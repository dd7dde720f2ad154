#!/usr/bin/env bash
# A demonstration bank behind tavro-bank serve, on this machine only.
#
#   scripts/bank-service.sh start [--postgres] [FOLDER]
#                                             make (first time) and start the service,
#                                             print each login's workstation settings
#   scripts/bank-service.sh status [FOLDER]   say whether it runs, print them again
#   scripts/bank-service.sh settings LOGIN [FOLDER]
#                                             print one login's settings only
#   scripts/bank-service.sh stop [FOLDER]     stop it (the folder stays; rm -rf to forget)
#
# FOLDER defaults to build/bank-service in the repository. The first start creates the
# demonstration bank FOLDER/bank.db, a throwaway CA and a certificate for 127.0.0.1 and
# localhost signed by it (openssl; the keys stay in FOLDER, 0600), and two service
# logins with random passwords: ws_0012 (corporation 0012 as operator 000001) and
# ws_0020 (corporation 0020 as 200001 and 200002). Each login's password is kept alone
# in FOLDER/LOGIN.password (0600), the file a workstation signed in as that login is
# given. The service listens on 127.0.0.1:PORT (TAVRO_SERVICE_PORT, default 18443) and
# writes its access log to FOLDER/service.log.
#
# With --postgres (given to the first start; later calls remember it) the bank is the
# demonstration bank of a throwaway PostgreSQL cluster in FOLDER/postgres
# (scripts/bank-postgres.sh), the service connects to it as the service role with that
# role's own password file, and the logins are the cluster's service logins tavro_0012
# and tavro_0020 (same corporations and operators as above; their passwords in
# FOLDER/postgres/LOGIN.password). stop stops the cluster too.
#
# The printed lines are shell exports, one block per login: eval the block of ws_0012
# to make the host library (and tavro-bank exec) a client of the service as ws_0012.
# tavro-bank is taken from TAVRO_BANK_TOOL, else build/default/bin/tavro-bank.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
action="${1:-}"
[ $# -gt 0 ] && shift
only=""
if [ "$action" = settings ]; then
  only="${1:-}"
  [ $# -gt 0 ] && shift
fi
postgres=0
if [ "${1:-}" = --postgres ]; then
  postgres=1
  shift
fi
folder="${1:-$root/build/bank-service}"
case "$action" in start | stop | status | settings) ;; *)
  echo "usage: $0 start [--postgres] [FOLDER] | stop|status [FOLDER] | settings LOGIN [FOLDER]" >&2
  exit 2
  ;;
esac
mkdir -p "$folder"
chmod 700 "$folder"
folder="$(cd "$folder" && pwd -P)"
tool="${TAVRO_BANK_TOOL:-$root/build/default/bin/tavro-bank}"
port="${TAVRO_SERVICE_PORT:-18443}"
pidfile="$folder/service.pid"
# The engine is chosen by the first start and kept, so that status and stop need no flag.
if [ -f "$folder/bank.db" ]; then
  postgres=0
elif [ -d "$folder/postgres" ]; then
  postgres=1
fi
if [ "$postgres" -eq 1 ]; then
  logins=(tavro_0012 tavro_0020)
  secrets="$folder/postgres"
else
  logins=(ws_0012 ws_0020)
  secrets="$folder"
fi

running() {
  [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null
}

# The settings of a workstation signed in as each login: its own password file only.
settings() {
  local login
  for login in "${logins[@]}"; do
    [ -n "$only" ] && [ "$login" != "$only" ] && continue
    echo "# workstation signed in as $login"
    echo "export TAVRO_BANK_URL=https://127.0.0.1:$port/"
    echo "export TAVRO_SERVICE_LOGIN=$login"
    echo "export TAVRO_SERVICE_PASSWORD_FILE=$secrets/$login.password"
    echo "export TAVRO_SERVICE_CA=$folder/ca.pem"
  done
}

# The CA, the service's certificate and key, once.
make_certificates() {
  [ -f "$folder/cert.pem" ] && return
  (
    umask 077
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 30 \
      -subj "/CN=tavro demonstration CA" -keyout "$folder/ca.key" -out "$folder/ca.pem" \
      2>/dev/null
    openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
      -subj "/CN=localhost" -keyout "$folder/key.pem" -out "$folder/cert.csr" 2>/dev/null
    printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n' >"$folder/cert.ext"
    openssl x509 -req -in "$folder/cert.csr" -CA "$folder/ca.pem" -CAkey "$folder/ca.key" \
      -CAcreateserial -days 30 -extfile "$folder/cert.ext" -out "$folder/cert.pem" 2>/dev/null
    rm -f "$folder/cert.csr" "$folder/cert.ext"
  )
}

# The bank and its two logins, once.
make_bank() {
  [ -f "$folder/bank.db" ] && return
  "$tool" init --demo "$folder/bank.db" >/dev/null
  local login
  for login in "${logins[@]}"; do
    (
      umask 077
      head -c 18 /dev/urandom | base64 | tr -d '\n/+=' >"$folder/$login.password"
      echo >>"$folder/$login.password"
    )
  done
  "$tool" login add ws_0012 --bank "$folder/bank.db" --corp 0012 --operator 000001 \
    --password-file "$folder/ws_0012.password" >/dev/null
  "$tool" login add ws_0020 --bank "$folder/bank.db" --corp 0020 --operator 200001 \
    --operator 200002 --password-file "$folder/ws_0020.password" >/dev/null
}

# The service's bank: the file, or the cluster's bank as the service role, whose own
# password file is the only secret the service is given. Run in the background: it
# becomes the service (exec), so that its pid is the service's.
serve() {
  if [ "$postgres" -eq 1 ]; then
    eval "$(TAVRO_BANK_TOOL="$tool" "$root/scripts/bank-postgres.sh" status "$folder/postgres")"
    exec "$tool" serve --bank "$TAVRO_BANK_URL" "$@"
  fi
  exec "$tool" serve --bank "$folder/bank.db" "$@"
}

case "$action" in
start)
  if running; then
    echo "bank-service: running already (pid $(cat "$pidfile"))" >&2
  else
    make_certificates
    if [ "$postgres" -eq 1 ]; then
      # Started (and its bank made) before the service, so that a failure says so here.
      TAVRO_BANK_TOOL="$tool" "$root/scripts/bank-postgres.sh" start "$folder/postgres" >/dev/null
    else
      make_bank
    fi
    serve --listen "127.0.0.1:$port" --cert "$folder/cert.pem" --key "$folder/key.pem" \
      >>"$folder/service.log" 2>&1 &
    echo $! >"$pidfile"
    # Ready when the port answers TLS, or given up when the service ended.
    for _ in $(seq 1 50); do
      if ! running; then
        echo "bank-service: the service did not start; $folder/service.log says why:" >&2
        tail -n 3 "$folder/service.log" >&2
        exit 1
      fi
      if openssl s_client -connect "127.0.0.1:$port" -CAfile "$folder/ca.pem" \
        </dev/null >/dev/null 2>&1; then
        break
      fi
      sleep 0.1
    done
  fi
  settings
  ;;
settings)
  if [[ " ${logins[*]} " != *" $only "* ]]; then
    echo "bank-service: no login '$only' here (logins: ${logins[*]})" >&2
    exit 2
  fi
  settings
  ;;
status)
  if running; then
    echo "# bank-service: running (pid $(cat "$pidfile")) on https://127.0.0.1:$port/"
    settings
  else
    echo "bank-service: not running" >&2
    exit 3
  fi
  ;;
stop)
  if running; then
    pid="$(cat "$pidfile")"
    kill -TERM "$pid"
    for _ in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    echo "bank-service: stopped"
  else
    echo "bank-service: not running"
  fi
  rm -f "$pidfile"
  if [ "$postgres" -eq 1 ]; then
    "$root/scripts/bank-postgres.sh" stop "$folder/postgres"
  fi
  ;;
esac
