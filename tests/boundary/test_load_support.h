// Helpers for tests that use the C interface as a host does.
#pragma once

#include "gen_qtxmlif.h"
#include "recorder.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace testsupport {

// Texts cross the boundary in the local 8-bit encoding; UTF-8 keeps a wrong
// character from hiding behind a '?'.
void useUtf8Locale();

// Everything recorded since the last reset, joined by " | ": "(condition) @load"
// for a report from gen_qtxmlif_load.cpp, "sound", "trace @load", "64: " and the
// filled text for a message key; anything else whole.
std::string records();

// One call, its status, what it records, and a test of its outputs.
struct Expectation {
    std::function<uint32_t()> call;
    uint32_t status;
    std::string records;
    std::function<bool()> outputs = {};
};
void expectEach(const std::vector<Expectation>& rows);

// The string the library handed out ("<null>" for none), released.
std::string take(char* text);

class ScratchDir {
public:
    QString write(const QString& name, const QByteArray& bytes);
    QString path(const QString& name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
};

// A walk from the start as "type depth name=value", " end" for an element end.
QStringList walk(int docID);

// A DOM document, or a stream reader, loaded from `xml`.
int loadBuffer(const char* xml, bool incremental);

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        useUtf8Locale();
        recorder_reset();
    }
};

} // namespace testsupport
