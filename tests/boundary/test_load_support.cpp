#include "test_load_support.h"

#include "ruziradavod.h"
#include "rururoroqtversion.h"

#include <QFile>
#include <QRegularExpression>

namespace testsupport {

void useUtf8Locale()
{
    qtversion::useUtf8AsLocal8Bit();
}

namespace {

QByteArray messageKey(int number)
{
    return "@$@#gen_qtxmlif@$@#GENERAL@$@#" + QByteArray::number(number) + "@$@#";
}

const char* defaultText(int number)
{
    switch (number) {
    case 64: return "Unable to find document: %s";
    case 71: return "Unable to open document: %s";
    case 82: return "XML document syntax error in file: %s\nError found in line %d, column %d.\n";
    case 188: return "Unable to open file for saving : %s";
    case 194: return "error saving XML document: %s";
    default: return "XML document ID %d not found";
    }
}

QString record(int index)
{
    const QString source = QStringLiteral("gen/gen_qtxmlif/gen_qtxmlif_(\\w+)\\.cpp");
    if (recorder_kind(index) == RECORD_SOUND)
        return QStringLiteral("sound");
    if (recorder_kind(index) == RECORD_STATUS)
        return QLatin1String("trace ") +
               QString::fromUtf8(recorder_file(index)).replace(QRegularExpression('^' + source + '$'), "@\\1");
    const QByteArray level = recorder_level(index), format = recorder_format(index);
    QString text = QString::fromUtf8(recorder_text(index));
    const int number = text.section(QLatin1String("@$@#"), 3, 3).toInt();
    if (level == "INTERNAL" && format == "(%s) at %s %d\n")
        return text.replace(QRegularExpression("^\\((.*)\\) at " + source + " \\d+\n$",
                                               QRegularExpression::DotMatchesEverythingOption),
                            "(\\1) @\\2");
    if (level == "ERROR" && text.startsWith(messageKey(number)) && format == messageKey(number) + defaultText(number))
        return QString::number(number) + ": " + text.mid(messageKey(number).size());
    return QString::fromUtf8(level + " [" + format + "] ") + text;
}

// The host's bytes as characters: a leading U+FEFF among them is text, not a
// byte order mark for the decoder to drop.
QString hostText(const char* text)
{
    return QString::fromUtf8(QByteArray(" ") + text).mid(1);
}

} // namespace

std::string records()
{
    QStringList all;
    for (int i = 0; i < recorder_count(); ++i)
        all << record(i);
    return all.join(QLatin1String(" | ")).toStdString();
}

void expectEach(const std::vector<Expectation>& rows)
{
    for (std::size_t row = 0; row < rows.size(); ++row) {
        recorder_reset();
        EXPECT_EQ(rows[row].call(), rows[row].status) << "row " << row;
        EXPECT_EQ(records(), rows[row].records) << "row " << row;
        EXPECT_TRUE(!rows[row].outputs || rows[row].outputs()) << "row " << row;
    }
}

std::string take(char* text)
{
    const std::string copy = text ? text : "<null>";
    gen__mem_free(text, 1, __FILE__, __LINE__);
    return copy;
}

QString ScratchDir::write(const QString& name, const QByteArray& bytes)
{
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << qPrintable(file.fileName());
    return file.fileName();
}

QStringList walk(int docID)
{
    // No start handle is asked for: the library keeps or releases it itself.
    if (gen__qtxmlif_begin_traversion(docID, nullptr, nullptr) != GEN__QTXMLIF_OK)
        return {QStringLiteral("no start")};
    QStringList events;
    for (uint32_t status = GEN__QTXMLIF_OK, guard = 0; status == GEN__QTXMLIF_OK && guard < 10000; ++guard) {
        int type = 0, depth = 0;
        char *name = nullptr, *value = nullptr;
        bool isEnd = false;
        status = gen__qtxmlif_get_next_entity(docID, &type, &name, &value, &depth, &isEnd);
        if (type > 0)
            events << QStringLiteral("%1 %2 %3=%4%5")
                          .arg(type)
                          .arg(depth)
                          .arg(hostText(name), hostText(value), isEnd ? " end" : "");
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
    }
    gen__qtxmlif_end_traversion(docID);
    return events;
}

int loadBuffer(const char* xml, bool incremental)
{
    int docID = -1;
    const auto load = incremental ? gen__qtxmlif_load_buff_incremental : gen__qtxmlif_load_buff;
    EXPECT_EQ(load(xml, &docID, false), GEN__QTXMLIF_OK) << xml;
    return docID;
}

} // namespace testsupport
