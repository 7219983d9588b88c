#!/usr/bin/env bash
# Formats every C++ source of the project with the pinned clang-format (14, from Debian).
#   scripts/format.sh           rewrite the files in place
#   scripts/format.sh --check   change nothing; list the files that differ and fail if any do
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

formatter="$(command -v clang-format-14 || command -v clang-format || true)"
if [ -z "$formatter" ]; then echo "format: clang-format 14 is not installed (scripts/deps.sh installs it)"; exit 2; fi
version="$("$formatter" --version)"
case "$version" in *" 14."*) ;; *) echo "format: need clang-format 14, found: $version"; exit 2 ;; esac

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -d '' sources < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' '*.inl')
else
  mapfile -d '' sources < <(find . -path ./build -prune -o -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.inl' \) -print0)
fi
if [ "${1:-}" = "--check" ]; then
  # One formatter per core: run one file at a time, the check takes minutes on a busy machine.
  mapfile -t differing < <(printf '%s\0' "${sources[@]}" | xargs -0 -r -n 16 -P "$(nproc)" bash -c '
    formatter="$1"; shift
    for f in "$@"; do
      [ -f "$f" ] || continue
      "$formatter" --style=file "$f" | cmp -s - "$f" || printf "%s\n" "$f"
    done' check "$formatter" | sort)
  if [ "${#differing[@]}" -gt 0 ]; then
    printf 'format: not formatted: %s\n' "${differing[@]}"
    echo "format: run scripts/format.sh to rewrite them"
    exit 1
  fi
  echo "format: ${#sources[@]} files formatted"
else
  printf '%s\0' "${sources[@]}" | xargs -0 -r "$formatter" --style=file -i
fi
