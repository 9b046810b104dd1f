// The incremental stream reader: walks, name matching, ends of parse, and
// hostile input.
#include "recorder.h"
#include "rururoroincrementalreader.h"
#include "rururoroxmllimits.h"

#include <QBuffer>
#include <QTemporaryFile>
#include <QTextCodec>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using Entity = std::unique_ptr<RurUrOroEntity>;
using Rows = std::vector<std::string>;

const QByteArray compactExample = "<a x=\"1\"><b>t</b><c/></a>";
const QByteArray indentedExample = "<a x=\"1\">\n <b>t</b>\n <c/>\n</a>\n";
const char* const errorFormat =
    "Incremental XML parsing ended with error: %s\nError in: line=%d, column=%d, character offset=%d";

std::string show(const QString& text)
{
    return text.isNull() ? "~" : text.toStdString();
}

class IncrementalReader : public ::testing::Test {
protected:
    void SetUp() override { recorder_reset(); }

    // As the buffer loader makes it: caseSensitive is the negation of noCase.
    void loadBuffer(const QByteArray& xml, bool noCase = true)
    {
        auto* buffer = new QBuffer;
        buffer->setData(xml);
        buffer->open(QIODevice::ReadOnly);
        use(buffer, !noCase);
    }

    // As the file loader makes it: read-only text mode, caseSensitive true.
    void loadFile(const QByteArray& xml)
    {
        file = std::make_unique<QTemporaryFile>();
        ASSERT_TRUE(file->open());
        file->write(xml);
        file->flush();
        auto* input = new QFile(file->fileName());
        ASSERT_TRUE(input->open(QIODevice::ReadOnly | QIODevice::Text));
        use(input, true);
    }

    void use(QIODevice* input, bool caseSensitive)
    {
        device = input;
        reader = std::make_unique<RurUrOroIncrementalReader>();
        ASSERT_TRUE(reader->setDevice(input));
        reader->setCaseSensitive(caseSensitive);
    }

    int id() { return reader->getDocumentID(); }
    Entity begin(const QString& name = QString()) { return Entity(reader->beginTraversion(name, id())); }

    // One getNextEntity call as "entity name|type|name|value|depth|end"; "-" for no entity.
    std::string next()
    {
        int type = 0, depth = 0;
        bool end = false;
        QString name, value;
        Entity entity(reader->getNextEntity(&type, &name, &value, &depth, &end, id()));
        lastText = name;
        return (entity ? entity->name.toStdString() : "-") + "|" + std::to_string(type) + "|" + show(name) + "|" +
               show(value) + "|" + std::to_string(depth) + "|" + std::to_string(end);
    }

    Rows walk(int calls)
    {
        Rows rows;
        for (int i = 0; i < calls; ++i)
            rows.push_back(next());
        return rows;
    }

    // One getNextChildNode call as "name@depth", or "-@depth" without a child.
    std::string child(RurUrOroEntity* parent, Entity* found = nullptr)
    {
        int depth = 0;
        QString name;
        Entity entity(reader->getNextChildNode(parent, &name, &depth, id()));
        std::string row = (entity ? name.toStdString() : "-") + "@" + std::to_string(depth);
        if (found)
            *found = std::move(entity);
        return row;
    }

    // Walks everything, going on with the next child of `top` after each end.
    void walkAll(RurUrOroEntity* top)
    {
        for (;;) {
            const std::string row = next();
            if (row.back() == '1' && child(top)[0] != '-')
                continue;
            if (row[0] == '-')
                return;
        }
    }

    static std::string lastLog()
    {
        const int index = recorder_last_log();
        return index < 0 ? "" : std::string(recorder_level(index)) + ": " + recorder_text(index);
    }

    std::unique_ptr<QTemporaryFile> file;
    std::unique_ptr<RurUrOroIncrementalReader> reader;
    QIODevice* device = nullptr;
    QString lastText;
};

TEST_F(IncrementalReader, WalksTheCompactExampleCallByCall)
{
    loadBuffer(compactExample);
    Entity start = begin();
    ASSERT_TRUE(start);
    EXPECT_EQ(start->name, QStringLiteral("a"));
    EXPECT_NE(start->streamReader, nullptr);
    EXPECT_FALSE(begin()) << "a reader is begun once";

    QString value;
    EXPECT_EQ(reader->getAttributeCount(start.get(), id()), 1);
    EXPECT_TRUE(reader->getNamedAttribute(start.get(), QStringLiteral("X"), &value, true, id()));
    EXPECT_EQ(value, QStringLiteral("1"));
    EXPECT_FALSE(reader->getNamedAttribute(start.get(), QStringLiteral("X"), &value, false, id()));

    int type = 5, depth = 5;
    bool end = true;
    QString name = QStringLiteral("kept");
    EXPECT_EQ(reader->getNextEntity(&type, &name, &value, &depth, &end, id() + 1), nullptr);
    EXPECT_EQ(std::make_tuple(type, depth, end, name), std::make_tuple(5, 5, true, QStringLiteral("kept")));

    EXPECT_EQ(walk(4), (Rows{"a|1|a|~|2|0", "a|2|x|1|2|0", "b|1|b|~|3|0", "|3|t|~|3|0"}));
    EXPECT_FALSE(reader->getNamedAttribute(start.get(), QStringLiteral("x"), &value, true, id()))
        << "the reader stands in the text now";
    EXPECT_EQ(walk(3), (Rows{"-|21|~|~|3|1", "-|21|~|~|2|1", "-|21|~|~|2|0"}));
    EXPECT_EQ(recorder_count(), 0) << "the end of the document was never read";
}

TEST_F(IncrementalReader, ReportsEachWhitespaceRunAsText)
{
    loadFile(indentedExample);
    Entity start = begin();
    EXPECT_EQ(walk(7), (Rows{"a|1|a|~|2|0", "a|2|x|1|2|0", "|3|\n |~|2|0", "b|1|b|~|3|0", "|3|t|~|3|0",
                             "-|21|~|~|3|1", "-|21|~|~|2|1"}));
}

TEST_F(IncrementalReader, GoesOnAfterAChildEndThroughGetNextChildNode)
{
    loadBuffer(compactExample);
    Entity start = begin();
    walk(5);
    EXPECT_EQ(child(start.get()), "c@3");
    EXPECT_EQ(walk(2), (Rows{"c|1|c|~|3|0", "-|21|~|~|3|1"}));
    EXPECT_EQ(child(start.get()), "-@2");
    EXPECT_EQ(child(start.get()), "-@0");
    EXPECT_EQ(lastLog(), "NONE: Incremental Xml Parsing Ended Successfully. mDepth=0");
    EXPECT_EQ(recorder_count(), 1);
}

// Indented input gets the documented one-off null after the text; compact input
// has its depths made up at the next tag, so both end with mDepth=0.
TEST_F(IncrementalReader, KeepsTrueDepthsAfterGetNodeText)
{
    const std::pair<QByteArray, Rows> cases[] = {
        {compactExample, {"c@3", "-@3", "-@0"}},
        {indentedExample, {"-@3", "c@3", "-@3", "-@0"}},
    };
    for (const auto& [xml, rest] : cases) {
        recorder_reset();
        loadBuffer(xml);
        Entity start = begin();
        EXPECT_EQ(child(start.get()), "b@3");
        EXPECT_EQ(reader->getNodeText(start.get(), id()), QStringLiteral("t"));
        Rows rows;
        for (std::size_t i = 0; i < rest.size(); ++i)
            rows.push_back(child(start.get()));
        EXPECT_EQ(rows, rest) << xml.constData();
        EXPECT_EQ(lastLog(), "NONE: Incremental Xml Parsing Ended Successfully. mDepth=0");
    }
}

TEST_F(IncrementalReader, GetNodeTextStopsAtAChildElementAndTheNextScanReportsIt)
{
    loadBuffer("<a>pre<b/>post</a>");
    Entity start = begin();
    EXPECT_EQ(reader->getNodeText(start.get(), id()), QStringLiteral("pre"));
    EXPECT_EQ(recorder_count(), 0);
    EXPECT_EQ(child(start.get()), "-@2");
    ASSERT_EQ(recorder_logs("WARNING"), 1);
    EXPECT_STREQ(recorder_format(0), errorFormat);
    EXPECT_EQ(child(start.get()), "-@2");
    EXPECT_EQ(recorder_count(), 1);
}

// A file-loaded reader matches start names in exact case and end tags in any
// case; a buffer loaded with noCase does the opposite.
TEST_F(IncrementalReader, MatchesStartNamesAndEndTagsInOppositeSenses)
{
    const QByteArray xml = "<Root><list><LIST/></list><after/></Root>";
    loadFile(xml);
    EXPECT_FALSE(begin(QStringLiteral("List")));
    EXPECT_EQ(lastLog(), "NONE: Incremental Xml Parsing Ended Successfully. mDepth=0");

    loadFile(xml);
    Entity list = begin(QStringLiteral("list"));
    ASSERT_TRUE(list);
    EXPECT_EQ((Rows{child(list.get()), child(list.get()), child(list.get()), child(list.get())}),
              (Rows{"LIST@4", "-@4", "-@3", "after@3"}));

    loadBuffer(xml, true);
    list = begin(QStringLiteral("List"));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->name, QStringLiteral("list"));
    EXPECT_EQ((Rows{child(list.get()), child(list.get()), child(list.get())}), (Rows{"LIST@4", "-@4", "after@3"}));
}

TEST_F(IncrementalReader, BrokenInputGivesOneWarningAndThenOnlyEndResults)
{
    const std::pair<QByteArray, std::string> cases[] = {
        {"<a><b>te", "Premature end of document.\nError in: line=1, column=8, character offset=8"},
        {"<a><b>text</a>", "Opening and ending tag mismatch.\nError in: line=1, column=14, character offset=14"},
    };
    for (const auto& [xml, report] : cases) {
        recorder_reset();
        loadBuffer(xml);
        Entity start = begin();
        walk(6);
        ASSERT_EQ(recorder_count(), 1) << xml.constData();
        EXPECT_STREQ(recorder_level(0), "WARNING");
        EXPECT_STREQ(recorder_format(0), errorFormat);
        EXPECT_EQ(recorder_text(0), "Incremental XML parsing ended with error: " + report);

        int depth = 2;
        EXPECT_EQ(next(), "-|21|~|~|3|0");
        EXPECT_EQ(child(start.get()), "-@3");
        EXPECT_FALSE(reader->closeExistingNode(start.get(), &depth, id()));
        EXPECT_EQ(recorder_count(), 1);
    }
}

TEST_F(IncrementalReader, ClosesANodeBySkippingToItsEndTag)
{
    loadBuffer("<a><b><b/>text</b><c/></a>");
    Entity start = begin();
    Entity b;
    EXPECT_EQ(child(start.get(), &b), "b@3");

    const quint32 live = RurUrOroEntity::counter().value();
    int depth = 5;
    EXPECT_FALSE(reader->closeExistingNode(b.get(), &depth, id())) << "already closed at that depth";
    EXPECT_EQ(depth, 5);
    EXPECT_EQ(RurUrOroEntity::counter().value(), live) << "not released";

    depth = 3;
    EXPECT_TRUE(reader->closeExistingNode(b.get(), &depth, id()));
    b.release(); // released by the reader
    EXPECT_EQ(depth, 2);
    EXPECT_EQ(RurUrOroEntity::counter().value(), live - 1);
    EXPECT_EQ(next(), "c|1|c|~|3|0");

    auto* complete = new RurUrOroEntity(nullptr, QStringLiteral("zzz"));
    complete->traversionComplete = true;
    EXPECT_TRUE(reader->closeExistingNode(complete, &depth, id()));
    EXPECT_EQ(RurUrOroEntity::counter().value(), live - 1);
    EXPECT_EQ(next(), "-|21|~|~|3|1") << "nothing was read for the complete node";
}

TEST_F(IncrementalReader, EndTraversionClosesTheDeviceAndARefusedDeviceEndsAtOnce)
{
    loadBuffer(compactExample);
    Entity start = begin();
    reader->endTraversion(id());
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(next(), "-|21|~|~|0|0");
    EXPECT_EQ(child(start.get()), "-@0");
    EXPECT_EQ(recorder_count(), 0);

    QBuffer closed;
    RurUrOroIncrementalReader bare;
    EXPECT_FALSE(bare.setDevice(&closed));
    EXPECT_FALSE(bare.setDevice(nullptr));
    EXPECT_EQ(bare.beginTraversion(QString(), bare.getDocumentID()), nullptr) << "no device: the scan ends at once";
}

// Hostile input.

TEST_F(IncrementalReader, WalksAMillionLevelsWithoutALimit)
{
    const int levels = 1000000;
    loadBuffer(QByteArray("<a>").repeated(levels) + QByteArray("</a>").repeated(levels));
    Entity start = begin();
    int deepest = 0;
    for (std::string row = next(); row.rfind("a|1|", 0) == 0; row = next())
        deepest = std::stoi(row.substr(row.rfind('|', row.size() - 3) + 1));
    EXPECT_EQ(deepest, levels + 1);
    int depth = 2;
    EXPECT_TRUE(reader->closeExistingNode(start.release(), &depth, id()));
    EXPECT_EQ(next(), "-|21|~|~|0|1");
    EXPECT_EQ(lastLog(), "NONE: Incremental Xml Parsing Ended Successfully. mDepth=0");
}

QByteArray entityAttack(const QByteArray& entity, const QByteArray& body)
{
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE r [" + entity + "]>\n" + body + "\n";
}

TEST_F(IncrementalReader, StopsEntityExpansionWithTheNormalWarning)
{
    QByteArray laughs = "<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        laughs += "<!ENTITY l" + QByteArray::number(i) + " \"" +
                  ("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    const QByteArray large = "<!ENTITY e \"" + QByteArray(4000, 'x') + "\">";
    const QByteArray refs = QByteArray("&e;").repeated(200000);
    QTextCodec* utf16 = QTextCodec::codecForName("UTF-16LE"); // writes a byte order mark
    const QByteArray inText = entityAttack(large, "<r>" + refs + "</r>");
    const std::pair<QByteArray, const char*> cases[] = {
        {entityAttack(laughs, "<r>&l9;</r>"), "Entity expands to more characters than the entity expansion limit."},
        {inText, "expand to more text than allowed"},
        {entityAttack(large, "<r a=\"" + refs + "\"/>"), "expand to more text than allowed"},
        {utf16->fromUnicode(QString::fromLatin1(inText)), "expand to more text than allowed"},
        {entityAttack("<!ENTITY % p \"<!--" + QByteArray(4000, 'x') + "-->\">" + QByteArray("%p;").repeated(200000),
                      "<r/>"),
         "expand to more text than allowed"},
        {entityAttack("<!ATTLIST e a CDATA \"" + QByteArray(1000000, 'x') + "\">",
                      "<r>" + QByteArray("<e/>").repeated(200000) + "</r>"),
         "expand to more text than allowed"},
    };
    for (const auto& [xml, message] : cases) {
        recorder_reset();
        loadBuffer(xml);
        Entity start = begin();
        walkAll(start.get());
        ASSERT_EQ(recorder_logs("WARNING"), 1) << xml.left(80).constData();
        EXPECT_NE(std::string(recorder_text(0)).find(message), std::string::npos) << recorder_text(0);
        walk(2);
        EXPECT_EQ(recorder_count(), 1);
    }
}

TEST_F(IncrementalReader, ExpandsOrdinaryEntityUseInFull)
{
    const QByteArray notice = "(c) Example, all rights reserved";
    const int uses = 100000;
    loadBuffer(entityAttack("<!ENTITY n \"&m;&m;\"><!ENTITY m \"" + notice + "\"><!ATTLIST r lang CDATA \"en\">",
                            "<r>" + QByteArray("&n;&amp;&#33;").repeated(uses) + "</r>"));
    Entity start = begin();
    EXPECT_EQ(walk(2), (Rows{"r|1|r|~|2|0", "r|2|lang|en|2|0"}));
    QString text;
    for (std::string row = next(); row.rfind("|3|", 0) == 0; row = next())
        text += lastText;
    EXPECT_EQ(text, QString::fromLatin1(notice + notice + "&!").repeated(uses));
    EXPECT_EQ(recorder_logs("WARNING"), 0);
}

// Two-letter names: a tag of a little more than the limit fits in one block the
// stream reader asks for.
QByteArray wideTag(int attributes, const QByteArray& value = QByteArray())
{
    const QByteArray letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QByteArray tag = "<w";
    for (int i = 0; i < attributes; ++i) {
        const QByteArray name = letters.mid(i / letters.size(), 1) + letters.mid(i % letters.size(), 1);
        const QByteArray quote = i % 2 ? "'" : "\"";
        tag += ' ' + name + '=' + quote + value + quote;
    }
    return tag + "/>";
}

// The stream reader checks each attribute against all earlier ones of its tag.
TEST_F(IncrementalReader, RefusesAStartTagWiderThanTheAttributeLimit)
{
    const int most = xmllimits::MaxAttributesPerElement;
    const QByteArray lookalike = "><x" + QByteArray(" a=b").repeated(2 * most);
    const QByteArray elsewhere = "<!DOCTYPE r [<!ENTITY e \"" + lookalike + "\">]><r><!--" + lookalike +
                                 "--><![CDATA[" + lookalike + "]]><?pi " + lookalike + "?>" +
                                 QByteArray(" a=b").repeated(2 * most);
    const auto utf16 = [](const QByteArray& xml) {
        return QTextCodec::codecForName("UTF-16LE")->fromUnicode(QString::fromLatin1(xml));
    };
    const std::pair<QByteArray, bool> cases[] = {
        {"<r>" + wideTag(most, "x=y") + "</r>", false},
        {elsewhere + wideTag(most) + "</r>", false},
        {utf16(elsewhere + wideTag(most) + "</r>"), false},
        {"<r>" + wideTag(most + 1) + "</r>", true},
        {utf16("<r>" + wideTag(most + 1) + "</r>"), true},
        {elsewhere + wideTag(most + 1, QByteArray(100, 'v') + ">") + "</r>", true},
    };
    for (const auto& [xml, refused] : cases) {
        recorder_reset();
        loadBuffer(xml);
        Entity start = begin();
        int depth = 2;
        if (reader->closeExistingNode(start.get(), &depth, id()))
            start.release();
        next();
        ASSERT_EQ(recorder_count(), 1) << xml.left(80).constData();
        EXPECT_NE(lastLog().find(refused ? "WARNING: Incremental XML parsing ended with error: A start tag has more "
                                           "attributes than allowed (1024).\n"
                                         : "NONE: Incremental Xml Parsing Ended Successfully. mDepth=0"),
                  std::string::npos)
            << lastLog();
    }

    loadBuffer(wideTag(most, "x=y"));
    Entity start = begin();
    EXPECT_EQ(reader->getAttributeCount(start.get(), id()), most);
}

// An endless body: "<r>" and then text blocks, each closed by an empty element.
class GeneratedInput : public QIODevice {
public:
    explicit GeneratedInput(qint64 size) : size(size), block(QByteArray(65532, 'x') + "<b/>"), head("<r>" + block)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const bool inHead = position < head.size();
        const QByteArray& part = inHead ? head : block;
        const qint64 offset = inHead ? position : (position - head.size()) % block.size();
        const qint64 n = std::min({maxSize, qint64(part.size()) - offset, size - position});
        memcpy(data, part.constData() + offset, size_t(n));
        position += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 size;
    qint64 position = 0;
    QByteArray block, head;
};

TEST_F(IncrementalReader, ReportsOffsetsBeyondTwoGigabytesByTheirLow32Bits)
{
    const qint64 size = (qint64(1) << 31) + 65536 * 3 + 100;
    use(new GeneratedInput(size), true);
    Entity start = begin();
    int depth = 2;
    EXPECT_FALSE(reader->closeExistingNode(start.get(), &depth, id()));
    EXPECT_EQ(reader->charactersOffset(), size);
    const std::string low = std::to_string(static_cast<qint32>(static_cast<quint32>(size)));
    EXPECT_EQ(lastLog(), "WARNING: Incremental XML parsing ended with error: Premature end of document.\n"
                         "Error in: line=1, column=" + low + ", character offset=" + low);
}

} // namespace
