// Writes one generated document of many small elements with attributes and
// text through the incremental file writer (temporary file, then the copy to
// the destination) and through a plain QXmlStreamWriter straight to a file,
// and prints the throughput of both and the peak resident memory.
//
// usage: bench_writers [megabytes [rounds]]    defaults 100 and 3; 1024 writes a 1 GB document
// The two writers take turns; the fastest round of each is compared, which
// keeps other load on the machine from deciding the result. Files go to the
// system temporary directory and are removed afterwards.
#include "rururoroincrementalwriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QVector>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

// Names and values made once, so that the run measures writing, not string making.
struct Vocabulary {
    Vocabulary()
    {
        for (int i = 0; i < 1000; ++i) {
            ids << QString::number(i * 7919);
            labels << QStringLiteral("item %1").arg(i);
            amounts << QString::number(i * 0.25, 'f', 2);
        }
    }
    const QString root = QStringLiteral("catalog"), record = QStringLiteral("record"), id = QStringLiteral("id"),
                  kind = QStringLiteral("kind"), name = QStringLiteral("name"), amount = QStringLiteral("amount"),
                  unit = QStringLiteral("unit"), kg = QStringLiteral("kg"), note = QStringLiteral("note"),
                  noteText = QStringLiteral("checked <ok> & stored");
    const QString kinds[3] = {QStringLiteral("stock"), QStringLiteral("order"), QStringLiteral("return")};
    QVector<QString> ids, labels, amounts;
};

// <record id=".." kind=".."><name>..</name><amount unit="kg">..</amount><note>..</note></record>
template <typename Calls>
void writeRecords(Calls& calls, const Vocabulary& v, qint64 count)
{
    for (qint64 i = 0; i < count; ++i) {
        const int k = int(i % v.ids.size());
        calls.open(v.record);
        calls.attribute(v.id, v.ids[k]);
        calls.attribute(v.kind, v.kinds[i % 3]);
        calls.open(v.name);
        calls.text(v.labels[k]);
        calls.close();
        calls.open(v.amount);
        calls.attribute(v.unit, v.kg);
        calls.text(v.amounts[k]);
        calls.close();
        calls.open(v.note);
        calls.text(v.noteText);
        calls.close();
        calls.close();
    }
}

struct PlainCalls {
    QXmlStreamWriter& writer;
    void open(const QString& name) { writer.writeStartElement(name); }
    void attribute(const QString& name, const QString& value) { writer.writeAttribute(name, value); }
    void text(const QString& text) { writer.writeCharacters(text); }
    void close() { writer.writeEndElement(); }
};

struct DocumentCalls {
    RurUrOroIncrementalWriter& writer;
    const int id;
    void open(const QString& name) { writer.openNode(name, id); }
    void attribute(const QString& name, const QString& value) { writer.addAttribute(name, value, id); }
    void text(const QString& text) { writer.addText(text, id); }
    void close() { writer.closeNode(id); }
};

void plainDocument(QIODevice* device, const Vocabulary& v, qint64 records)
{
    QXmlStreamWriter writer(device);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(-1);
    writer.writeStartDocument();
    writer.writeStartElement(v.root);
    PlainCalls calls{writer};
    writeRecords(calls, v, records);
    writer.writeEndDocument();
}

bool plainRun(const QString& path, const Vocabulary& v, qint64 records)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    plainDocument(&file, v, records);
    file.close();
    return file.error() == QFileDevice::NoError;
}

bool incrementalRun(const QString& path, const Vocabulary& v, qint64 records)
{
    RurUrOroIncrementalWriter writer(v.root);
    DocumentCalls calls{writer, writer.getDocumentID()};
    writeRecords(calls, v, records);
    QFile destination(path);
    destination.open(QIODevice::WriteOnly | QIODevice::Text);
    return writer.save(&destination, writer.getDocumentID());
}

double peakRssMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

template <typename Run>
double secondsFor(Run run, bool& ok)
{
    QElapsedTimer timer;
    timer.start();
    ok = run() && ok;
    return timer.nsecsElapsed() / 1e9;
}

bool sameContent(const QString& a, const QString& b)
{
    QFile first(a), second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    while (!first.atEnd())
        if (first.read(1 << 20) != second.read(1 << 20))
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 100;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    if (megabytes <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: %s [megabytes [rounds]]\n", argv[0]);
        return 2;
    }
    const Vocabulary vocabulary;
    QByteArray sample;
    QBuffer sampleDevice(&sample);
    sampleDevice.open(QIODevice::WriteOnly);
    plainDocument(&sampleDevice, vocabulary, 1000);
    const qint64 records = megabytes * 1000000 / (sample.size() / 1000);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    const QString incrementalPath = dir.filePath(QStringLiteral("incremental.xml"));
    const QString plainPath = dir.filePath(QStringLiteral("plain.xml"));

    // The writer under test runs first, so the peak taken after it is its own.
    bool incrementalOk = true, plainOk = true;
    double incremental = 0, plain = 0, incrementalPeak = 0;
    for (int round = 0; round < rounds; ++round) {
        const double a = secondsFor([&] { return incrementalRun(incrementalPath, vocabulary, records); }, incrementalOk);
        if (round == 0)
            incrementalPeak = peakRssMB();
        const double b = secondsFor([&] { return plainRun(plainPath, vocabulary, records); }, plainOk);
        std::printf("round %d: incremental %.2f s, plain %.2f s\n", round + 1, a, b);
        incremental = round == 0 ? a : std::min(incremental, a);
        plain = round == 0 ? b : std::min(plain, b);
    }
    const double bothPeak = peakRssMB();

    const double megabytesWritten = QFileInfo(plainPath).size() / 1e6;
    const bool identical = sameContent(incrementalPath, plainPath);
    std::printf("document: %lld records, %.1f MB, outputs %s; fastest of %d rounds:\n", records,
                megabytesWritten, identical ? "identical" : "DIFFER", rounds);
    std::printf("%-40s %8.2f s %8.1f MB/s   peak RSS %6.1f MB%s\n", "RurUrOroIncrementalWriter (incl. copy)",
                incremental, megabytesWritten / incremental, incrementalPeak, incrementalOk ? "" : "   SAVE FAILED");
    std::printf("%-40s %8.2f s %8.1f MB/s   peak RSS %6.1f MB (process, after both)%s\n",
                "plain QXmlStreamWriter to a file", plain, megabytesWritten / plain, bothPeak,
                plainOk ? "" : "   WRITE FAILED");
    std::printf("throughput: %.1f%% of the plain writer (target >= 85%%); peak RSS target < 24 MB\n",
                100.0 * plain / incremental);
    return incrementalOk && plainOk && identical ? 0 : 1;
}
