// The limits every reading path holds a document to, whichever document kind
// reads it. One value each, so that a document loads as a DOM document exactly
// when a stream reader walks it to the end.
#pragma once

#include <QtGlobal>

namespace inputlimits {

// Elements open at once. Qt's DOM saves, prints and frees its tree recursively
// with about 1.4 KB of stack per level (Qt 5.15, measured), and its parser
// builds the tree in time quadratic in depth. 256 levels keep a save under
// 400 KB of stack, inside a 1 MiB thread stack with room for the host; real
// documents stay far below (the deepest of 63 files from Debian packages: 14).
constexpr int MaxElementNesting = 256;

// Attributes on one start tag. Qt's DOM builder and its stream reader both
// compare each new attribute with the earlier ones, so one element costs time
// quadratic in their number (DOM builder, measured: 1024 take 11 ms, 4096 take
// 220 ms, 40000 take 47 s; the stream reader needs hours for a million).
constexpr int MaxAttributesPerElement = 1024;

// Characters that entity references and attribute defaults may add to a
// document. Without them a document delivers no more characters than it has
// bytes. Up to the allowance they are free; beyond it they may reach at most
// this multiple of the input read so far. A DOM document holds every added
// character (2 bytes each), so 8 MiB plus ten per input byte keeps it within a
// small multiple of what the tree costs anyway.
constexpr qint64 ExpansionAllowance = qint64(8) << 20;
constexpr qint64 MaxExpansionRatio = 10;

// An entity whose replacement the declarations do not tell (declared where the
// check cannot follow, or referring to itself) counts as this many characters:
// Qt's stream reader refuses a larger expansion of one reference, and its DOM
// parser one built from other references.
constexpr qint64 UnknownEntityCharacters = 4096;

// References followed through replacement texts; a longer chain counts as an
// unknown entity. Also bounds the recursion of measuring one.
constexpr int MaxReferenceChain = 40;

// Longer reference and element names are not collected: such a reference
// counts as an unknown entity, such an element gets no attribute defaults.
constexpr int MaxNameLength = 256;

} // namespace inputlimits
