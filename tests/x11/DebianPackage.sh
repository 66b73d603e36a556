#!/usr/bin/env bash
# The Debian package that cpack makes of the installed layout passes lintian
# with no error and no warning (skipped where lintian is not installed).
set -euo pipefail
build="${1:?build folder}"
command -v lintian >/dev/null || { echo "skip: lintian is not installed"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack made no package" >&2; exit 1; }
lintian --fail-on error,warning "$work"/wendrel_*.deb || { echo "FAIL: lintian rejects the package" >&2; exit 1; }
echo "ok: lintian accepts the package"
