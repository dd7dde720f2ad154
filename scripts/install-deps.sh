#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with.
# Idempotent: packages already present are skipped, and apt-get runs only when
# something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config help2man man-db python3
  libicu-dev libopencc-dev libsqlite3-dev sqlite3 libcli11-dev postgresql libpq-dev
  libcpp-httplib-dev libsodium-dev libssl-dev openssl
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libpango1.0-dev fonts-noto-cjk fonts-dejavu-core fonts-dejavu-extra poppler-utils
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libxcb1-dev xvfb xauth
  clang-14 libclang-rt-14-dev llvm-14
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
