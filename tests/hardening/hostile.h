// Helpers for the hostile-input tests: inputs generated at test time into a
// scratch directory (the big ones are never stored in the repository), walks
// through the C interface that hold nothing but the current step, the reports
// the recorder saw, and the process's memory figures.
#pragma once

#include "gen_qtxmlif.h"
#include "recorder.h"
#include "test_load_support.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <ostream>
#include <string>

// Failure messages show strings as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace hostile {

// `head`, `count` times `unit`, then `tail`, written in pieces so that inputs
// of hundreds of megabytes never sit in memory twice.
QString writeRepeated(testsupport::ScratchDir& dir, const QString& name, const QByteArray& head,
                      const QByteArray& unit, qint64 count, const QByteArray& tail);

// `levels` elements named d, each inside the one before.
QByteArray nested(int levels);

// Entities that expand exponentially (ten times per level over nine levels) and
// one big entity referenced many times.
QByteArray billionLaughs();
QByteArray quadraticBlowup();

// One step of a walk, its strings already copied and released.
struct Step {
    uint32_t status = 0;
    int type = 0;
    int depth = 0;
    bool isEnd = false;
    std::string name;
    std::string value;
};
Step nextEntity(int docID);

// A stream reader's walk from its document element: every event up to the end
// of the first element that ends, as "type depth name=value", then a skip to the
// end of the document. The start handle is released.
QStringList streamWalk(int docID);

// The text of the last log entry of `level` since the recorder was reset.
std::string lastLogText(const char* level);
// The last "ERROR" entry is message key `number`.
bool lastErrorIsKey(int number);

// Peak resident memory of the process so far, and resident memory now, in KiB.
long peakRssKib();
long currentRssKib();

} // namespace hostile
