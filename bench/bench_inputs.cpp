#include "bench_inputs.h"

#include <QFile>
#include <algorithm>

namespace {

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

} // namespace

Shape flatChildren(qint64 count)
{
    return {number(count) + " flat children", count,
            [](qint64 i) { return "<c n=\"" + number(i) + "\">text " + number(i) + "</c>\n"; }};
}

Shape attributeRows(qint64 elements, int attributesEach)
{
    return {number(elements) + " x " + number(attributesEach) + " attributes", elements, [attributesEach](qint64 i) {
                QByteArray line = "<e";
                for (int k = 0; k < attributesEach; ++k)
                    line += " a" + number(k) + "=\"" + number(i + k) + "\"";
                return line + "/>\n";
            }};
}

Shape records(qint64 count)
{
    return {number(count) + " records", count, [](qint64 i) {
                static const char* const groups[] = {"family", "friends", "work"};
                static const char* const cities[] = {"Lisbon", "Oslo", "Tallinn", "Valletta"};
                const QByteArray n = number(i);
                return "<person id=\"" + n + "\" group=\"" + groups[i % 3] + "\"><name first=\"Ann" + n +
                       "\" last=\"Lee\">Ann" + n + " Lee</name><address city=\"" + cities[i % 4] + "\" zip=\"" +
                       number(10000 + i % 90000) + "\"><street>" + n + " Harbour Road</street>" +
                       "<phone type=\"home\">+1 555 " + n + "</phone></address><email>ann" + n +
                       "@example.org</email></person>\n";
            }};
}

Shape recordsOfSize(qint64 bytes)
{
    const qint64 recordBytes = records(0).item(100000).size(); // a record of typical length
    Shape shape = records(std::max<qint64>(1, bytes / recordBytes));
    shape.label = QByteArray::number(bytes / 1e6, 'f', 0) + " MB of records";
    return shape;
}

namespace {

const QByteArray documentHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>";
const QByteArray documentTail = "</root>\n";

} // namespace

qint64 writeShape(const Shape& shape, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    QByteArray piece = documentHead;
    for (qint64 i = 0; i < shape.items; ++i) {
        piece += shape.item(i);
        if (piece.size() >= 1 << 20) {
            if (file.write(piece) != piece.size())
                return -1;
            piece.truncate(0);
        }
    }
    piece += documentTail;
    if (file.write(piece) != piece.size() || !file.flush())
        return -1;
    return file.size();
}

QByteArray shapeBytes(const Shape& shape)
{
    QByteArray bytes = documentHead;
    for (qint64 i = 0; i < shape.items; ++i)
        bytes += shape.item(i);
    return bytes + documentTail;
}
