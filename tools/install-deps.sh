#!/usr/bin/env bash
# Installs what the build and the tests need, and nothing when it is all there already.
# Safe to run repeatedly: the check of the installed packages takes well under a second.
set -euo pipefail

pkgs=(cmake ninja-build g++ make file
      g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
      googletest libgtest-dev libbenchmark-dev libfmt-dev libspdlog-dev
      clang-14 libclang-rt-14-dev
      msitools wixl gcab unicode-data nsis
      osslsigncode openssl time
      wine wine32:i386 wine64)

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
# A mirror in mid-sync can fail one index of the update (seen: the i386 security index); apt
# then wants an amd64 security version with no i386 twin and calls wine32 "held broken".
# Pinning the install to the release's own suite (-t <codename>) keeps both architectures on
# the same versions, so when the plain install fails, the pinned one is tried before waiting.
codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
for attempt in 1 2 3; do
    $sudo apt-get update -qq || echo "install-deps: apt-get update reported errors" >&2
    if $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
        echo "install-deps: installed (plain install)" >&2
        exit 0
    fi
    if [ -n "$codename" ]; then
        echo "install-deps: plain install failed; retrying pinned to the release suite (-t $codename)" >&2
        if $sudo apt-get install -y -qq --no-install-recommends -t "$codename" "${missing[@]}" >/dev/null; then
            echo "install-deps: installed (pinned to $codename)" >&2
            exit 0
        fi
    fi
    echo "install-deps: install failed (attempt $attempt of 3)" >&2
    [ "$attempt" -lt 3 ] && sleep 15
done
exit 1
