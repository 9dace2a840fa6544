# Shared by the conversion benchmarks; sourced, not run.

# Wall time of a command in nanoseconds; its output is dropped.
time_ns() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
  end=$(date +%s%N)
  echo $((end - start))
}
