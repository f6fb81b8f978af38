# Shared helpers for the scripts in this folder. Source it; do not run it.

log() { printf '== %s\n' "$*" >&2; }
die() {
  printf 'error: %s\n' "$*" >&2
  exit 1
}

# Root of the prefix that holds our Windows builds of the dependencies.
deps_prefix() {
  if [[ -n ${ULVO_DEPS_PREFIX:-} ]]; then
    printf '%s\n' "$ULVO_DEPS_PREFIX"
  else
    printf '%s\n' "${XDG_CACHE_HOME:-$HOME/.cache}/ulvofilter-deps"
  fi
}

# Number of parallel build jobs.
jobs() { nproc 2>/dev/null || echo 2; }

WINDOWS_TRIPLES=(i686-w64-mingw32 x86_64-w64-mingw32)
