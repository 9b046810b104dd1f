// Character references above U+FFFF, which Qt's DOM parser cuts to 16 bits
// (&#x1F600; becomes U+F600) while it reads the same characters written
// literally as they are. A document that holds such references is handed to
// the parser with each one written as the character it stands for.
#pragma once

#include <QByteArray>
#include <QString>

// Whether the raw bytes may hold such a reference. Exact for input in 8-bit
// code units; UTF-16 and UTF-32 input answers true on any "&#", so that the
// decoded text decides.
bool mayHoldSupplementaryReference(const QByteArray& bytes);

// Whether the decoded text holds such a reference anywhere.
bool holdsSupplementaryReference(const QString& text);

// The text with every reference above U+FFFF that the parser would expand
// (in content, attribute values and entity values) written as the character.
// Comments, CDATA sections, processing instructions and external identifiers
// keep their text: there "&#x1F600;" is nine characters, not a reference.
QString withSupplementaryReferencesWritten(const QString& text);
