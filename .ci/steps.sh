# Shared by .ci/test and .ci/run (sourced, not run): quiet steps and the
# Python environment the tests use.

ci_logs="$PWD/build-ci/logs"
mkdir -p "$ci_logs"

# step NAME COMMAND...: runs COMMAND with its output in $ci_logs/NAME.log and
# prints one line: the time it took and the test summary the log ends with.
# A failing COMMAND prints the end of its log, names the whole log and ends
# the script with status 1.
step() {
  local name="$1" start=$SECONDS status=0
  shift
  local log="$ci_logs/$name.log"
  "$@" >"$log" 2>&1 </dev/null || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    printf '%-16s FAILED (exit status %d after %d s): %s\n' "$name" "$status" $((SECONDS - start)) "$log" >&2
    exit 1
  fi
  local summary
  summary="$(grep -E '[0-9]+ passed|tests passed|ran clean' "$log" | tail -n 1 || true)"
  printf '%-16s ok %5d s  %s\n' "$name" $((SECONDS - start)) "$summary"
}

# The active virtual environment, or .venv (made when missing); the system
# Python of Debian and Ubuntu takes no packages outside one.
python_environment() {
  if [ -z "${VIRTUAL_ENV:-}" ]; then
    [ -x .venv/bin/python ] || python3 -m venv .venv
    . .venv/bin/activate
  fi
}

# Each build configuration is compiled once: ccache serves the wheel test's
# build from the unit tests' build, and every build from the last run's. ccache
# tells compilers apart by the name they are called by: every build names
# the same one.
export CXX=g++ CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_DIR="$PWD/build-ccache" CCACHE_BASEDIR="$PWD"
