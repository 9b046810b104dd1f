// Loads each bench document into a DOM document through the C interface
// (gen__qtxmlif_load) and with plain QDomDocument::setContent on a QFile opened
// read-only in text mode, each load in a process of its own, walks every node
// once handing out and releasing the same strings, and deletes the document.
// Prints per document the load time, the walk+delete time and the peak RSS of
// both sides with their ratios (library / plain): medians of the runs, wall
// time as each child measures it, peak RSS as VmHWM.
//
// usage: bench_load [--runs N]    default 3 runs per side; the documents go to a
// temporary directory that is removed at the end
#include "bench_handouts.h"
#include "bench_inputs.h"
#include "bench_measure.h"
#include "gen_qtxmlif.h"

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

long handOutTree(const QDomElement& element)
{
    const QByteArray name = element.tagName().toLocal8Bit();
    long strings = handOut(name);
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomNode attribute = attributes.item(i);
        strings += handOut(attribute.nodeName().toLocal8Bit(), attribute.nodeValue().toLocal8Bit());
    }
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isText())
            strings += handOut(child.nodeValue().toLocal8Bit());
        else if (child.isElement())
            strings += handOutTree(child.toElement());
    }
    return strings + handOut(name); // the element's end
}

// Figures: load seconds, walk+delete seconds, strings handed out.
int libraryChild(const char* path)
{
    int doc = -1;
    uint32_t status = GEN__QTXMLIF_E_FAILED;
    const double load = wallSeconds([&] { status = gen__qtxmlif_load(path, &doc); });
    if (status != GEN__QTXMLIF_OK)
        return 1;
    long strings = -1;
    const double walk = wallSeconds([&] {
        if (gen__qtxmlif_begin_traversion(doc, nullptr, nullptr) == GEN__QTXMLIF_OK)
            strings = releaseEntities(doc);
        gen__qtxmlif_end_traversion(doc);
        gen__qtxmlif_del_document(doc);
    });
    if (strings < 0)
        return 1;
    printFigures({load, walk, double(strings)});
    return 0;
}

int plainChild(const char* path)
{
    auto document = std::make_unique<QDomDocument>();
    QFile file(QString::fromUtf8(path));
    bool loaded = false;
    const double load = wallSeconds(
        [&] { loaded = file.open(QIODevice::ReadOnly | QIODevice::Text) && document->setContent(&file, true); });
    if (!loaded)
        return 1;
    long strings = 0;
    const double walk = wallSeconds([&] {
        strings = handOutTree(document->documentElement());
        document.reset();
    });
    printFigures({load, walk, double(strings)});
    return 0;
}

// One line for a document; false when a side failed or the walks differ.
bool compare(const Shape& shape, const QString& path, int runs)
{
    const qint64 bytes = writeShape(shape, path);
    const auto figures = bytes < 0 ? std::array<std::vector<double>, 2>() : medianFigures(path, runs);
    const std::vector<double>& library = figures[0];
    const std::vector<double>& plain = figures[1];
    if (library.size() != 4 || plain.size() != 4) {
        std::printf("%-24s failed\n", shape.label.constData());
        return false;
    }
    std::printf("%-24s %5.1f MB | load %6.3f s vs plain %6.3f s = %4.2fx | walk+delete %6.3f s vs %6.3f s = %4.2fx"
                " | peak RSS %6.1f MB vs %6.1f MB = %4.2fx%s\n",
                shape.label.constData(), bytes / 1e6, library[0], plain[0], library[0] / plain[0], library[1],
                plain[1], library[1] / plain[1], library[3] / 1024, plain[3] / 1024, library[3] / plain[3],
                library[2] == plain[2] ? "" : " (walks handed out different strings)");
    std::fflush(stdout);
    return library[2] == plain[2];
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto run = childRun(argc, argv))
        return run->library ? libraryChild(run->path) : plainChild(run->path);

    printRunHeader(argc, argv);
    const int runs = optionValue(argc, argv, "--runs", 3);
    QTemporaryDir directory;
    if (!directory.isValid())
        return 1;
    std::printf("library = gen__qtxmlif_load, plain = QDomDocument::setContent; median of %d runs per side, wall "
                "time, each run a process of its own\n",
                runs);
    const QString path = directory.filePath(QStringLiteral("input.xml"));
    bool allSame = true;
    const Shape shapes[] = {flatChildren(2000000), attributeRows(20000, 50), attributeRows(2000, 500),
                            records(200000)};
    for (const Shape& shape : shapes)
        allSame = compare(shape, path, runs) && allSame;
    return allSame ? 0 : 1;
}
