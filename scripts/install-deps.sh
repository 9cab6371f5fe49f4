#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for both builds and the Wine tests.
# Run as root (or through sudo). Does nothing when everything is already there.
set -euo pipefail

need_pkgs=(
  cmake g++ make googletest clang libclang-rt-14-dev valgrind
  g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine
  libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
  libxinerama1:i386 libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386
  xvfb xauth x11-utils imagemagick mscompress fonts-wqy-microhei locales
  libgcab-dev gcab cabextract osslsigncode openssl pkg-config zlib1g-dev
  help2man dpkg-dev lintian unzip chromium python3
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${need_pkgs[@]}"; do
  st=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$st" = "installed" ] || missing+=("$p")
done

# zh_CN for code page 936; en_US shows a system of another code page (1252).
locales=(zh_CN en_US)
locale_ok=1
for l in "${locales[@]}"; do
  locale -a 2>/dev/null | grep -qiE "^$l\.utf-?8$" || locale_ok=0
done

if [ ${#missing[@]} -eq 0 ] && [ $locale_ok -eq 1 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]:-(locale only)}" >&2
if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -q
  as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ $locale_ok -eq 0 ]; then
  for l in "${locales[@]}"; do
    as_root sed -i -E "s/^# *($l\.UTF-8 UTF-8)/\1/" /etc/locale.gen
    grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen || echo "$l.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
  done
  as_root locale-gen
fi
