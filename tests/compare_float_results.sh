#!/usr/bin/env bash
# Runs the float results built with x87 and with SSE arithmetic and fails when they differ.
#   compare_float_results.sh float_results_387 float_results_sse
set -u
x87=$("${1:?usage: compare_float_results.sh x87-program sse-program}") || { echo "FAILED: $1 did not run"; exit 1; }
sse=$("${2:?usage: compare_float_results.sh x87-program sse-program}") || { echo "FAILED: $2 did not run"; exit 1; }
echo "x87 arithmetic (the product):"
echo "$x87"
echo "SSE arithmetic (the twin):"
echo "$sse"
if [ "$x87" != "$sse" ]; then
  echo "FAILED: x87 and SSE arithmetic give different results:"
  diff <(echo "$x87") <(echo "$sse")
  exit 1
fi
echo "ok: x87 and SSE arithmetic agree"
