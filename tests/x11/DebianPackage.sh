#!/usr/bin/env bash
# The Debian package that cpack makes of the installed layout passes lintian
# with no error and no warning (skipped where lintian is not installed).
set -euo pipefail
tools=lintian
source "$(dirname "$0")/../common.sh"
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/out.log" 2>&1 || fail "cpack made no package"
lintian --fail-on error,warning "$work"/wendrel_*.deb || fail "lintian rejects the package"
echo "ok: lintian accepts the package"
