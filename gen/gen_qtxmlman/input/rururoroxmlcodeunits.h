// How the stream reader splits input into code units before it has read any
// declaration: every reading path finds markup the same way.
#pragma once

#include <QtGlobal>

struct XmlCodeUnits {
    int width = 1; // bytes per unit: 1 for UTF-8 and declared 8-bit encodings, 2 or 4
    bool bigEndian = false;
    int bomBytes = 0;
    int mib = 106; // the codec the stream reader starts with
};

// Looks at the first four bytes only, for the signatures the stream reader
// tests: a byte order mark, or "<" written in UTF-16 or UTF-32.
XmlCodeUnits detectXmlCodeUnits(const char* data, qint64 size);
