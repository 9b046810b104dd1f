#!/bin/sh
# Usage: check_exports.sh LIBRARY C_HEADER
# Fails when the library exports anything but the header's functions and the
# DomItem / DomModel classes, or lacks one of the header's functions.
set -eu
library=$1
header=$2
status=0

exported=$(nm -D --defined-only "$library" | awk '{print $3}' | sort -u)
declared=$(grep -o 'gen__qtxmlif_[a-z0-9_]*(' "$header" | tr -d '(' | sort -u)

for symbol in $declared; do
    printf '%s\n' "$exported" | grep -qx "$symbol" || { echo "missing export: $symbol"; status=1; }
done

for symbol in $exported; do
    case $symbol in
        gen__qtxmlif_*)
            printf '%s\n' "$declared" | grep -qx "$symbol" || { echo "undeclared export: $symbol"; status=1; } ;;
        *)
            readable=$(printf '%s\n' "$symbol" | c++filt)
            case $readable in
                DomItem::*|DomModel::*|"typeinfo for DomItem"|"typeinfo for DomModel"|\
                "typeinfo name for DomItem"|"typeinfo name for DomModel"|\
                "vtable for DomItem"|"vtable for DomModel") ;;
                *) echo "unexpected export: $readable"; status=1 ;;
            esac ;;
    esac
done
exit $status
