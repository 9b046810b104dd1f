// The documents the host benchmarks read. Each is the document element <root>
// holding one line per item, written to its file in pieces, so that even a
// gigabyte of records never sits in memory. No whitespace stands before the
// first item, and none inside an item, so that the only blank text is the line
// break between items, which a stream walk through the C interface passes over.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

struct Shape {
    QByteArray label;
    qint64 items = 0;
    std::function<QByteArray(qint64 index)> item; // one line, with its line break
};

// <c n="7">text 7</c>
Shape flatChildren(qint64 count);
// <e a0="7" a1="8" .../>
Shape attributeRows(qint64 elements, int attributesEach);
// <person id="7" group="..."><name first=".." last="..">..</name><address ..>..</address><email>..</email></person>
Shape records(qint64 count);
// As many records as fill about that many bytes.
Shape recordsOfSize(qint64 bytes);

// Returns the file's size, or -1 when it cannot be written.
qint64 writeShape(const Shape& shape, const QString& path);
// The same bytes in memory, for documents small enough to hold.
QByteArray shapeBytes(const Shape& shape);
