// Loads generated documents into a DOM document and walks them through
// getNextEntity, releasing each entity as a caller does, beside a plain
// recursive QDomDocument walk of the same tree that reads the same names,
// values and texts. A walk that grows faster than the document shows as a ratio
// that climbs from one size to the next. Each load is shown beside a plain
// QDomDocument::setContent of the same bytes, with the share its input check
// takes, and each save (the document's text, indented by 4, attributes in the
// library's order) beside QDomDocument::toString(4) of the plain tree.
//
// usage: bench_dom [rounds]    default 3 (ten times as many for the small
// documents); the walks and saves take turns. Printed: the fastest round of
// each and their ratio, and for walks the median of the ratios of rounds run
// side by side, which other load on the machine sways least.
#include "bench_inputs.h"
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
    double entities = 1e30, baseline = 1e30, save = 1e30, plainSave = 1e30;
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
        save = std::min(save, seconds([&] { document.documentToString(4); }));
        plainSave = std::min(plainSave, seconds([&] { plain.toString(4); }));
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("%-22s %5.1f MB  load %5.2f s (plain %5.2f s, input check %.1f%%)  walk %6.3f s (plain %6.3f s) "
                "ratio %4.2f, median of rounds %4.2f  save %6.3f s (plain %6.3f s) ratio %4.2f%s\n",
                label, xml.size() / 1e6, load, plainLoad, 100 * check / plainLoad, entities, baseline,
                entities / baseline, ratios[ratios.size() / 2], save, plainSave, save / plainSave,
                entitySink == plainSink ? "" : "  (walks disagree)");
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    for (const auto& [shape, shapeRounds] : {std::pair{flatChildren(100000), 10 * rounds},
                                             {flatChildren(1000000), rounds},
                                             {attributeRows(20000, 50), rounds},
                                             {attributeRows(2000, 500), rounds},
                                             {records(50000), rounds}})
        measure(shape.label.constData(), shapeBytes(shape), shapeRounds);
    return 0;
}
