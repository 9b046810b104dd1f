// Helpers for C-interface tests: checking recorded reports and messages, scratch
// files, and walking a document into a list of events.
#pragma once

#include "gen_qtxmlif.h"
#include "recorder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testsupport {

// Names, values and texts cross the boundary in the local 8-bit encoding; the
// tests pin it to UTF-8 so that a wrong character cannot hide behind a '?'.
void useUtf8Locale();

// The assertion report at `index` names `condition` and a line of `sourceFile`,
// and exactly one error sound follows it.
::testing::AssertionResult isReport(int index, const char* condition, const char* sourceFile);

// The log entry at `index` is an "ERROR" message key with that number and
// default text, and reads `text` once its placeholders are filled.
::testing::AssertionResult isMessage(int index, int number, const char* defaultText, const QByteArray& text);

// A scratch file holding `bytes`; the directory goes away with the object.
class ScratchDir {
public:
    QString write(const QString& name, const QByteArray& bytes);
    QString path(const QString& name) const;

private:
    QTemporaryDir dir;
};

// Every event of a walk from the start: "type depth name=value" or "end name",
// with the strings released as the caller must.
QStringList walk(int docID);

} // namespace testsupport
