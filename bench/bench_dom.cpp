// Loads generated documents into a DOM document and walks them through
// getNextEntity, releasing each entity as a caller does, beside a plain
// recursive QDomDocument walk of the same tree that reads the same names,
// values and texts. A walk that grows faster than the document shows as a ratio
// that climbs from one size to the next. Each load is shown beside a plain
// QDomDocument::setContent of the same bytes, with the share its input check takes.
//
// usage: bench_dom [rounds]    default 3 (ten times as many for the small
// documents); the two walks take turns. Printed: the fastest round of each and
// their ratio, and the median of the ratios of rounds run side by side, which
// other load on the machine sways least.
#include "genqtdomdocument.h"
#include "rururorodocumentcheck.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

// <root><c n="7">text 7</c>...</root>
QByteArray manyChildren(int count)
{
    QByteArray xml = "<root>\n";
    for (int i = 0; i < count; ++i)
        xml += "  <c n=\"" + QByteArray::number(i) + "\">text " + QByteArray::number(i) + "</c>\n";
    return xml + "</root>\n";
}

// <root><e a0="0" a1="1" .../>...</root>
QByteArray manyAttributes(int elements, int attributesEach)
{
    QByteArray xml = "<root>\n";
    for (int i = 0; i < elements; ++i) {
        xml += "  <e";
        for (int k = 0; k < attributesEach; ++k)
            xml += " a" + QByteArray::number(k) + "=\"" + QByteArray::number(i + k) + "\"";
        xml += "/>\n";
    }
    return xml + "</root>\n";
}

qint64 walkEntities(GenQtDomDocument& document)
{
    const int id = document.getDocumentID();
    qint64 sink = 0;
    int type = 0, depth = 0;
    QString name, value;
    bool isEnd = false;
    if (!document.beginTraversion(QString(), id))
        return -1;
    while (RurUrOroEntity* entity = document.getNextEntity(&type, &name, &value, &depth, &isEnd, id)) {
        sink += name.size() + value.size() + depth;
        releaseEntity(entity);
    }
    sink += name.size() + value.size() + depth; // the document element's end comes without an entity
    document.endTraversion(id);
    return sink;
}

void walkPlain(const QDomNode& element, int depth, qint64& sink)
{
    sink += element.nodeName().size() + depth;
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomNode attribute = attributes.item(i);
        sink += attribute.nodeName().size() + attribute.nodeValue().size() + depth;
    }
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isText())
            sink += child.nodeValue().size() + depth;
        else if (child.isElement())
            walkPlain(child, depth + 1, sink);
    }
    sink += element.nodeName().size() + depth;
}

double seconds(const std::function<void()>& run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return timer.nsecsElapsed() / 1e9;
}

void measure(const char* label, const QByteArray& xml, int rounds)
{
    GenQtDomDocument document(QString(), false);
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    QElapsedTimer timer;
    timer.start();
    if (!document.load(&buffer, nullptr, nullptr)) {
        std::printf("%-28s load failed\n", label);
        return;
    }
    const double load = timer.nsecsElapsed() / 1e9;

    QDomDocument plain;
    timer.restart();
    plain.setContent(xml, true);
    const double plainLoad = timer.nsecsElapsed() / 1e9;
    // The load's input check alone, as a share of the plain parse of the same bytes.
    const double check = seconds([&] { checkWholeDocument(xml); });

    qint64 entitySink = 0, plainSink = 0;
    double entities = 1e30, baseline = 1e30;
    std::vector<double> ratios;
    for (int r = 0; r < rounds; ++r) {
        const double walk = seconds([&] { entitySink = walkEntities(document); });
        const double plainWalk = seconds([&] {
            plainSink = 0;
            walkPlain(plain.documentElement(), 0, plainSink);
        });
        entities = std::min(entities, walk);
        baseline = std::min(baseline, plainWalk);
        ratios.push_back(walk / plainWalk);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("%-24s %6.1f MB  load %6.2f s (plain %6.2f s, input check %.3f s = %.1f%%)  walk %6.3f s  plain %6.3f s"
                "  ratio %4.2f, median of rounds %4.2f%s\n",
                label, xml.size() / 1e6, load, plainLoad, check, 100 * check / plainLoad, entities, baseline,
                entities / baseline, ratios[ratios.size() / 2], entitySink == plainSink ? "" : "  (walks disagree)");
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    measure("100000 children", manyChildren(100000), 10 * rounds);
    measure("1000000 children", manyChildren(1000000), rounds);
    measure("20000 x 50 attributes", manyAttributes(20000, 50), rounds);
    measure("2000 x 500 attributes", manyAttributes(2000, 500), rounds);
    return 0;
}
