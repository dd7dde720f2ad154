#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for a bank shared by many workstations.
#
#   scripts/bank-postgres.sh start [FOLDER]   make (first time) and start the cluster,
#                                             print the service role's settings
#   scripts/bank-postgres.sh status [FOLDER]  say whether it runs, print them again
#   scripts/bank-postgres.sh admin [FOLDER]   print the administrator's settings
#   scripts/bank-postgres.sh stop [FOLDER]    stop it (the folder stays; rm -rf to forget)
#
# FOLDER defaults to build/postgres in the repository. The cluster listens on a Unix
# socket in FOLDER and on 127.0.0.1 only, with password (SCRAM) sign-in everywhere. The
# first start creates the demonstration bank "tavro" with two service logins,
# tavro_0012 (corporation 0012 as operator 000001) and tavro_0020 (corporation 0020 as
# 200001 and 200002), and the copy "tavro_template" the tests start their banks from.
# Workstations hold no role on the server: they sign in to the service
# (scripts/bank-service.sh), which alone connects, as tavro_service. The passwords are
# random. The service role's is kept alone in FOLDER/tavro_service.pgpass (0600), the
# password file the service is given (PGPASSFILE); each service login's in
# FOLDER/LOGIN.password; the administrator's FOLDER/pgpass holds the superuser's
# password and the service role's, so the service's settings never carry the
# superuser's password. PostgreSQL refuses to run as root: started by root, the server
# runs as the unprivileged user "postgres" (or TAVRO_PG_USER).
#
# The printed lines are shell exports: eval "$(scripts/bank-postgres.sh start)" gives
# the service role's password file and the bank's URL as that role (for tavro-bank
# serve --bank "$TAVRO_BANK_URL"); eval "$(scripts/bank-postgres.sh admin)" gives the
# administrator's password file, the cluster's address (PGHOST, PGPORT, so that a URL
# such as postgresql://tavro_admin@/tavro2 needs no host) and the bank's URL as its
# owner, for tavro-bank init, login, upgrade and copy (scripts/test.sh hands the tests
# the same). tavro-bank is taken from TAVRO_BANK_TOOL, else build/default/bin/tavro-bank.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
action="${1:-}"
folder="${2:-$root/build/postgres}"
case "$action" in start | stop | status | admin) ;; *)
  echo "usage: $0 start|stop|status|admin [FOLDER]" >&2
  exit 2
  ;;
esac
mkdir -p "$folder"
folder="$(cd "$folder" && pwd -P)"
data="$folder/data"
tool="${TAVRO_BANK_TOOL:-$root/build/default/bin/tavro-bank}"

bindir="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)"
if [ -z "$bindir" ] || [ ! -x "$bindir/pg_ctl" ]; then
  echo "bank-postgres: PostgreSQL is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

# Runs a PostgreSQL program as the user who owns the cluster.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "${TAVRO_PG_USER:-postgres}" -- "$@"
  else
    "$@"
  fi
}

# The service role's own password file, cut from the administrator's (a cluster made
# before the files were split gets it on its next start or status).
service_file() {
  if [ ! -f "$folder/tavro_service.pgpass" ]; then
    (umask 077 && grep "^\*:\*:\*:tavro_service:" "$folder/pgpass" >"$folder/tavro_service.pgpass")
  fi
}

# The bank's service, connected as tavro_service: its own password file, never the
# superuser's.
settings() {
  local port
  port="$(cat "$folder/port")"
  service_file
  echo "export PGPASSFILE='$folder/tavro_service.pgpass'"
  echo "export TAVRO_BANK_URL='postgresql://tavro_service@/tavro?host=$folder&port=$port'"
}

# The administrator: every password, the cluster's address, the bank as its owner.
admin_settings() {
  local port
  port="$(cat "$folder/port")"
  echo "export PGPASSFILE='$folder/pgpass'"
  echo "export PGHOST='$folder'"
  echo "export PGPORT='$port'"
  echo "export TAVRO_BANK_URL='postgresql://tavro_admin@/tavro?host=$folder&port=$port'"
}

running() {
  [ -f "$data/PG_VERSION" ] && as_owner "$bindir/pg_ctl" -D "$data" status >/dev/null 2>&1
}

case "$action" in
  status)
    if running; then
      echo "# the bank's cluster runs in $folder; the administrator's settings: $0 admin" >&2
      settings
      exit 0
    fi
    echo "bank-postgres: no cluster runs in $folder" >&2
    exit 3
    ;;
  admin)
    if running; then
      admin_settings
      exit 0
    fi
    echo "bank-postgres: no cluster runs in $folder" >&2
    exit 3
    ;;
  stop)
    if running; then
      as_owner "$bindir/pg_ctl" -D "$data" -m fast -w stop >/dev/null
      echo "bank-postgres: stopped the cluster in $folder" >&2
    else
      echo "bank-postgres: no cluster runs in $folder" >&2
    fi
    exit 0
    ;;
esac

if running; then
  echo "# the bank's cluster runs already in $folder; the administrator's settings: $0 admin" >&2
  settings
  exit 0
fi

fresh=0
if [ ! -f "$data/PG_VERSION" ]; then
  fresh=1
  if [ "$(id -u)" -eq 0 ]; then
    owner="${TAVRO_PG_USER:-postgres}"
    chown "$owner" "$folder"
    if ! runuser -u "$owner" -- test -w "$folder"; then
      # A folder on the way is closed to the server's user (a build tree under
      # /root): the cluster lives in a private folder under /tmp, and the build
      # tree's folder becomes a link to it.
      real="$(mktemp -d /tmp/tavro-pg-XXXXXX)"
      chmod 0711 "$real"
      rmdir "$folder"
      ln -s "$real" "$folder"
      folder="$real"
      data="$folder/data"
      chown "$owner" "$folder"
    fi
  fi
  chmod 0700 "$folder"
  umask 077
  password() { head -c 18 /dev/urandom | base64 | tr -d '/+=' ; }
  admin_pw="$(password)"
  printf '%s\n' "$admin_pw" >"$folder/admin-password"
  [ "$(id -u)" -eq 0 ] && chown "$owner" "$folder/admin-password"
  as_owner "$bindir/initdb" -D "$data" -U tavro_admin -E UTF8 --locale=C \
    --auth=scram-sha-256 --pwfile="$folder/admin-password" >"$folder/initdb.log"
  rm -f "$folder/admin-password"
  {
    echo "*:*:*:tavro_admin:$admin_pw"
    echo "*:*:*:tavro_service:$(password)"
  } >"$folder/pgpass"
  chmod 0600 "$folder/pgpass"
fi

# A port nobody listens on, kept for the cluster's life. A cluster stopped for a
# moment keeps its port only while no new cluster takes it, so new ones start their
# search at a random place of the range rather than at its first free port.
if [ ! -f "$folder/port" ]; then
  port=$((55432 + RANDOM % 2000))
  while (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
    port=$((port + 1))
  done
  echo "$port" >"$folder/port"
fi
# Another cluster starting at the same moment may take the same port: then the next
# one is tried.
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  port="$(cat "$folder/port")"
  if as_owner "$bindir/pg_ctl" -D "$data" -l "$folder/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories='$folder' -c max_connections=100" \
    start >/dev/null; then
    break
  fi
  if [ "$attempt" -eq 10 ] || ! tail -n 20 "$folder/server.log" | grep -q "already in use"; then
    echo "bank-postgres: the server did not start; see $folder/server.log" >&2
    exit 1
  fi
  echo $((port + 1 + RANDOM % 50)) >"$folder/port"
done

export PGPASSFILE="$folder/pgpass"
if [ "$fresh" -eq 1 ]; then
  if [ ! -x "$tool" ]; then
    echo "bank-postgres: $tool is missing: build first (scripts/build.sh)" >&2
    exit 1
  fi
  login_password() { grep "^\*:\*:\*:$1:" "$folder/pgpass" | cut -d: -f5; }
  for login in tavro_0012 tavro_0020; do
    (umask 077 && password >"$folder/$login.password")
  done
  for bank in tavro tavro_template; do
    url="postgresql://tavro_admin@/$bank?host=$folder&port=$port"
    "$tool" init --demo "$url" >/dev/null
    "$tool" login add tavro_0012 --bank "$url" --corp 0012 --operator 000001 \
      --password-file "$folder/tavro_0012.password" >/dev/null
    "$tool" login add tavro_0020 --bank "$url" --corp 0020 --operator 200001 --operator 200002 \
      --password-file "$folder/tavro_0020.password" >/dev/null
  done
  # The service's role, made by init, gets its password here, once for the cluster.
  printf "ALTER ROLE tavro_service PASSWORD '%s'\n" "$(login_password tavro_service)" |
    "$bindir/psql" -qX -v ON_ERROR_STOP=1 "postgresql://tavro_admin@/tavro?host=$folder&port=$port"
  echo "# created the demonstration bank 'tavro' with service logins tavro_0012 and tavro_0020" >&2
fi
echo "# the bank's cluster runs in $folder (Unix socket there, 127.0.0.1:$port);" \
  "the administrator's settings: $0 admin" >&2
settings
