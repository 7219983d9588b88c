#!/usr/bin/env bash
# Installs everything the two builds need: Debian packages, the deb-src entries
# derived from this machine's own apt sources, and the unpacked source packages
# of RtAudio, RtMidi and SDL2_image (for nanosvg.h) under build/_deps.
# Idempotent: a machine that has it all returns in about a second.
# With --reference it also installs the reference chorus the engine benchmark is measured
# against (Calf's Multi Chorus) and lilv's lv2bench that runs it; nothing else needs them.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
deps="$root/build/_deps"
mkdir -p "$deps"

packages=(
  cmake ninja-build g++ pkg-config dpkg-dev python3 clang libclang-rt-14-dev clang-format
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine64 wine xvfb xauth libgl1-mesa-dri pulseaudio pulseaudio-utils
  libstb-dev libgtest-dev juce-modules-source-data fonts-roboto-unhinted
  libosmesa6-dev libxsimd-dev x11-apps
)
if [ "${1:-}" = "--reference" ]; then
  packages+=(calf-plugins lilv-utils)
fi

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

apt_updated=0
apt_update_once() {
  [ "$apt_updated" -eq 1 ] && return
  sudo_if_needed apt-get update -qq
  apt_updated=1
}

if [ "${#missing[@]}" -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  apt_update_once
  sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# deb-src entries: the same URIs, suites and components as the machine's
# enabled binary entries, so no registry address is written down here.
src_list=/etc/apt/sources.list.d/halcyra-deb-src.sources
derive_deb_src() {
  local out=""
  shopt -s nullglob
  for f in /etc/apt/sources.list.d/*.sources; do
    [ "$f" = "$src_list" ] && continue
    out+=$(awk '
      BEGIN { RS=""; FS="\n" }
      {
        isdeb=0; keep=""
        for (i = 1; i <= NF; i++) {
          line=$i
          if (line ~ /^#/) continue
          if (line ~ /^Types:/) { if (line ~ /[ \t]deb([ \t]|$)/) isdeb=1; continue }
          if (line ~ /^Enabled:[ \t]*no/) { isdeb=0; break }
          keep = keep line "\n"
        }
        if (isdeb) printf "Types: deb-src\n%s\n", keep
      }' "$f")
    out+=$'\n'
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    while read -r type rest; do
      [ "$type" = "deb" ] || continue
      out+=$(printf 'Types: deb-src\n%s\n' "$(echo "$rest" | awk '{
        opts=""; if ($1 ~ /^\[/) { while ($1 !~ /\]$/) { opts = opts " " $1; $1=""; $0=$0 } opts = opts " " $1; $1=""; $0=$0 }
        printf "URIs: %s\nSuites: %s\nComponents:", $1, $2; for (i = 3; i <= NF; i++) printf " %s", $i; printf "\n" }')")
      out+=$'\n\n'
    done < "$f"
  done
  printf '%s' "$out"
}

need_source() { [ ! -d "$deps/$1" ]; }
if need_source rtaudio || need_source rtmidi || need_source sdl2-image; then
  if [ ! -f "$src_list" ] || ! grep -q deb-src "$src_list"; then
    derive_deb_src | sudo_if_needed tee "$src_list" >/dev/null
    apt_updated=0
  fi
  apt_update_once
  fetch_source() {  # name of the source package, folder name under build/_deps
    local pkg="$1" dir="$2" tmp
    [ -d "$deps/$dir" ] && return
    tmp="$(mktemp -d "$deps/.fetch.XXXXXX")"
    (cd "$tmp" && apt-get source -qq "$pkg" >/dev/null 2>&1 || apt-get source -qq --download-only "$pkg" >/dev/null)
    local tree
    tree="$(find "$tmp" -mindepth 1 -maxdepth 1 -type d | head -1)"
    if [ -z "$tree" ]; then
      local orig
      orig="$(ls "$tmp"/*.orig.tar.* | head -1)"
      mkdir -p "$tmp/tree" && tar -xf "$orig" -C "$tmp/tree" --strip-components=1
      tree="$tmp/tree"
    fi
    mv "$tree" "$deps/$dir"
    rm -rf "$tmp"
    echo "deps: unpacked $pkg into build/_deps/$dir"
  }
  fetch_source rtaudio rtaudio
  fetch_source rtmidi rtmidi
  fetch_source libsdl2-image sdl2-image
fi
