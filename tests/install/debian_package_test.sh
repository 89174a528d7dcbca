#!/usr/bin/env bash
# `cpack -G DEB` into a temporary folder: the control fields, the layout under /usr, a Depends
# field that brings in every library the programs and the two libraries link and names no package
# none of them links, and lintian's verdict.
#   debian_package_test.sh CPACK BUILD_DIR VERSION
set -euo pipefail
cpack_command=$1
build_dir=$2
version=$3
source "$(dirname "$0")/checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cpack_command" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb=$work/out/ravendock_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls -R "$work/out" >&2; echo "FAIL: no $deb" >&2; exit 1; }

expect_equal "Package" "$(dpkg-deb -f "$deb" Package)" ravendock
expect_equal "Version" "$(dpkg-deb -f "$deb" Version)" "$version"
expect_equal "Architecture" "$(dpkg-deb -f "$deb" Architecture)" "$(dpkg --print-architecture)"
expect_equal "Section" "$(dpkg-deb -f "$deb" Section)" net
[[ "$(dpkg-deb -f "$deb" Maintainer)" == *\<*@*\> ]] || fail "Maintainer is not 'name <address>'"
[ -n "$(dpkg-deb -f "$deb" Description | sed -n 2p)" ] || fail "Description has no long text"

# Only files under /usr, exactly the install layout.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | LC_ALL=C sort >"$work/listed"
if ! diff <(expected_files) "$work/listed" >"$work/files.diff"; then
  fail "package files differ from installed_files.txt under /usr (< expected, > packaged):"
  cat "$work/files.diff" >&2
fi

# The Debian package that ships a library, from the path the loader found it at. Debian's
# database keeps the names from before /usr was merged, so both spellings are asked.
owner_of() {
  local path=$1 real
  real=$(realpath "$path")
  for candidate in "$path" "$real" "${real#/usr}"; do
    dpkg-query -S "$candidate" 2>/dev/null | sed -n '1s/:.*//p' | grep . && return 0
  done
  return 1
}

root=$work/root
dpkg-deb -x "$deb" "$root"
: >"$work/needed-packages"
for binary in "$root"/usr/bin/* "$root"/usr/lib/ravendock/*; do
  for soname in $(needed_of "$binary"); do
    case "$soname" in
      libnetsdk.so | libplayer.so) continue ;;
      # A sanitizer build's runtimes; the package is built from a release build without them.
      libasan.so.* | libubsan.so.* | libtsan.so.*) continue ;;
    esac
    path=$(resolved_path "$binary" "$soname")
    if [ -z "$path" ] || [ ! -e "$path" ]; then
      fail "${binary#"$root"}: $soname is not found"
    elif ! owner_of "$path" >>"$work/needed-packages"; then
      fail "${binary#"$root"}: no Debian package owns $path"
    fi
  done
done
LC_ALL=C sort -u "$work/needed-packages" -o "$work/needed-packages"
dependency_names() {  # reads a Depends field, prints one package name a line
  tr ',|' '\n\n' | sed 's/^ *//; s/[ :].*//; /^$/d' | LC_ALL=C sort -u
}
dpkg-deb -f "$deb" Depends | dependency_names >"$work/depends"

# Every linked library is installed by the package's dependencies: named there, or pulled in by a
# package named there (a debug build links some of Qt's own dependencies directly).
for package in $(cat "$work/depends"); do
  dpkg-query -W -f='${Depends}, ${Pre-Depends}\n' "$package" 2>/dev/null || true
done | dependency_names | LC_ALL=C sort -u - "$work/depends" >"$work/guaranteed"
missing=$(LC_ALL=C comm -23 "$work/needed-packages" "$work/guaranteed")
[ -z "$missing" ] || fail "Depends does not bring in the linked packages:" $missing
# And nothing named there is stale: each is linked by one of the binaries.
stale=$(LC_ALL=C comm -13 "$work/needed-packages" "$work/depends")
[ -z "$stale" ] || fail "Depends names packages no binary links:" $stale

# Debian's own judgement of the package: not one error or warning, and no overrides.
if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
  fail "lintian finds errors or warnings:"
  grep -E '^[EW]: ' "$work/lintian.log" >&2 || cat "$work/lintian.log" >&2
fi

finish
