// The one input guard, seen through both kinds that read documents: a hostile
// document gets the same verdict, the same limit and the same place from a DOM
// load and from a stream walk, and a stream that arrives in blocks of any size
// gives exactly what a whole read gives.
#include "genqtdomdocument.h"
#include "recorder.h"
#include "rururorodocumentcheck.h"
#include "rururoroincrementalreader.h"
#include "rururoroinputlimits.h"

#include <QBuffer>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using namespace inputlimits;

// Hands out at most `block` bytes per read, as a slow file or a pipe would.
class Trickle : public QIODevice {
public:
    Trickle(const QByteArray& bytes, qint64 block) : bytes(bytes), block(block) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return at == bytes.size(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 size = std::min({maxSize, block, bytes.size() - at});
        std::memcpy(data, bytes.constData() + at, size_t(size));
        at += size;
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray bytes;
    const qint64 block;
    qint64 at = 0;
};

QIODevice* whole(const QByteArray& xml)
{
    auto* buffer = new QBuffer;
    buffer->setData(xml);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

// "loaded", or "refused at line:column".
std::string domOutcome(QByteArray xml)
{
    GenQtDomDocument document(QString(), false);
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    int line = 0, column = 0;
    if (document.load(&buffer, &line, &column))
        return "loaded";
    return "refused at " + std::to_string(line) + ":" + std::to_string(column);
}

// The events of a stream walk from the document element, until it stops.
// The reader takes the input.
std::string streamEvents(QIODevice* input)
{
    RurUrOroIncrementalReader reader;
    reader.setDevice(input);
    const int id = reader.getDocumentID();
    std::string events;
    std::unique_ptr<RurUrOroEntity> start(reader.beginTraversion(QString(), id));
    for (bool more = start != nullptr; more;) {
        int type = 0, depth = 0;
        bool isEnd = false;
        QString name, value;
        std::unique_ptr<RurUrOroEntity> entity(reader.getNextEntity(&type, &name, &value, &depth, &isEnd, id));
        more = entity || isEnd;
        events += std::to_string(type) + " " + name.toStdString() + "=" + value.toStdString() + " " +
                  std::to_string(depth) + (isEnd ? " end" : "") + "\n";
    }
    return events;
}

// The end report of a reader that looks for an element no document has, and
// so reads all of its input.
std::string streamReport(QIODevice* input)
{
    recorder_reset();
    RurUrOroIncrementalReader reader;
    reader.setDevice(input);
    std::unique_ptr<RurUrOroEntity>(reader.beginTraversion(QStringLiteral("absent"), reader.getDocumentID()));
    const int last = recorder_last_log();
    return last < 0 ? "no report" : std::string(recorder_level(last)) + ": " + recorder_text(last);
}

// The stream walk's verdict in the DOM's words: "loaded" after a clean end,
// "refused at line:column" for the guard's refusal.
std::string streamOutcome(const QByteArray& xml, const QString& expectedMessage)
{
    const std::string report = streamReport(whole(xml));
    if (report.rfind("NONE: ", 0) == 0)
        return "loaded";
    const std::string refusal = "WARNING: Incremental XML parsing ended with error: " + expectedMessage.toStdString() +
                                "\nError in: line=";
    if (report.rfind(refusal, 0) != 0)
        return report;
    const size_t line = refusal.size();
    const size_t column = report.find("column=", line) + 7;
    return "refused at " + report.substr(line, report.find(',', line) - line) + ":" +
           report.substr(column, report.find(',', column) - column);
}

QByteArray nested(int levels)
{
    return QByteArray("<a>").repeated(levels) + QByteArray("</a>").repeated(levels);
}

QByteArray withAttributes(int count)
{
    QByteArray xml = "<r";
    for (int i = 0; i < count; ++i)
        xml += " a" + QByteArray::number(i) + "='='";
    return xml + "/>";
}

QByteArray withEntity(const QByteArray& replacement, const QByteArray& body)
{
    return "<!DOCTYPE r [<!ENTITY e \"" + replacement + "\">]>\n<r>" + body + "</r>";
}

QByteArray laughs()
{
    QByteArray xml = "<!DOCTYPE l [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        xml += "<!ENTITY l" + QByteArray::number(i) + " \"" + ("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    return xml + "]><l>&l9;</l>";
}

QByteArray utf16(const QByteArray& ascii) // with a byte order mark
{
    QByteArray units("\xff\xfe", 2);
    for (char c : ascii)
        units.append(c).append('\0');
    return units;
}

struct Row {
    const char* what;
    QByteArray xml;
    RurUrOroInputGuard::Refusal limit;
};

const QByteArray bigEntity(4000, 'x');
const Row rows[] = {
    {"deepest nesting", nested(MaxElementNesting), RurUrOroInputGuard::Refusal::None},
    {"one level too deep", "<?xml version='1.0'?>\n" + nested(MaxElementNesting + 1), RurUrOroInputGuard::Refusal::Nesting},
    {"too deep in UTF-16", utf16(nested(MaxElementNesting + 1)), RurUrOroInputGuard::Refusal::Nesting},
    {"markup in comments, CDATA and values",
     "<!DOCTYPE r [<!-- <x> ' -->]><r x='/>' y=\"'\"><!-- <c> --><![CDATA[<d>]]><?p <e>?>" +
         nested(MaxElementNesting - 1) + "</r>",
     RurUrOroInputGuard::Refusal::None},
    {"most attributes", withAttributes(MaxAttributesPerElement), RurUrOroInputGuard::Refusal::None},
    {"one attribute too many", withAttributes(MaxAttributesPerElement + 1), RurUrOroInputGuard::Refusal::Attributes},
    {"a billion laughs", laughs(), RurUrOroInputGuard::Refusal::Expansion},
    {"a big entity, often", withEntity(bigEntity, QByteArray("&e;").repeated(100000)), RurUrOroInputGuard::Refusal::Expansion},
    {"a big entity, within the allowance", withEntity("x", QByteArray("&e;").repeated(1000)), RurUrOroInputGuard::Refusal::None},
    {"an entity that nests too deep",
     withEntity("<b><b></b></b>", QByteArray("<a>").repeated(MaxElementNesting - 1) + "&e;" +
                                      QByteArray("</a>").repeated(MaxElementNesting - 1)),
     RurUrOroInputGuard::Refusal::Nesting},
    {"big attribute defaults",
     "<!DOCTYPE r [<!ATTLIST c d CDATA '" + QByteArray(100000, 'd') + "'>]><r>" + QByteArray("<c/>").repeated(200) + "</r>",
     RurUrOroInputGuard::Refusal::Expansion},
};

// Both kinds give the same verdict at the same place, and the stream names the limit.
TEST(InputGuard, BothKindsRefuseTheSameDocumentsAtTheSamePlace)
{
    for (const Row& row : rows) {
        const RurUrOroInputRefusal whole = checkWholeDocument(row.xml);
        EXPECT_EQ(whole.found, row.limit != RurUrOroInputGuard::Refusal::None) << row.what;
        const std::string dom = domOutcome(row.xml);
        EXPECT_EQ(dom, whole.found ? "refused at " + std::to_string(whole.line) + ":" + std::to_string(whole.column)
                                   : std::string("loaded"))
            << row.what;
        EXPECT_EQ(streamOutcome(row.xml, whole.message), dom) << row.what;
    }
}

// A stream in blocks of every size gives the events and the end report of a
// whole read, refused or not.
TEST(InputGuard, BlocksOfAnySizeGiveWhatAWholeReadGives)
{
    const QByteArray documents[] = {
        withAttributes(MaxAttributesPerElement + 1),
        "<!DOCTYPE r [<!ENTITY e \"" + bigEntity.left(400) + "\">]>\n<r a='&e;'>\n  <c>t&amp;u</c>\n" +
            QByteArray("<d>&e;</d>\n").repeated(40) + "</r>",
        utf16("<r>\n <c x='1'>t</c>\n" + nested(MaxElementNesting) + "</r>"),
    };
    for (const QByteArray& xml : documents) {
        const std::string events = streamEvents(whole(xml)), report = streamReport(whole(xml));
        for (qint64 block = 1; block <= 4096; ++block) {
            ASSERT_EQ(streamEvents(new Trickle(xml, block)), events) << "in blocks of " << block;
            ASSERT_EQ(streamReport(new Trickle(xml, block)), report) << "in blocks of " << block;
        }
    }
}

} // namespace
