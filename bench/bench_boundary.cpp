// Walks one generated document through the C interface as a host does (load,
// begin, entities until the end, every string released) and through plain Qt
// loops that copy the same strings, in the same run, and prints the times:
//   stream walk: gen__qtxmlif_load_incremental beside a QXmlStreamReader loop;
//   DOM walk:    gen__qtxmlif_load beside QDomDocument::setContent and a tree walk.
//
// usage: bench_boundary [records]    default 20000; the file goes to a temporary directory
#include "gen_qtxmlif.h"
#include "ruziradavod.h"

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

namespace {

// <catalog><record id=".." kind=".."><name>..</name><amount unit="kg">..</amount><note>..</note></record>..
void writeDocument(QIODevice* device, int records)
{
    QXmlStreamWriter writer(device);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("catalog"));
    const QString kinds[] = {QStringLiteral("stock"), QStringLiteral("order"), QStringLiteral("return")};
    for (int i = 0; i < records; ++i) {
        writer.writeStartElement(QStringLiteral("record"));
        writer.writeAttribute(QStringLiteral("id"), QString::number(i * 7919));
        writer.writeAttribute(QStringLiteral("kind"), kinds[i % 3]);
        writer.writeTextElement(QStringLiteral("name"), QStringLiteral("item %1").arg(i));
        writer.writeStartElement(QStringLiteral("amount"));
        writer.writeAttribute(QStringLiteral("unit"), QStringLiteral("kg"));
        writer.writeCharacters(QString::number(i * 0.25, 'f', 2));
        writer.writeEndElement();
        writer.writeTextElement(QStringLiteral("note"), QStringLiteral("checked <ok> & stored"));
        writer.writeEndElement();
    }
    writer.writeEndDocument();
}

// A copy handed to a caller and released by it, as the C interface does.
long handOut(const QByteArray& bytes)
{
    char* copy = gen__str_dup_fn(bytes.constData(), __FILE__, __LINE__);
    gen__mem_free(copy, 1, __FILE__, __LINE__);
    return 1;
}

// Two strings per event, as get_next_entity hands out (a name and a value).
long handOutEvent(const QByteArray& name, const QByteArray& value = QByteArray())
{
    return handOut(name) + handOut(value);
}

// Entities until the walk says it is over; returns the strings released.
long walkEntities(int doc)
{
    long strings = 0;
    for (;;) {
        int type = 0, depth = 0;
        char *name = nullptr, *value = nullptr;
        bool isEnd = false;
        const uint32_t status = gen__qtxmlif_get_next_entity(doc, &type, &name, &value, &depth, &isEnd);
        strings += (name != nullptr) + (value != nullptr);
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
        if (status != GEN__QTXMLIF_OK)
            return strings;
    }
}

// A stream walk ends at each leaf's end; the next child of the start element
// (the next element start, at any depth) carries it on to the end.
long cStreamWalk(const QByteArray& path)
{
    int doc = -1;
    void *start = nullptr, *child = nullptr;
    if (gen__qtxmlif_load_incremental(path.constData(), &doc) != GEN__QTXMLIF_OK ||
        gen__qtxmlif_begin_traversion(doc, nullptr, &start) != GEN__QTXMLIF_OK)
        return -1;
    long strings = walkEntities(doc);
    while (gen__qtxmlif_get_next_child_node(doc, start, nullptr, &child) == GEN__QTXMLIF_OK && child)
        strings += walkEntities(doc);
    gen__qtxmlif_end_traversion(doc);
    gen__qtxmlif_delete_node(&start);
    gen__qtxmlif_del_document(doc);
    return strings;
}

// The same strings straight from the stream: element starts, attributes, texts
// and the ends of elements without child elements.
long rawStreamWalk(const QByteArray& path)
{
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    QXmlStreamReader reader(&file);
    long strings = 0;
    bool leaf = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            leaf = true;
            strings += handOutEvent(reader.name().toLocal8Bit());
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                strings += handOutEvent(attribute.name().toLocal8Bit(), attribute.value().toLocal8Bit());
            break;
        case QXmlStreamReader::Characters:
            strings += handOutEvent(reader.text().toLocal8Bit());
            break;
        case QXmlStreamReader::EndElement:
            if (leaf)
                strings += handOutEvent(QByteArray());
            leaf = false;
            break;
        default:
            break;
        }
    }
    return reader.hasError() ? -1 : strings;
}

long cDomWalk(const QByteArray& path)
{
    int doc = -1;
    if (gen__qtxmlif_load(path.constData(), &doc) != GEN__QTXMLIF_OK ||
        gen__qtxmlif_begin_traversion(doc, nullptr, nullptr) != GEN__QTXMLIF_OK)
        return -1;
    const long strings = walkEntities(doc);
    gen__qtxmlif_end_traversion(doc);
    gen__qtxmlif_del_document(doc);
    return strings;
}

long rawDomElement(const QDomElement& element)
{
    const QByteArray name = element.tagName().toLocal8Bit();
    long strings = handOutEvent(name);
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomNode attribute = attributes.item(i);
        strings += handOutEvent(attribute.nodeName().toLocal8Bit(), attribute.nodeValue().toLocal8Bit());
    }
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isText())
            strings += handOutEvent(child.nodeValue().toLocal8Bit());
        else if (child.isElement())
            strings += rawDomElement(child.toElement());
    }
    return strings + handOutEvent(name);
}

long rawDomWalk(const QByteArray& path)
{
    QFile file(QString::fromUtf8(path));
    QDomDocument document;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || !document.setContent(&file, true))
        return -1;
    return rawDomElement(document.documentElement());
}

struct Timing {
    double fastest = 0;
    long strings = 0;
};

// CPU time of this thread, so that other processes on the machine count less.
double cpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

void timeOnce(const std::function<long()>& side, Timing* timing)
{
    const double start = cpuMilliseconds();
    timing->strings = side();
    timing->fastest = std::min(timing->fastest, cpuMilliseconds() - start);
}

// Runs the two sides alternately, each going first in every other round, so
// that both meet the same machine and heap state, and keeps the fastest round
// of each: the one least disturbed.
std::pair<Timing, Timing> compare(const std::function<long()>& raw, const std::function<long()>& c, int rounds)
{
    Timing rawTiming, cTiming;
    rawTiming.fastest = cTiming.fastest = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const bool rawFirst = i % 2 == 0;
        timeOnce(rawFirst ? raw : c, rawFirst ? &rawTiming : &cTiming);
        timeOnce(rawFirst ? c : raw, rawFirst ? &cTiming : &rawTiming);
    }
    return {rawTiming, cTiming};
}

} // namespace

int main(int argc, char** argv)
{
    const int records = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    QTemporaryDir directory;
    QFile file(directory.filePath(QStringLiteral("catalog.xml")));
    if (!directory.isValid() || !file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write the document\n");
        return 1;
    }
    writeDocument(&file, records);
    file.close();
    const QByteArray path = file.fileName().toUtf8();
    const int rounds = 12;

    const auto stream = compare([&] { return rawStreamWalk(path); }, [&] { return cStreamWalk(path); }, rounds);
    const auto dom = compare([&] { return rawDomWalk(path); }, [&] { return cDomWalk(path); }, rounds);

    std::printf("document: %d records, %.1f MB; fastest of %d rounds each, thread CPU time\n", records, file.size() / 1e6, rounds);
    std::printf("stream walk    QXmlStreamReader loop %8.1f ms   C interface %8.1f ms   "
                "C speed %3.0f%% of raw (target >= 80%%)   strings %ld / %ld\n",
                stream.first.fastest, stream.second.fastest, 100 * stream.first.fastest / stream.second.fastest,
                stream.first.strings, stream.second.strings);
    std::printf("DOM load+walk  QDomDocument          %8.1f ms   C interface %8.1f ms   "
                "C time  %.2fx raw     (target <= 1.6x)   strings %ld / %ld\n",
                dom.first.fastest, dom.second.fastest, dom.second.fastest / dom.first.fastest, dom.first.strings,
                dom.second.strings);
    // Both sides must have handed out the same strings, or the figures compare different work.
    const bool sameWork = stream.first.strings == stream.second.strings && dom.first.strings == dom.second.strings &&
                          stream.first.strings > 0 && dom.first.strings > 0;
    if (!sameWork)
        std::fprintf(stderr, "the C walk and the raw loop handed out different numbers of strings\n");
    return sameWork ? 0 : 1;
}
