#!/usr/bin/env bash
# The formatting check itself, on a scratch project holding the real formatter script and style:
# a mis-formatted source makes `scripts/format.sh --check` fail and name that file (inside a git
# work tree and outside one), the rewrite makes the check pass, and the check is an entry of the
# build's test list, so the test command fails with it.
#   format_check_test.sh <build folder of the native preset>
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:?the build folder}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "format check test: $*"
  exit 1
}

mkdir -p "$scratch/scripts" "$scratch/core"
cp "$root/scripts/format.sh" "$scratch/scripts/"
cp "$root/.clang-format" "$scratch/"
printf 'int main() { return 0; }\n' >"$scratch/core/formatted.cpp"
printf 'int   main( ){return 0;}\n' >"$scratch/core/misformatted.cpp"

expect_refusal() {  # what the scratch holds, for the messages
  local output
  if output="$(bash "$scratch/scripts/format.sh" --check 2>&1)"; then fail "$1: the check passed"; fi
  grep -q "core/misformatted.cpp" <<<"$output" || fail "$1: the file is not named: $output"
  if grep -q "formatted.cpp" <<<"${output//misformatted.cpp/}"; then fail "$1: a formatted file is named"; fi
}

git -C "$scratch" init -q
expect_refusal "an untracked file in a git work tree"
bash "$scratch/scripts/format.sh"
bash "$scratch/scripts/format.sh" --check >/dev/null || fail "the check still fails after the rewrite"

rm -rf "$scratch/.git"
printf 'int   main( ){return 0;}\n' >"$scratch/core/misformatted.cpp"
expect_refusal "a file outside any git work tree"

# Listed whole before it is searched: grep -q stopping early would break ctest's pipe.
listed="$(ctest --test-dir "$build" -N -R '^source_format$')"
grep -q 'source_format' <<<"$listed" || fail "the build's tests do not run the check"
echo "format check test: passed"
