#include "hostile.h"

#include "ruziradavod.h"

#include <QFile>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace hostile {

QString writeRepeated(testsupport::ScratchDir& dir, const QString& name, const QByteArray& head,
                      const QByteArray& unit, qint64 count, const QByteArray& tail)
{
    QFile file(dir.path(name));
    if (!file.open(QIODevice::WriteOnly)) {
        ADD_FAILURE() << "cannot create " << qPrintable(file.fileName());
        return file.fileName();
    }
    const qint64 unitsPerPiece = qMax<qint64>(1, (1 << 20) / qMax(1, unit.size()));
    const QByteArray piece = unit.repeated(int(qMin(count, unitsPerPiece)));
    bool written = file.write(head) == head.size();
    for (qint64 left = count; written && left > 0; left -= unitsPerPiece) {
        const QByteArray part = left >= unitsPerPiece ? piece : unit.repeated(int(left));
        written = file.write(part) == part.size();
    }
    written = written && file.write(tail) == tail.size();
    if (!written)
        ADD_FAILURE() << "cannot write " << qPrintable(file.fileName());
    return file.fileName();
}

QByteArray nested(int levels)
{
    return QByteArray("<d>").repeated(levels) + QByteArray("</d>").repeated(levels);
}

QByteArray billionLaughs()
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol0 \"lol\">\n";
    for (int level = 1; level <= 9; ++level)
        xml += "<!ENTITY lol" + QByteArray::number(level) + " \""
               + ("&lol" + QByteArray::number(level - 1) + ";").repeated(10) + "\">\n";
    return xml + "]>\n<lolz>&lol9;</lolz>\n";
}

QByteArray quadraticBlowup()
{
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE q [\n<!ENTITY big \"" + QByteArray(100000, 'x') + "\">\n]>\n<q>"
           + QByteArray("&big;").repeated(100000) + "</q>\n";
}

Step nextEntity(int docID)
{
    Step step;
    char* name = nullptr;
    char* value = nullptr;
    step.status = gen__qtxmlif_get_next_entity(docID, &step.type, &name, &value, &step.depth, &step.isEnd);
    step.name = name ? name : "<null>";
    step.value = value ? value : "<null>";
    gen__mem_free(name, 1, __FILE__, __LINE__);
    gen__mem_free(value, 1, __FILE__, __LINE__);
    return step;
}

QStringList streamWalk(int docID)
{
    void* start = nullptr;
    if (gen__qtxmlif_begin_traversion(docID, nullptr, &start) != GEN__QTXMLIF_OK)
        return {QStringLiteral("no start")};
    QStringList events;
    for (int guard = 0; guard < 10000; ++guard) {
        const Step step = nextEntity(docID);
        if (step.status != GEN__QTXMLIF_OK)
            break;
        events << QStringLiteral("%1 %2 %3=%4")
                      .arg(step.type)
                      .arg(step.depth)
                      .arg(QString::fromStdString(step.name), QString::fromStdString(step.value));
    }
    // Reads on to the end of the document, where the reader reports how it ended:
    // a skip past the document element's end tag, or, when that tag was read
    // already, a search for one more child.
    bool closed = false;
    gen__qtxmlif_close_existing_node(docID, start, 2, nullptr, &closed);
    if (closed) {
        nextEntity(docID);
    } else {
        void* child = nullptr;
        gen__qtxmlif_get_next_child_node(docID, start, nullptr, &child);
        gen__qtxmlif_delete_node(&child);
        gen__qtxmlif_delete_node(&start);
    }
    return events;
}

std::string lastLogText(const char* level)
{
    for (int index = recorder_count() - 1; index >= 0; --index)
        if (recorder_kind(index) == RECORD_LOG && std::strcmp(recorder_level(index), level) == 0)
            return recorder_text(index);
    return {};
}

bool lastErrorIsKey(int number)
{
    for (int index = recorder_count() - 1; index >= 0; --index)
        if (recorder_kind(index) == RECORD_LOG && std::strcmp(recorder_level(index), "ERROR") == 0)
            return QByteArray(recorder_format(index))
                .startsWith("@$@#gen_qtxmlif@$@#GENERAL@$@#" + QByteArray::number(number) + "@$@#");
    return false;
}

long peakRssKib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long currentRssKib()
{
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace hostile
