# Shared helpers for the scripts in this folder. Source it; do not run it.

log() { printf '== %s\n' "$*" >&2; }
die() {
  printf 'error: %s\n' "$*" >&2
  exit 1
}

# A CI runner may start us without HOME; the dependency prefix and Wine need it.
if [[ -z ${HOME:-} ]]; then
  HOME=$(getent passwd "$(id -u)" | cut -d: -f6)
  export HOME
fi

# Root of the prefix that holds our own builds of the dependencies.
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
# The 32-bit Linux build that runs the portable tests under qemu-i386 where
# 32-bit Windows programs cannot run.
LINUX32_TRIPLE=i686-linux-gnu
# The native build's own folder in the dependency prefix.
NATIVE_TRIPLE=$(gcc -dumpmachine 2>/dev/null || echo x86_64-linux-gnu)

# The toolchain files read the same prefix from the environment.
ULVO_DEPS_PREFIX=$(deps_prefix)
export ULVO_DEPS_PREFIX
