#!/usr/bin/env bash
# Windows checks: cross-builds the `windows` preset with mingw-w64 and tests the result under wine.
#
#   scripts/test-windows.sh [--no-build] [--require] [--verbose]
#
#   --no-build   use the existing build/windows as it is
#   --require    a missing toolchain, wine or Xvfb fails the run instead of skipping (also
#                KRB_REQUIRE_WINDOWS=1, for CI)
#   --verbose    show the build's and every host run's output
#
# Steps:
#   1. build        cmake --preset windows && cmake --build --preset windows
#   2. binaries     the plug-in bundle's layout; the DLL is PE32+ x86-64 and exports exactly InitDll,
#                   ExitDll and GetPluginFactory; the DLL and every program of the build import only
#                   system DLLs; no Linux platform source is compiled; the committed icon is what
#                   tools/icongen draws
#   3. wine prefix  a fresh prefix in a temporary folder (Windows 10, crash dialog off), removed at the end
#   4. host         tests/windows/host-checks.txt through krbhost.exe (tests/windows/host_checks.py)
#   5. tests        every CTest test of the Windows build that needs no display, under wine
#   6. display      the host checks marked "display" and the tests labelled "display" (the file
#                   dialog), under wine on Xvfb
#
# A Windows test that opens a window needs the CTest label "display" (gtest_discover_tests(... PROPERTIES
# LABELS display)); without it, it runs headless in step 5 and fails there. A host check is added with
# a line in tests/windows/host-checks.txt.
#
# Prints "Windows checks: PASSED", "Windows checks: FAILED (...)" or "Windows checks: SKIPPED (reason)"
# as its last line. Exit status: 0 when passed or skipped, 1 when a check failed, 2 on a wrong
# command line.
set -uo pipefail

cd "$(dirname "$0")/.." || exit 2
SOURCE_DIR=$(pwd)
BUILD_DIR="${SOURCE_DIR}/build/windows"
BUNDLE="${BUILD_DIR}/Krellbinder.vst3"
DLL="${BUNDLE}/Contents/x86_64-win/Krellbinder.vst3"
OBJDUMP=x86_64-w64-mingw32-objdump

build=1
require="${KRB_REQUIRE_WINDOWS:-0}"
verbose=0
for arg in "$@"; do
  case "${arg}" in
    --no-build) build=0 ;;
    --require) require=1 ;;
    --verbose) verbose=1 ;;
    -h | --help) sed -n '2,/^set -uo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "test-windows.sh: unknown option ${arg} (try --help)" >&2; exit 2 ;;
  esac
done

started=$(date +%s)
failures=()
skipped=()

step() { printf '\n== %s\n' "$*"; }
fail() { failures+=("$1"); echo "FAILED: $1"; }
elapsed() { echo "$(( $(date +%s) - started )) s"; }

skip_all() {
  if [ "${require}" = 1 ]; then
    echo "Windows checks: FAILED ($1; required)"
    exit 1
  fi
  echo "Windows checks: SKIPPED ($1)"
  exit 0
}

# ----- prerequisites -----
for tool in cmake ninja python3 timeout x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix \
            x86_64-w64-mingw32-windres "${OBJDUMP}"; do
  command -v "${tool}" >/dev/null 2>&1 || skip_all "${tool} not found; run scripts/setup.sh"
done
for tool in wine wineserver; do
  command -v "${tool}" >/dev/null 2>&1 || skip_all "${tool} not found; run scripts/setup.sh"
done

# Warnings in the project's own files in full; those that the compiler reports inside its own headers
# (where inlining at -O3 brings GCC 12's known false positives) by the project lines they come from.
summarize_warnings() {
  grep -E "^${SOURCE_DIR}/[^:]+:[0-9]+:[0-9]+: warning:" "$1" | sort -u | sed 's/^/  /'
  local inside
  inside=$(grep -cE "^/usr/[^:]+:[0-9]+:[0-9]+: warning:" "$1")
  if [ "${inside}" -gt 0 ]; then
    echo "  ${inside} warnings inside the compiler's headers, reached from:"
    grep -oE "(inlined from|In function).* at ${SOURCE_DIR}/[^:]+:[0-9]+" "$1" | grep -oE "${SOURCE_DIR}/[^:]+:[0-9]+" |
      sed "s|^${SOURCE_DIR}/||" | sort -u | tr '\n' ' ' | sed 's/^/    /'
    echo
  fi
}

# ----- 1. build -----
if [ "${build}" = 1 ]; then
  step "build (windows preset)"
  log="$(mktemp)"
  if cmake --preset windows >"${log}" 2>&1 && cmake --build --preset windows >>"${log}" 2>&1; then
    [ "${verbose}" = 1 ] && cat "${log}"
    summarize_warnings "${log}"
    echo "built in $(elapsed)"
  else
    tail -n 60 "${log}"
    rm -f "${log}"
    echo "Windows checks: FAILED (the windows build failed)"
    exit 1
  fi
  rm -f "${log}"
fi
[ -f "${DLL}" ] || { echo "Windows checks: FAILED (no plug-in DLL at ${DLL})"; exit 1; }

# ----- 2. binaries -----
step "binaries"

check() { # check NAME COMMAND...: runs the command, reports ok or FAILED
  local name="$1"
  shift
  local output
  if output=$("$@" 2>&1); then
    echo "  ok       ${name}"
  else
    fail "${name}"
    [ -n "${output}" ] && printf '%s\n' "${output}" | sed 's/^/    | /'
  fi
}

bundle_layout() {
  [ -d "${BUNDLE}/Contents/Resources" ] || { echo "no Contents/Resources"; return 1; }
  local extra
  extra=$(ls -A "${BUNDLE}/Contents/x86_64-win" | grep -vx "Krellbinder.vst3")
  [ -z "${extra}" ] || { echo "more than the DLL in Contents/x86_64-win: ${extra}"; return 1; }
}

pe_format() {
  "${OBJDUMP}" -f "${DLL}" | grep -q "file format pei-x86-64" || { "${OBJDUMP}" -f "${DLL}"; return 1; }
}

exports_exactly() {
  local actual expected
  actual=$("${OBJDUMP}" -p "${DLL}" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
  expected=$(printf '%s\n' "$@" | sort)
  [ "${actual}" = "${expected}" ] || { echo "exported: $(echo ${actual})"; echo "expected: $(echo ${expected})"; return 1; }
}

# The DLLs that every Windows installation carries. The compiler's own runtime (libstdc++,
# libgcc_s, libwinpthread) must not be among the imports: it is linked in statically.
SYSTEM_DLLS="advapi32 bcrypt comctl32 comdlg32 crypt32 dwmapi gdi32 imm32 kernel32 msvcrt ntdll ole32 oleaut32
opengl32 propsys shcore shell32 shlwapi user32 userenv uxtheme version winmm ws2_32"

imports_only_system_dlls() {
  local file bad=0 dll
  for file in "$@"; do
    while read -r dll; do
      if ! printf '%s\n' ${SYSTEM_DLLS} | grep -qix "${dll%.dll}"; then
        echo "${file#"${BUILD_DIR}/"} imports ${dll}"
        bad=1
      fi
    done < <("${OBJDUMP}" -p "${file}" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  done
  return "${bad}"
}

no_linux_sources() {
  local found
  found=$(grep -o '"file": *"[^"]*Linux\.cpp"' "${BUILD_DIR}/compile_commands.json" | sort -u)
  [ -z "${found}" ] || { echo "${found}"; return 1; }
}

icon_is_generated() {
  local fresh
  fresh=$(mktemp)
  python3 "${SOURCE_DIR}/tools/icongen/make_icon.py" "${fresh}" && cmp "${fresh}" "${SOURCE_DIR}/resources/Krellbinder.ico"
  local status=$?
  rm -f "${fresh}"
  return "${status}"
}

mapfile -t programs < <(find "${BUILD_DIR}" -name '*.exe' -not -path '*/CMakeFiles/*' | sort)
check "bundle layout Krellbinder.vst3/Contents/x86_64-win/Krellbinder.vst3" bundle_layout
check "the DLL is PE32+ for x86-64" pe_format
check "exports exactly InitDll, ExitDll, GetPluginFactory" exports_exactly InitDll ExitDll GetPluginFactory
check "the DLL and ${#programs[@]} programs import only system DLLs" imports_only_system_dlls "${DLL}" "${programs[@]}"
check "no Linux platform source in the Windows build" no_linux_sources
check "resources/Krellbinder.ico is what tools/icongen/make_icon.py draws" icon_is_generated

# ----- 3. wine prefix -----
step "wine prefix"
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/krb-wine.XXXXXX")
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
unset DISPLAY # loading the plug-in and its factory needs no display; the dialog tests get Xvfb below
wine_log="${WINEPREFIX}.log"

cleanup() {
  timeout 30 wineserver -k >/dev/null 2>&1
  rm -rf "${WINEPREFIX}" "${wine_log}"
}
trap cleanup EXIT

# Starts a wineserver that stays for the whole run, so each program starts in a fraction of a second,
# with wine's background services started now, their output going to the log rather than to the
# pipes of the checks below.
START_WINESERVER='
  timeout 30 wineserver -k >/dev/null 2>&1
  wineserver -p </dev/null >>"${wine_log}" 2>&1
  timeout 120 wine cmd /c exit </dev/null >>"${wine_log}" 2>&1'
start_wineserver() { wine_log="${wine_log}" bash -c "${START_WINESERVER}"; }

prefix_ok=1
if ! timeout 300 wine wineboot -i </dev/null >"${wine_log}" 2>&1; then
  prefix_ok=0
elif ! timeout 120 wineserver -w; then
  prefix_ok=0
# A crash would otherwise open wine's crash dialog and wait for it, forever under Xvfb.
elif ! timeout 120 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >>"${wine_log}" 2>&1; then
  prefix_ok=0
# A fresh prefix says it is Windows 7; the plug-in's hosts run on Windows 10 and later.
elif ! timeout 120 wine winecfg -v win10 </dev/null >>"${wine_log}" 2>&1; then
  prefix_ok=0
fi
if [ "${prefix_ok}" = 0 ]; then
  grep -v -e "wine32 is missing" -e "multiarch needs" -e "dpkg --add-architecture" -e "apt-get install wine32" \
    "${wine_log}" | tail -n 20
  echo "Windows checks: FAILED (could not create a wine prefix)"
  exit 1
fi
start_wineserver
windows_version=$(timeout 60 wine cmd /c ver </dev/null 2>/dev/null | tr -d '\r' | grep -m1 "Windows")
echo "  prefix ready in ${WINEPREFIX} ($(wine --version 2>/dev/null); ${windows_version:-Windows version unknown})"

# ----- 4. host checks -----
step "host checks (krbhost.exe under wine)"
KRBHOST="${BUILD_DIR}/tools/host/krbhost.exe"
if [ -f "${KRBHOST}" ]; then
  host_args=(--host "${KRBHOST}" --bundle "${BUNDLE}")
  [ "${verbose}" = 1 ] && host_args+=(--verbose)
  python3 "${SOURCE_DIR}/tests/windows/host_checks.py" "${host_args[@]}" || fail "host checks"
elif [ -d "${SOURCE_DIR}/tools/host" ]; then
  fail "host checks: tools/host is in the tree but the build made no krbhost.exe"
else
  echo "Host checks: SKIPPED (the command-line host tools/host is not in this tree yet)"
  skipped+=("host checks")
fi

# ----- 5. tests without a display -----
step "tests under wine (no display)"
ctest_args=(--test-dir "${BUILD_DIR}" --output-on-failure --timeout 300 -j 4)
if [ -f "${BUILD_DIR}/CTestTestfile.cmake" ]; then
  ctest "${ctest_args[@]}" -LE display || fail "tests under wine"
else
  fail "tests under wine: the Windows build has no tests (KRB_BUILD_TESTS is off)"
fi

# ----- 6. tests on a display -----
step "tests under wine on Xvfb (display)"
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "Display tests: SKIPPED (xvfb-run not found; run scripts/setup.sh)"
  skipped+=("display tests")
  [ "${require}" = 1 ] && fail "display tests: xvfb-run missing"
elif [ -f "${BUILD_DIR}/CTestTestfile.cmake" ]; then
  # The wineserver keeps the display it started with: restart it inside the Xvfb session, and stop it
  # before the session ends. (xvfb-run is a sh script, so the code goes in as text, not as a function.)
  export wine_log START_WINESERVER KRBHOST BUNDLE SOURCE_DIR
  timeout --kill-after=10 900 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    eval "${START_WINESERVER}"
    status=0
    if [ -f "${KRBHOST}" ]; then
      python3 "${SOURCE_DIR}/tests/windows/host_checks.py" --display --host "${KRBHOST}" --bundle "${BUNDLE}" || status=1
    fi
    ctest "$@" -L display || status=1
    timeout 30 wineserver -k >/dev/null 2>&1
    exit ${status}' display-tests "${ctest_args[@]}" || fail "tests under wine on Xvfb"
fi

# ----- summary -----
echo
if [ ${#failures[@]} -gt 0 ]; then
  printf 'failed: %s\n' "${failures[@]}"
  echo "Windows checks: FAILED (${#failures[@]} failed, $(elapsed))"
  exit 1
fi
if [ ${#skipped[@]} -gt 0 ]; then
  echo "Windows checks: PASSED in $(elapsed), skipped: $(IFS=,; echo "${skipped[*]}")"
else
  echo "Windows checks: PASSED in $(elapsed)"
fi
exit 0
