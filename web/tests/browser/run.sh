#!/usr/bin/env bash
# The browser tests: makes their files with the native tools into
# build-web/fixtures/, then runs every *.test.mjs here in headless Chromium.
# Needs build/, build-win/ and build-web/ (scripts/build) and web/node_modules
# (scripts/setup).
set -euo pipefail
cd "$(dirname "$0")/../../.."
fixtures=build-web/fixtures
rm -rf "$fixtures"
web/tests/browser/make_fixtures.sh "$fixtures"
cd web
QC_FIXTURES="$PWD/../$fixtures" node --test tests/browser/
