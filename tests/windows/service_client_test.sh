#!/usr/bin/env bash
# TavroClient.dll under Wine as a client of the Linux build's tavro-bank serve: a fresh
# demonstration bank behind the service on 127.0.0.1 with a throwaway CA, a login of
# corporation 0012, and beside it a listener (openssl s_server) that shows the same
# certificate, for the cases whose CA must refuse it. The ServiceClientWin32 cases of
# windows_host_client_tests.exe then send commands through the library; afterwards the
# service's log must show them.
#   tests/windows/service_client_test.sh WINE TEST_EXE LINUX_BIN
# Without the Linux build's tavro-bank (LINUX_BIN) it exits 77: there is no service.
set -euo pipefail
wine=${1:?usage: service_client_test.sh WINE TEST_EXE LINUX_BIN}
test=${2:?}
tool=${3:?}/tavro-bank
if [[ ! -x "$tool" ]]; then
  echo "skipped: no Linux build's tavro-bank at $tool to serve the bank"
  exit 77
fi

work=$(mktemp -d)
pids=()
# The service and the listener are this script's own children, ended by their ids.
trap '[[ ${#pids[@]} -eq 0 ]] || kill "${pids[@]}" 2>/dev/null; wait; rm -rf "$work"' EXIT
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# The CA that signs the service's certificate, and one that signs nothing of it.
(
  umask 077
  cd "$work"
  for ca in ca wrong; do
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
      -subj "/CN=tavro test $ca CA" -keyout "$ca.key" -out "$ca.pem" 2>/dev/null
  done
  openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj "/CN=localhost" \
    -keyout key.pem -out cert.csr 2>/dev/null
  printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nextendedKeyUsage=serverAuth\n' >cert.ext
  openssl x509 -req -in cert.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile cert.ext -out cert.pem 2>/dev/null
  head -c 18 /dev/urandom | base64 | tr -d '\n/+=' >password
  echo >>password
)
cp "$work/password" "$work/open-password"
chmod 644 "$work/open-password"
"$tool" init --demo "$work/bank.db" >/dev/null
"$tool" login add ws_0012 --bank "$work/bank.db" --corp 0012 --operator 000001 \
  --password-file "$work/password" >/dev/null

# Free ports: the first of a few random ones nothing answers on.
free_port() {
  local port
  for _ in $(seq 1 20); do
    port=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return
    fi
  done
  echo "no free port" >&2
  exit 1
}
service_port=$(free_port)
"$tool" serve --bank "$work/bank.db" --listen "127.0.0.1:$service_port" --cert "$work/cert.pem" \
  --key "$work/key.pem" 2>"$work/service.log" &
pids+=($!)
listener_port=$(free_port)
openssl s_server -quiet -accept "$listener_port" -cert "$work/cert.pem" -key "$work/key.pem" \
  </dev/null >/dev/null 2>&1 &
pids+=($!)
closed_port=$(free_port)
for port in "$service_port" "$listener_port"; do
  for _ in $(seq 1 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
  done
done

# The services are named localhost: Wine's WinHTTP matches no IP address among a
# certificate's names (Windows does), and refuses 127.0.0.1 as a wrong name.
status=0
TAVRO_TEST_SERVICE_URL="https://localhost:$service_port/" \
  TAVRO_TEST_SERVICE_LOGIN=ws_0012 \
  TAVRO_TEST_SERVICE_CA="$(winpath "$work/ca.pem")" \
  TAVRO_TEST_PASSWORD_FILE="$(winpath "$work/password")" \
  TAVRO_TEST_OPEN_PASSWORD_FILE="$(winpath "$work/open-password")" \
  TAVRO_TEST_WRONG_CA="$(winpath "$work/wrong.pem")" \
  TAVRO_TEST_LISTENER_URL="https://localhost:$listener_port/" \
  TAVRO_TEST_CLOSED_URL="https://127.0.0.1:$closed_port/" \
  "$wine" "$test" || status=$?

if ! grep -q 'login=ws_0012 corp=0012 operator=000001 proc=MN_GetCustomerList status=0' \
  "$work/service.log"; then
  echo "FAILED: the service's log shows no command of ws_0012:"
  tail -n 5 "$work/service.log"
  status=1
fi
echo "service log: $(grep -c 'login=ws_0012' "$work/service.log" || true) commands of ws_0012"
exit "$status"
