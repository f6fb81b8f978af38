#!/usr/bin/env bash
# Writes THIRD-PARTY-NOTICES.txt for the Windows bundles to standard output:
# the licence texts of every library the Windows programs (UlvoFilter.8bf,
# ulvofilter.exe) link statically, taken as they are from the source trees
# that scripts/build-deps built them from, or from Debian's copyright files
# of the packages that provide them.
#
#   scripts/lib/third-party-notices.sh VERSION
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/lib/common.sh
source "$ROOT/scripts/lib/common.sh"

version=$1
src="$(deps_prefix)/src"

# source_dir PACKAGE: the one unpacked source tree of a Debian source package.
source_dir() {
  local dirs=("$src/$1"-[0-9]*/)
  [[ -d ${dirs[0]} ]] || die "no source tree of $1 in $src (run scripts/setup)"
  printf '%s\n' "${dirs[0]%/}"
}

rule() { printf '%s\n' "$(printf '%.0s=' {1..78})"; }
thin() { printf '%s\n' "$(printf '%.0s-' {1..78})"; }

# entry TITLE PURPOSE [SOURCE FILE]...: one library's heading, then each
# licence text FILE under the name SOURCE it was taken from.
entry() {
  local title=$1 purpose=$2
  shift 2
  echo
  rule
  echo "$title"
  echo "  $purpose"
  while (($#)); do
    [[ -s $2 ]] || die "missing licence text $2 ($1)"
    thin
    echo "From $1:"
    echo
    cat "$2"
    shift 2
  done
}

# extract FILE FIRST LAST: the lines of FILE from the one matching FIRST
# through the one matching LAST, which must both be there.
extract() {
  local text
  text=$(sed -n "/$2/,/$3/p" "$1")
  grep -q "$3" <<<"$text" || die "$1 no longer holds the lines from '$2' to '$3'"
  printf '%s\n' "$text"
}

tiff=$(source_dir tiff)
png=$(source_dir libpng1.6)
jpeg=$(source_dir libjpeg-turbo)
musl=$(source_dir musl)
hwy=$(source_dir highway)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# libjpeg-turbo's LICENSE.md names the legal section of README.ijg as the
# Independent JPEG Group's licence.
extract "$jpeg/README.ijg" '^LEGAL ISSUES$' '^assumed by the product vendor' >"$tmp/ijg"
# Of GCC's copyright file, the part on the runtime libraries with the
# exception's full text.
gcc_copyright=/usr/share/doc/gcc-mingw-w64-base/copyright
extract "$gcc_copyright" '^The following runtime libraries are licensed' \
  'requirements of the license of GCC\.$' >"$tmp/gcc"

cat <<HEAD
THIRD-PARTY NOTICES

UlvoFilter $version for Windows: the filter module (UlvoFilter.8bf) and the
command-line tool (ulvofilter.exe) contain the following libraries, linked
statically. Their copyright notices and licence terms follow as the
libraries' own source trees, or Debian's copyright files of the packages that
provide them, state them.
HEAD

entry "libtiff ($(basename "$tiff"))" \
  "Reads the aperture pattern files (module and tool) and TIFF images (tool)." \
  "$(basename "$tiff")/LICENSE.md" "$tiff/LICENSE.md"
entry "zlib (Debian package libz-mingw-w64)" \
  "Decompression for libtiff and libpng." \
  "Debian's copyright file of libz-mingw-w64" /usr/share/doc/libz-mingw-w64/copyright
entry "libpng ($(basename "$png"))" \
  "Reads and writes PNG images (tool)." \
  "$(basename "$png")/LICENSE" "$png/LICENSE"
entry "libjpeg-turbo ($(basename "$jpeg"))" \
  "Reads and writes JPEG images (tool)." \
  "$(basename "$jpeg")/LICENSE.md" "$jpeg/LICENSE.md" \
  "$(basename "$jpeg")/README.ijg, section LEGAL ISSUES" "$tmp/ijg"
entry "musl ($(basename "$musl")), its math functions" \
  "Power, exponential, logarithm, tangent, arc tangent, sine and cosine: the same in every build." \
  "$(basename "$musl")/COPYRIGHT" "$musl/COPYRIGHT"
entry "Highway ($(basename "$hwy"))" \
  "Vector instructions of the blur engine." \
  "$(basename "$hwy")/LICENSE" "$hwy/LICENSE"
entry "GCC runtime libraries: libgcc and libstdc++ (Debian package gcc-mingw-w64-base)" \
  "The compiler's runtime and the C++ standard library: GPL version 3 with the GCC Runtime Library Exception." \
  "Debian's copyright file of gcc-mingw-w64-base, the part on the runtime libraries" "$tmp/gcc"
entry "mingw-w64 runtime and winpthreads (Debian package mingw-w64-x86-64-dev)" \
  "Program start-up code, C runtime additions and threads." \
  "Debian's copyright file of mingw-w64-x86-64-dev" /usr/share/doc/mingw-w64-x86-64-dev/copyright
