// Helpers for tests that use the C interface as a host does: what the support
// functions recorded, strings handed out, scratch files and walks.
#pragma once

#include "gen_qtxmlif.h"
#include "recorder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testsupport {

// Names, values and texts cross the boundary in the local 8-bit encoding; the
// tests pin it to UTF-8 so that a wrong character cannot hide behind a '?'.
void useUtf8Locale();

// The log entry at `index` is an "ERROR" message key with that number and
// default text, and reads `text` once its placeholders are filled.
::testing::AssertionResult isMessage(int index, int number, const char* defaultText, const QByteArray& text);

// Everything recorded since the last reset, joined by " | ": an assertion report
// of gen/gen_qtxmlif/gen_qtxmlif_load.cpp as "(condition) @load", "sound", a
// status trace as "trace @load", a message key as "64: " and its filled text.
// An entry in any other form is shown whole.
std::string records();

// One call, the status it returns, all it records, and whether the
// out-parameters hold what they must afterwards.
struct Expectation {
    std::function<uint32_t()> call;
    uint32_t status;
    std::string records;
    std::function<bool()> outputs = {};
};
void expectEach(const std::vector<Expectation>& rows);

// The string the library handed out ("<null>" for none), released.
std::string take(char* text);

// A scratch file holding `bytes`; the directory goes away with the object.
class ScratchDir {
public:
    QString write(const QString& name, const QByteArray& bytes);
    QString path(const QString& name) const;

private:
    QTemporaryDir dir;
};

// Every event of a walk from the start as "type depth name=value", " end" added
// for an element end, with the strings released as the caller must.
QStringList walk(int docID);

// A document loaded from the buffer `xml`: a DOM document, or a stream reader.
int loadBuffer(const char* xml, bool incremental);

// Each test starts with an empty record and a UTF-8 locale.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
};

} // namespace testsupport
