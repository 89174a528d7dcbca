#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: the exact set of files, the icons at their sizes, a
# valid menu entry, and programs that find the private libraries through their own RUNPATH alone,
# wherever the tree is moved.
#   install_layout_test.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake_command=$1
build_dir=$2
source_dir=$3
source "$(dirname "$0")/checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
"$cmake_command" --install "$build_dir" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }

# Nothing missing and nothing extra: no test program, static core or header slips in.
if ! diff <(expected_files) <(files_below "$prefix") >"$work/files.diff"; then
  fail "installed files differ from installed_files.txt (< expected, > installed):"
  cat "$work/files.diff" >&2
fi
for program in ravendock camsim; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done

for size in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/ravendock.png
  if [ -f "$png" ]; then
    expect_equal "${size}x${size} icon size" "$(png_size "$png")" "${size}x${size}"
  fi
done
cmp -s "$source_dir/packaging/ravendock.svg" "$prefix/share/icons/hicolor/scalable/apps/ravendock.svg" ||
  fail "the installed SVG icon is not packaging/ravendock.svg"

desktop=$prefix/share/applications/ravendock.desktop
if ! command -v desktop-file-validate >/dev/null; then
  fail "desktop-file-validate is missing (Debian package desktop-file-utils, see scripts/setup.sh)"
elif ! desktop-file-validate "$desktop" >"$work/validate.log" 2>&1 ||
  grep -q "error:" "$work/validate.log"; then
  fail "desktop-file-validate refuses the menu entry:"
  cat "$work/validate.log" >&2
fi
for line in "Name=Ravendock" "Exec=ravendock" "Icon=ravendock" "Terminal=false" \
  "Type=Application" "Categories=Network;Settings;" "Comment[zh_CN]=批量配置网络摄像机"; do
  grep -qxF "$line" "$desktop" || fail "ravendock.desktop lacks the line '$line'"
done
grep -q '^Comment=..' "$desktop" || fail "ravendock.desktop has no English Comment"

# The programs' search path is relative to themselves; a path into the build tree would hide a
# broken install on this machine and fail on any other.
check_programs() {  # prefix
  local program lib resolved unresolved
  for program in ravendock camsim; do
    expect_equal "RUNPATH of bin/$program" "$(runpath_of "$1/bin/$program")" '$ORIGIN/../lib/ravendock'
    expect_equal "RPATH of bin/$program" "$(rpath_of "$1/bin/$program")" ""
    unresolved=$({ env -u LD_LIBRARY_PATH -u LD_PRELOAD ldd "$1/bin/$program" || true; } | grep "not found" || true)
    [ -z "$unresolved" ] || fail "bin/$program has unresolved libraries: $unresolved"
  done
  for lib in libnetsdk.so libplayer.so; do
    resolved=$(resolved_path "$1/bin/ravendock" "$lib")
    [[ "$resolved" == /* ]] && resolved=$(realpath "$resolved")
    expect_equal "$lib of bin/ravendock" "$resolved" "$(realpath "$1/lib/ravendock/$lib")"
    expect_equal "RUNPATH of $lib" "$(runpath_of "$1/lib/ravendock/$lib")" ""
  done
}
check_programs "$prefix"
mv "$prefix" "$work/moved"
check_programs "$work/moved"

# The simulator runs from the moved tree: its help, and a refused option.
set +e
help=$(env -u LD_LIBRARY_PATH "$work/moved/bin/camsim" --help 2>&1)
help_status=$?
env -u LD_LIBRARY_PATH "$work/moved/bin/camsim" --no-such-option >"$work/refused.log" 2>&1
refused_status=$?
set -e
expect_equal "camsim --help exit status" "$help_status" 0
[[ "$help" == usage:\ camsim* ]] || fail "camsim --help printed: $help"
expect_equal "camsim --no-such-option exit status" "$refused_status" 2
grep -q "usage: camsim" "$work/refused.log" || fail "camsim --no-such-option gave no usage"

finish
