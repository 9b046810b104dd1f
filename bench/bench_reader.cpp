// Walks a generated catalogue to its end with the incremental reader, beside a
// plain QXmlStreamReader loop over the same file that copies the same names,
// attribute values and texts. Each walk runs in a process of its own, so its
// peak RSS and its CPU time are its own (CPU time, not wall time, so that other
// work on the machine does not blur the comparison); the fastest round counts.
//
// The reader's walk is the one a caller makes: getNextEntity until an element
// ends, then getNextChildNode on the document element for the next one.
//
// usage: bench_reader [megabytes] [rounds]    default 100 MB, 3 rounds
#include "rururoroincrementalreader.h"

#include <QFile>
#include <QTemporaryFile>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Result {
    double seconds = 0;
    qint64 copiedCharacters = 0; // attribute values and texts
    long peakRssKb = 0;
};

// No whitespace between tags, so both walks see the same texts.
qint64 writeCatalogue(QFile& file, qint64 targetBytes)
{
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?><catalogue>");
    qint64 records = 0;
    QByteArray chunk;
    while (file.size() < targetBytes) {
        chunk.clear();
        for (int i = 0; i < 1000; ++i, ++records) {
            const QByteArray n = QByteArray::number(records);
            chunk += "<record id=\"" + n + "\" kind=\"k" + QByteArray::number(records % 7) + "\"><name>Item " + n +
                     "</name><price currency=\"EUR\">" + QByteArray::number(records % 100000) +
                     ".95</price><note>A short description of item " + n +
                     ", long enough to look like real text in a catalogue.</note></record>";
        }
        file.write(chunk);
    }
    file.write("</catalogue>\n");
    file.flush();
    return records;
}

std::unique_ptr<QFile> openInput(const QString& path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        std::exit(1);
    }
    return file;
}

qint64 plainWalk(const QString& path)
{
    const std::unique_ptr<QFile> file = openInput(path);
    QXmlStreamReader xml(file.get());
    qint64 copied = 0;
    QString name, value, text;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            name = xml.name().toString();
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                name = attribute.name().toString();
                value = attribute.value().toString();
                copied += value.size();
            }
            break;
        case QXmlStreamReader::Characters:
            text = xml.text().toString();
            copied += text.size();
            break;
        default:
            break;
        }
    }
    return xml.hasError() ? -1 : copied;
}

qint64 readerWalk(const QString& path)
{
    RurUrOroIncrementalReader reader;
    reader.setDevice(openInput(path).release());
    reader.setCaseSensitive(true);
    const int id = reader.getDocumentID();
    const std::unique_ptr<RurUrOroEntity> top(reader.beginTraversion(QString(), id));
    qint64 copied = 0;
    int type = 0, depth = 0;
    bool isEnd = false;
    QString name, value;
    while (top) {
        std::unique_ptr<RurUrOroEntity> entity(reader.getNextEntity(&type, &name, &value, &depth, &isEnd, id));
        if (entity) {
            copied += type == XML_ETYPE_ELEMENT ? 0 : type == XML_ETYPE_TEXT ? name.size() : value.size();
            continue;
        }
        if (!isEnd || !std::unique_ptr<RurUrOroEntity>(reader.getNextChildNode(top.get(), &name, &depth, id)))
            break;
    }
    // Reads the end of the document: the end-of-parse report.
    reader.getNextChildNode(top.get(), &name, &depth, id);
    return copied;
}

double cpuSeconds(const rusage& usage)
{
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs one walk in a child process and collects its CPU time and peak RSS.
Result measure(qint64 (*walk)(const QString&), const QString& path)
{
    int channel[2];
    if (pipe(channel) != 0)
        std::exit(1);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const qint64 copied = walk(path);
        const bool written = write(channel[1], &copied, sizeof copied) == sizeof copied;
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    Result result;
    const bool complete =
        read(channel[0], &result.copiedCharacters, sizeof result.copiedCharacters) == sizeof result.copiedCharacters;
    close(channel[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!complete || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "walk failed\n");
        std::exit(1);
    }
    result.seconds = cpuSeconds(usage);
    result.peakRssKb = usage.ru_maxrss;
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 100;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    if (megabytes < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: %s [megabytes] [rounds]\n", argv[0]);
        return 2;
    }

    QTemporaryFile input;
    if (!input.open())
        return 1;
    const qint64 records = writeCatalogue(input, megabytes * 1024 * 1024);
    const double mb = input.size() / (1024.0 * 1024.0);
    input.close();
    std::printf("input: %.1f MB, %lld records\n", mb, static_cast<long long>(records));

    Result best[2];
    const char* names[2] = {"plain QXmlStreamReader", "incremental reader"};
    for (int round = 0; round < rounds; ++round) {
        const Result results[2] = {measure(plainWalk, input.fileName()), measure(readerWalk, input.fileName())};
        for (int k = 0; k < 2; ++k) {
            if (round == 0 || results[k].seconds < best[k].seconds)
                best[k] = results[k];
        }
    }
    if (best[0].copiedCharacters != best[1].copiedCharacters || best[0].copiedCharacters < 0) {
        std::fprintf(stderr, "the walks copied different texts\n");
        return 1;
    }

    std::printf("%-24s %10s %14s\n", "walk", "MB/s (CPU)", "peak RSS MB");
    for (int k = 0; k < 2; ++k)
        std::printf("%-24s %10.1f %14.1f\n", names[k], mb / best[k].seconds, best[k].peakRssKb / 1024.0);
    std::printf("reader throughput: %.1f %% of the plain loop\n", 100.0 * best[0].seconds / best[1].seconds);
    return 0;
}
