#!/bin/sh
# Installs the build into a temporary prefix and checks that the binary, the
# desktop entry and the application icon land where desktops look for them,
# and that the installed binary has none of the test hooks (the environment
# variables SKERRYWIND_*) that only the tests' copy of the program reads.
# Usage: check_install.sh <cmake> <build folder> <source folder>
set -eu
cmake=$1 build=$2 source=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$prefix/bin/skerrywind" ] || fail "no executable bin/skerrywind"
hooks=$(grep -a -o 'SKERRYWIND_[A-Z_]*' "$prefix/bin/skerrywind" | sort -u | tr '\n' ' ')
[ -z "$hooks" ] || fail "the installed binary names test hooks: $hooks"
entry="$prefix/share/applications/skerrywind.desktop"
[ -f "$entry" ] || fail "no desktop entry"
grep -qx 'Exec=skerrywind %u' "$entry" || fail "the desktop entry does not pass a URL to skerrywind"
grep -qx 'Icon=skerrywind' "$entry" || fail "the desktop entry names another icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
fi

icon="$prefix/share/icons/hicolor/scalable/apps/skerrywind.svg"
if [ ! -f "$source/resources/icons/1.svg" ]; then
    echo "SKIP: the application icon resources/icons/1.svg is not in the tree yet"
    exit 77
fi
cmp -s "$source/resources/icons/1.svg" "$icon" || fail "the icon is not installed as $icon"
echo "PASS: binary (no test hooks), desktop entry and icon installed under $prefix"
