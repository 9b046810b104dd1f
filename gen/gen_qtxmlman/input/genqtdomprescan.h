// Limits a DOM load enforces before Qt builds the tree, and the scan that finds
// where a document must be refused. Qt's DOM builder and serialiser have costs
// that grow faster than the input on some shapes of document; a host must not
// pay for them.
#pragma once

#include "rururoroxmllimits.h"

#include <QByteArray>

namespace domlimits {

// Elements nested in one another. QDomNode::save and toString recurse with about
// 1.4 KB of stack per level (Qt 5.15, measured), tree destruction with 64 bytes,
// and building the tree costs time quadratic in depth. 256 levels keep saving
// under 400 KB of stack, inside a 1 MiB thread stack with room for the host,
// and match the default of careful XML parsers.
constexpr int MaxElementNesting = 256;

// Attributes on one start tag: the stream reader holds documents to the same.
using xmllimits::MaxAttributesPerElement;

// Text that internal entities may add. Without entities a document delivers no
// more characters than it has bytes; the DOM keeps every expanded character in
// memory, so past a first allowance expansion may reach at most this multiple
// of the input before the document counts as an expansion attack.
constexpr qint64 ExpansionAllowance = qint64(8) << 20;
constexpr qint64 MaxExpansionRatio = 10;

} // namespace domlimits

// Where a load refuses a document: line and column as Qt's parser counts them,
// just after the offending start tag, entity reference or instruction target.
struct DomRefusal {
    bool found = false;
    int line = 0;
    int column = 0;
};

// Checks the raw bytes without parsing: nesting, attributes per tag, what entity
// references can expand to, and processing instruction targets. Malformed input
// is left to the parser to report; the scan only has to see every element a
// parse would build.
DomRefusal findRefusal(const QByteArray& bytes);

// The characters the parser reads from the bytes.
QString decodedAsParsed(const QByteArray& bytes);
