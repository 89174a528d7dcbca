# Shared by the install tests: failures are collected so that one run reports every broken part.
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

expect_equal() {  # what actual expected
  [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
}

# The regular files below a folder, relative to it, sorted.
files_below() {
  (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
}

expected_files() {
  LC_ALL=C sort "$(dirname "${BASH_SOURCE[0]}")/installed_files.txt"
}

# Width and height of a PNG, from its IHDR chunk.
png_size() {
  local bytes
  read -r -a bytes <<<"$(od -An -tu1 -j16 -N8 "$1")"
  echo "$(((bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3]))x$(((bytes[4] << 24) | (bytes[5] << 16) | (bytes[6] << 8) | bytes[7]))"
}

# The RUNPATH of an ELF file (empty when it has none), and its NEEDED entries one a line.
runpath_of() {
  readelf -d "$1" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p'
}
rpath_of() {
  readelf -d "$1" | sed -n 's/.*(RPATH).*\[\(.*\)\]/\1/p'
}
needed_of() {
  readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'
}

# Where the dynamic loader finds soname for binary, with no help from the environment. ldd names
# the loader itself by its path alone.
resolved_path() {  # binary soname
  { env -u LD_LIBRARY_PATH -u LD_PRELOAD ldd "$1" || true; } | awk -v lib="$2" '
    $1 == lib { print $3 }
    $1 ~ /^\// && substr($1, length($1) - length(lib)) == "/" lib { print $1 }'
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}
