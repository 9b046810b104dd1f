#!/bin/sh
# Usage: consume.sh BUILD_DIR SOURCE_DIR
# Installs the libraries into a fresh prefix, then builds and runs a C consumer
# once through the CMake package and once through pkg-config.
set -eu
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(find "$prefix" -name librururoro.so -exec dirname {} \; | head -n 1)

cmake -S "$source/tests/install/consumer" -B "$work/cmake-build" -G Ninja \
    -DCMAKE_PREFIX_PATH="$prefix" -DEXAMPLE_SOURCE="$source/examples/print_document.c" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
LD_LIBRARY_PATH=$libdir "$work/cmake-build/consumer" "$source/samples/catalog.xml" | grep -q 'element catalog'

PKG_CONFIG_PATH=$libdir/pkgconfig
export PKG_CONFIG_PATH
cc -std=c99 -pedantic-errors -Wall -Wextra -Werror "$source/examples/print_document.c" -o "$work/pc-consumer" \
    $(pkg-config --cflags --libs rururoro)
LD_LIBRARY_PATH=$libdir "$work/pc-consumer" "$source/samples/catalog.xml" | grep -q 'attr updated=2026-03-01'
# Reports reach the installed support library, which renders a message key as
# its default text, one line per report.
LD_LIBRARY_PATH=$libdir "$work/pc-consumer" "$work/missing.xml" >/dev/null 2>"$work/stderr" || true
grep -qx "ERROR: \[gen_qtxmlif 64\] Unable to find document: $work/missing.xml" "$work/stderr"
[ "$(wc -l <"$work/stderr")" -eq 1 ]
echo "consumers built and ran against $prefix"
