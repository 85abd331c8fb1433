#!/usr/bin/env bash
# Runs the whole suite twice: in the plain build, then in the build with
# AddressSanitizer and UndefinedBehaviorSanitizer (LeakSanitizer on). Any
# failed test, any sanitizer report, or a different number of tests in the
# two runs fails the run. Needs a display (see with-display.sh).
set -uo pipefail
cd "$(dirname "$0")/.."
plain=${1:-build}
sanitized=${2:-build-asan}
jobs=${JOBS:-2}

count_tests() {
    ctest --test-dir "$1" -N | sed -n 's/^Total Tests: //p'
}

echo "== The suite, plain build"
ctest --test-dir "$plain" --output-on-failure -j "$jobs" || exit 1

echo "== The suite, sanitized build"
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/sanitizer/lsan.supp:print_suppressions=0"
ctest --test-dir "$sanitized" --output-on-failure -j "$jobs" || status=1

if compgen -G "$reports/*" >/dev/null; then
    echo "== Sanitizer reports:"
    cat "$reports"/*
    status=1
fi

plain_count=$(count_tests "$plain")
sanitized_count=$(count_tests "$sanitized")
echo "== Tests: $plain_count plain, $sanitized_count sanitized"
if [ "$plain_count" != "$sanitized_count" ] || [ "${plain_count:-0}" -eq 0 ]; then
    echo "The two runs did not run the same suite"
    status=1
fi
exit "${status:-0}"
