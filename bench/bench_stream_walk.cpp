// Walks a file of records to its end through the C interface as a host does
// (gen__qtxmlif_load_incremental, begin_traversion, get_next_entity until an
// element ends and get_next_child_node on the document element for the next,
// every string released), beside a plain QXmlStreamReader loop over the same
// file that makes and releases the same string copies. Each walk runs in a
// process of its own; printed per file: the medians of the walk times (wall
// time, from the load to the deletion) with their ratio, and each side's peak
// RSS (VmHWM), which must not grow with the file.
//
// usage: bench_stream_walk [--runs N] [--gigabyte]    default 3 runs per side on
// 10 MB of records; --gigabyte adds 1 GB of records. The files go to a temporary
// directory that is removed at the end.
#include "bench_handouts.h"
#include "bench_inputs.h"
#include "bench_measure.h"
#include "gen_qtxmlif.h"

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cstdio>

namespace {

// A walk ends at each leaf's end; the next child of the start element (the next
// element start, at any depth) carries it on to the end of the document.
long libraryWalk(const char* path)
{
    int doc = -1;
    void *start = nullptr, *child = nullptr;
    if (gen__qtxmlif_load_incremental(path, &doc) != GEN__QTXMLIF_OK ||
        gen__qtxmlif_begin_traversion(doc, nullptr, &start) != GEN__QTXMLIF_OK)
        return -1;
    long strings = releaseEntities(doc);
    while (gen__qtxmlif_get_next_child_node(doc, start, nullptr, &child) == GEN__QTXMLIF_OK && child)
        strings += releaseEntities(doc);
    gen__qtxmlif_end_traversion(doc);
    gen__qtxmlif_delete_node(&start);
    gen__qtxmlif_del_document(doc);
    return strings;
}

// The same copies: element starts, attributes, texts that are not blank, and
// the (empty) pair the C walk hands out at the end of each leaf element.
long plainWalk(const char* path)
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
            strings += handOut(reader.name().toLocal8Bit());
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                strings += handOut(attribute.name().toLocal8Bit(), attribute.value().toLocal8Bit());
            break;
        case QXmlStreamReader::Characters:
            if (!reader.isWhitespace())
                strings += handOut(reader.text().toLocal8Bit());
            break;
        case QXmlStreamReader::EndElement:
            if (leaf)
                strings += handOut(QByteArray());
            leaf = false;
            break;
        default:
            break;
        }
    }
    return reader.hasError() ? -1 : strings;
}

// Figures: walk seconds, strings handed out.
int child(const ChildRun& run)
{
    long strings = -1;
    const double walk = wallSeconds([&] { strings = run.library ? libraryWalk(run.path) : plainWalk(run.path); });
    if (strings < 0)
        return 1;
    printFigures({walk, double(strings)});
    return 0;
}

// One line for a file; false when a side failed or the walks differ.
bool compare(const Shape& shape, const QString& path, int runs)
{
    const qint64 bytes = writeShape(shape, path);
    const auto figures = bytes < 0 ? std::array<std::vector<double>, 2>() : medianFigures(path, runs);
    const std::vector<double>& library = figures[0];
    const std::vector<double>& plain = figures[1];
    if (library.size() != 3 || plain.size() != 3) {
        std::printf("%-20s failed\n", shape.label.constData());
        return false;
    }
    std::printf("%-18s %6.1f MB | walk %7.3f s vs plain %7.3f s = %4.2fx | VmHWM %5.1f MB vs plain %5.1f MB%s\n",
                shape.label.constData(), bytes / 1e6, library[0], plain[0], library[0] / plain[0], library[2] / 1024,
                plain[2] / 1024, library[1] == plain[1] ? "" : " (walks handed out different strings)");
    std::fflush(stdout);
    return library[1] == plain[1];
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto run = childRun(argc, argv))
        return child(*run);

    printRunHeader(argc, argv);
    const int runs = optionValue(argc, argv, "--runs", 3);
    QTemporaryDir directory;
    if (!directory.isValid())
        return 1;
    std::printf("library = gen__qtxmlif_load_incremental walk, plain = QXmlStreamReader loop; median of %d runs per "
                "side, wall time, each run a process of its own\n",
                runs);
    const QString path = directory.filePath(QStringLiteral("records.xml"));
    std::vector<Shape> shapes{recordsOfSize(10000000)};
    if (hasOption(argc, argv, "--gigabyte"))
        shapes.push_back(recordsOfSize(1000000000));
    bool allSame = true;
    for (const Shape& shape : shapes)
        allSame = compare(shape, path, runs) && allSame;
    return allSame ? 0 : 1;
}
