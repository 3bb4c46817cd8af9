#!/usr/bin/env bash
# Runs one Windows program under wine for the tests (also CTest's emulator in the windows preset).
#
#   scripts/wine-run.sh [--list-prefix DIR] PROGRAM.exe [ARGS...]
#
# Runs in the prefix WINEPREFIX (the tests' fixtures make them: cmake/KrbTesting.cmake). CTest lists a
# test program's tests (--gtest_list_tests) before any test has run, so before the fixtures have made
# their prefixes: with WINEPREFIX unset, a listing runs in DIR, a prefix made there on first use and
# kept. Headless unless DISPLAY is set, bounded by
# KRB_WINE_TIMEOUT seconds (default 300), with wine's own start-up chatter removed from standard error;
# everything else on standard error is kept, and the program's exit code is this script's exit code
# (124 on time-out). A program that fails without printing anything at all is run once more (see below).
#
# The program writes into files that are copied out when it ends: wine's background services
# (services.exe, winedevice.exe) inherit the first program's output handles and keep them open long
# after it, so a pipe handed to wine would keep its reader (CTest, a test script) waiting.
set -u

list_prefix=""
if [ "${1:-}" = "--list-prefix" ] && [ $# -ge 2 ]; then
  list_prefix=$2
  shift 2
fi
if [ $# -lt 1 ]; then
  echo "usage: wine-run.sh [--list-prefix DIR] PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
listing=0
for arg in "$@"; do
  [ "${arg}" = "--gtest_list_tests" ] && listing=1
done

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
timeout_s="${KRB_WINE_TIMEOUT:-300}"

if [ -z "${WINEPREFIX:-}" ] && [ -n "${list_prefix}" ] && [ "${listing}" = 1 ]; then
  export WINEPREFIX="${list_prefix}"
  if [ ! -f "${WINEPREFIX}/system.reg" ]; then
    # Made headless, with its output kept beside it for the same reason as the program's below.
    mkdir -p "${WINEPREFIX}"
    if ! (unset DISPLAY; timeout 300 wine wineboot -i </dev/null >"${WINEPREFIX}.log" 2>&1 &&
          timeout 120 wineserver -w); then
      echo "wine-run.sh: could not make the wine prefix ${WINEPREFIX} (see ${WINEPREFIX}.log)" >&2
      exit 2
    fi
  fi
fi
if [ -z "${WINEPREFIX:-}" ] || [ ! -d "${WINEPREFIX}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set to a prepared wine prefix (a test gets one from krb_discover_tests)" >&2
  exit 2
fi

out_dir=$(mktemp -d "${TMPDIR:-/tmp}/krb-wine-run.XXXXXX") || exit 2
trap 'rm -rf "${out_dir}"' EXIT

# Lines wine prints on a 64-bit-only installation or a fresh prefix, which say nothing about the program.
filter_wine_noise() {
  awk '
    /^it looks like wine32 is missing, you should install it\.$/ { next }
    /^multiarch needs to be enabled first\.  as root, please$/ { next }
    /^execute "dpkg --add-architecture i386 && apt-get update &&$/ { next }
    /^apt-get install wine32(:i386)?"$/ { next }
    /^wine: configuration in .* has been updated\.$/ { next }
    /^wine: failed to open L"C:\\\\windows\\\\syswow64\\\\rundll32\.exe": c0000135$/ { next }
    { print }
  '
}

run_program() {
  timeout --kill-after=10 "${timeout_s}" wine "$@" </dev/null >"${out_dir}/stdout" 2>"${out_dir}/stderr"
}
run_program "$@"
status=$?
# Now and then, beside many other wine programs, a program ends at once with a failure and without a
# byte of output: it never ran (a test program prints before its first test). It is run once more.
if [ "${status}" -ne 0 ] && [ "${status}" -ne 124 ] && [ "${status}" -ne 137 ] && [ ! -s "${out_dir}/stdout" ] &&
   [ -z "$(filter_wine_noise <"${out_dir}/stderr")" ]; then
  echo "wine-run.sh: $1 ended with status ${status} before printing anything; running it once more" >&2
  run_program "$@"
  status=$?
fi
cat "${out_dir}/stdout"
filter_wine_noise <"${out_dir}/stderr" >&2
if [ "${status}" -eq 124 ] || [ "${status}" -eq 137 ]; then
  echo "wine-run.sh: $1 did not finish within ${timeout_s} s" >&2
  exit 124
fi
exit "${status}"
