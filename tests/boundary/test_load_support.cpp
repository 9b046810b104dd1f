#include "test_load_support.h"

#include "ruziradavod.h"

#include <QFile>
#include <QTextCodec>
#include <cstring>

namespace testsupport {

void useUtf8Locale()
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
}

::testing::AssertionResult isReport(int index, const char* condition, const char* sourceFile)
{
    if (recorder_kind(index) != RECORD_LOG || qstrcmp(recorder_level(index), "INTERNAL") != 0)
        return ::testing::AssertionFailure() << "entry " << index << " is no INTERNAL report";
    if (qstrcmp(recorder_format(index), "(%s) at %s %d\n") != 0)
        return ::testing::AssertionFailure() << "report format: " << recorder_format(index);
    const QByteArray text = recorder_text(index);
    const QByteArray head = QByteArray("(") + condition + ") at " + sourceFile + " ";
    bool lineIsNumber = false;
    text.mid(head.size()).chopped(1).toInt(&lineIsNumber);
    if (!text.startsWith(head) || !text.endsWith('\n') || !lineIsNumber)
        return ::testing::AssertionFailure() << "report text: " << text.constData();
    if (recorder_kind(index + 1) != RECORD_SOUND || recorder_kind(index + 2) == RECORD_SOUND)
        return ::testing::AssertionFailure() << "report " << index << " is not followed by exactly one sound";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult isMessage(int index, int number, const char* defaultText, const QByteArray& text)
{
    const QByteArray key = "@$@#gen_qtxmlif@$@#GENERAL@$@#" + QByteArray::number(number) + "@$@#";
    if (recorder_kind(index) != RECORD_LOG || qstrcmp(recorder_level(index), "ERROR") != 0)
        return ::testing::AssertionFailure() << "entry " << index << " is no ERROR message";
    if (key + defaultText != recorder_format(index))
        return ::testing::AssertionFailure() << "format: " << recorder_format(index);
    if (key + text != recorder_text(index))
        return ::testing::AssertionFailure() << "text: " << recorder_text(index);
    return ::testing::AssertionSuccess();
}

QString ScratchDir::write(const QString& name, const QByteArray& bytes)
{
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << qPrintable(file.fileName());
    return file.fileName();
}

QString ScratchDir::path(const QString& name) const
{
    return dir.filePath(name);
}

QStringList walk(int docID)
{
    QStringList events;
    // No start handle is asked for: the library keeps or releases it itself.
    if (gen__qtxmlif_begin_traversion(docID, nullptr, nullptr) != GEN__QTXMLIF_OK)
        return {QStringLiteral("no start")};
    for (int guard = 0; guard < 10000; ++guard) {
        int type = 0;
        int depth = 0;
        char* name = nullptr;
        char* value = nullptr;
        bool isEnd = false;
        const uint32_t status = gen__qtxmlif_get_next_entity(docID, &type, &name, &value, &depth, &isEnd);
        if (type > 0)
            events << QStringLiteral("%1 %2 %3=%4%5")
                          .arg(type)
                          .arg(depth)
                          .arg(QString::fromUtf8(name), QString::fromUtf8(value),
                               isEnd ? QStringLiteral(" end") : QString());
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
        if (status != GEN__QTXMLIF_OK)
            break;
    }
    gen__qtxmlif_end_traversion(docID);
    return events;
}

} // namespace testsupport
