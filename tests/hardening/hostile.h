// Helpers for the hostile-input tests. Big inputs are generated at test time
// into a scratch directory; none is stored in the repository.
#pragma once

#include "gen_qtxmlif.h"
#include "recorder.h"
#include "test_load_support.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

// Failure messages show strings as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace hostile {

// `head`, `count` times `unit`, then `tail`, written in pieces so that inputs
// of gigabytes never sit in memory.
inline QString writeRepeated(testsupport::ScratchDir& dir, const QString& name, const QByteArray& head,
                             const QByteArray& unit, qint64 count, const QByteArray& tail)
{
    QFile file(dir.path(name));
    const qint64 unitsPerPiece = qMax<qint64>(1, (1 << 20) / qMax(1, unit.size()));
    const QByteArray piece = unit.repeated(int(qMin(count, unitsPerPiece)));
    bool written = file.open(QIODevice::WriteOnly) && file.write(head) == head.size();
    for (qint64 left = count; written && left > 0; left -= unitsPerPiece) {
        const QByteArray part = left >= unitsPerPiece ? piece : unit.repeated(int(left));
        written = file.write(part) == part.size();
    }
    if (!written || file.write(tail) != tail.size())
        ADD_FAILURE() << "cannot write " << qPrintable(file.fileName());
    return file.fileName();
}

// One step of a walk, its strings already copied and released.
struct Step {
    uint32_t status = 0;
    int type = 0;
    int depth = 0;
    bool isEnd = false;
    std::string name;
    std::string value;
};

inline Step nextEntity(int docID)
{
    Step step;
    char* name = nullptr;
    char* value = nullptr;
    step.status = gen__qtxmlif_get_next_entity(docID, &step.type, &name, &value, &step.depth, &step.isEnd);
    step.name = testsupport::take(name);
    step.value = testsupport::take(value);
    return step;
}

// A stream reader's walk up to the end of the first element that ends, as
// "type depth name=value", then on to the end of the document, where the reader
// reports how it ended. The start handle is released.
inline QStringList streamWalk(int docID)
{
    void* start = nullptr;
    if (gen__qtxmlif_begin_traversion(docID, nullptr, &start) != GEN__QTXMLIF_OK)
        return {QStringLiteral("no start")};
    QStringList events;
    for (Step step; events.size() < 10000 && (step = nextEntity(docID)).status == GEN__QTXMLIF_OK;)
        events << QStringLiteral("%1 %2 %3=%4").arg(step.type).arg(step.depth).arg(
                      QString::fromStdString(step.name), QString::fromStdString(step.value));
    // Past the document element's end tag or, when that was read already, one
    // more child looked for.
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

// The text of the last log entry of `level` since the recorder was reset.
inline std::string lastLogText(const char* level)
{
    for (int index = recorder_count() - 1; index >= 0; --index)
        if (recorder_kind(index) == RECORD_LOG && std::strcmp(recorder_level(index), level) == 0)
            return recorder_text(index);
    return {};
}

// A UTF-8 locale, an empty record and a scratch directory; no document may be
// left behind.
class Test : public testsupport::HostTest {
protected:
    void TearDown() override { EXPECT_FALSE(gen__qtxmlif_document_exist(1)) << "a document was left behind"; }

    // Both DOM loaders refuse `xml` with the syntax status, the file loader with
    // message 82 for its path and a position that starts with `position`.
    void expectDomRefuses(const QByteArray& xml, const std::string& position = "line ")
    {
        const QString path = dir.write(QStringLiteral("hostile.xml"), xml);
        int id = 0;
        recorder_reset();
        EXPECT_EQ(gen__qtxmlif_load(path.toUtf8().constData(), &id), GEN__QTXMLIF_E_SYNTAX);
        EXPECT_EQ(id, -1);
        const std::string text = "82: XML document syntax error in file: " + path.toStdString() + "\nError found in ";
        EXPECT_EQ(testsupport::records().rfind(text + position, 0), 0u) << testsupport::records();
        id = 0;
        EXPECT_EQ(gen__qtxmlif_load_buff(xml.constData(), &id, false), GEN__QTXMLIF_E_SYNTAX);
        EXPECT_EQ(id, -1);
    }

    // Loaded by the stream reader, `docID` ends its walk with one error report.
    static void expectStreamError(int docID)
    {
        recorder_reset();
        streamWalk(docID);
        EXPECT_EQ(recorder_logs("WARNING"), 1);
        EXPECT_EQ(lastLogText("WARNING").rfind("Incremental XML parsing ended with error: ", 0), 0u);
        EXPECT_EQ(recorder_logs("NONE"), 0);
        EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
    }

    testsupport::ScratchDir dir;
};

} // namespace hostile
