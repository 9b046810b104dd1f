#!/bin/sh
# Usage: consume.sh SOURCE_DIR BUILD_DIR...
# Installs the libraries of every build (one per Qt major version) into one
# fresh prefix, then for each builds and runs a C consumer once through its CMake
# package and once through its pkg-config file, and checks that both consumers
# load that build's library.
set -eu
source=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

for build in "$@"; do
    cmake --install "$build" --prefix "$prefix" >/dev/null
done
libdir=$(find "$prefix" -name libruziradavod.so -exec dirname {} \; | head -n 1)
PKG_CONFIG_PATH=$libdir/pkgconfig
export PKG_CONFIG_PATH

for build in "$@"; do
    major=$(sed -n 's/^RURUROR_QT_MAJOR:[A-Z]*=//p' "$build/CMakeCache.txt")
    case $major in
        5) package=RurUrOro suffix= ;;
        *) package=RurUrOroQt$major suffix=-qt$major ;;
    esac
    out=$work/qt$major
    mkdir -p "$out"

    cmake -S "$source/tests/install/consumer" -B "$out/cmake-build" -G Ninja -DPACKAGE="$package" \
        -DCMAKE_PREFIX_PATH="$prefix" -DEXAMPLE_SOURCE="$source/examples/print_document.c" >/dev/null
    cmake --build "$out/cmake-build" >/dev/null
    cc -std=c99 -pedantic-errors -Wall -Wextra -Werror "$source/examples/print_document.c" -o "$out/pc-consumer" \
        $(pkg-config --cflags --libs "rururoro$suffix")

    for consumer in "$out/cmake-build/consumer" "$out/pc-consumer"; do
        readelf -d "$consumer" | grep -q "Shared library: \[librururoro$suffix.so.1\]"
        # The walk stops early at the catalog's comment, and says so in its status.
        LD_LIBRARY_PATH=$libdir "$consumer" "$source/samples/catalog.xml" >"$out/stdout" || true
        grep -q 'element catalog' "$out/stdout"
        grep -q 'attr updated=2026-03-01' "$out/stdout"
    done
    # Reports reach the installed support library, which renders a message key
    # as its default text, one line per report.
    LD_LIBRARY_PATH=$libdir "$out/pc-consumer" "$work/missing.xml" >/dev/null 2>"$out/stderr" || true
    grep -qx "ERROR: \[gen_qtxmlif 64\] Unable to find document: $work/missing.xml" "$out/stderr"
    [ "$(wc -l <"$out/stderr")" -eq 1 ]
    echo "$package consumers built and ran against $prefix"
done
