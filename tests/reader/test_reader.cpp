// The incremental stream reader: walks, name matching, ends of parse, and
// hostile input.
#include "recorder.h"
#include "rururoroincrementalreader.h"
#include "rururoroinputlimits.h"

#include <QBuffer>
#include <cctype>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using Entity = std::unique_ptr<RurUrOroEntity>;
using Rows = std::vector<std::string>;

const QByteArray compact = "<a x=\"1\"><b>t</b><c/></a>";
const QByteArray indented = "<a x=\"1\">\n <b>t</b>\n <c/>\n</a>\n";
const char* const success = "NONE: Incremental Xml Parsing Ended Successfully. mDepth=0";

QByteArray utf16(const QByteArray& xml) // with a byte order mark
{
    QByteArray units("\xff\xfe", 2);
    for (char c : xml)
        units.append(c).append('\0');
    return units;
}

class IncrementalReader : public ::testing::Test {
protected:
    void load(const QByteArray& xml, bool caseSensitive = false)
    {
        auto* buffer = new QBuffer;
        buffer->setData(xml);
        buffer->open(QIODevice::ReadOnly);
        use(buffer, caseSensitive);
    }
    void use(QIODevice* input, bool caseSensitive)
    {
        recorder_reset();
        top.reset();
        device = input;
        reader = std::make_unique<RurUrOroIncrementalReader>();
        ASSERT_TRUE(reader->setDevice(input));
        reader->setCaseSensitive(caseSensitive);
    }
    int id() { return reader->getDocumentID(); }

    // One call per letter, each giving a row; an upper-case letter drops its row.
    // b beginTraversion(beginAt): the name or "-"; n getNextEntity:
    // "entity|type|name|value|depth|end", "-" for no entity, "~" for null;
    // c getNextChildNode of the begun node: "name@depth"; t its getNodeText;
    // a its attribute count and "X" looked up in any case, then in exact case;
    // x closeExistingNode of it at depth 2, or at the digit that follows, and
    // k of a node whose traversal is complete: "closed@depth live n" with the
    // count of live entities; e endTraversion; r the end-of-parse report.
    Rows run(const char* calls, const char* beginAt = "")
    {
        const auto shown = [](const QString& text) { return text.isNull() ? std::string("~") : text.toStdString(); };
        const auto live = [] { return " live " + std::to_string(RurUrOroEntity::counter().value()); };
        Rows rows;
        for (; *calls; ++calls) {
            const char call = *calls;
            int type = 0, depth = 2;
            bool found = false;
            QString name, value;
            Entity entity;
            std::string row;
            switch (std::tolower(call)) {
            case 'b':
                entity.reset(reader->beginTraversion(QString::fromLatin1(beginAt), id()));
                row = entity ? entity->name.toStdString() : "-";
                if (entity)
                    top = std::move(entity);
                break;
            case 'n':
                entity.reset(reader->getNextEntity(&type, &name, &value, &depth, &found, id()));
                row = (entity ? entity->name.toStdString() : "-") + "|" + std::to_string(type) + "|" + shown(name) +
                      "|" + shown(value) + "|" + std::to_string(depth) + "|" + std::to_string(found);
                break;
            case 'c':
                entity.reset(reader->getNextChildNode(top.get(), &name, &depth, id()));
                row = (entity ? name.toStdString() : "-") + "@" + std::to_string(depth);
                break;
            case 't':
                row = reader->getNodeText(top.get(), id()).toStdString();
                break;
            case 'a':
                found = reader->getNamedAttribute(top.get(), QStringLiteral("X"), &value, true, id());
                row = std::to_string(reader->getAttributeCount(top.get(), id())) + (found ? " X=" + shown(value) : "") +
                      (reader->getNamedAttribute(top.get(), QStringLiteral("X"), &value, false, id()) ? " X" : "");
                break;
            case 'k': // a node whose traversal is complete
                entity = std::make_unique<RurUrOroEntity>(nullptr, QStringLiteral("done"));
                entity->traversionComplete = true;
                [[fallthrough]];
            case 'x': {
                if (std::isdigit(calls[1]))
                    depth = *++calls - '0';
                Entity& node = entity ? entity : top;
                found = reader->closeExistingNode(node.get(), &depth, id());
                if (found)
                    node.release(); // released by the reader
                row = (found ? "closed@" : "open@") + std::to_string(depth) + live();
                break;
            }
            case 'e':
                reader->endTraversion(id());
                row = device->isOpen() ? "device open" : "device closed";
                break;
            case 'r':
                row = report();
                break;
            }
            if (std::islower(call))
                rows.push_back(row);
        }
        return rows;
    }

    // Exactly one report ends a parse, once its end has been read.
    static std::string report()
    {
        const int index = recorder_last_log();
        if (index < 0)
            return "no report";
        EXPECT_EQ(recorder_count(), 1);
        return std::string(recorder_level(index)) + ": " + recorder_text(index);
    }

    std::unique_ptr<RurUrOroIncrementalReader> reader;
    QIODevice* device = nullptr;
    Entity top;
};

struct Script {
    QByteArray xml;
    const char* calls;
    Rows rows;
    const char* beginAt = "";
    bool caseSensitive = false;
};

// getNodeText leaves the depth one too high until a scan makes up the end tag it
// consumed: indented input gets the documented one-off null, compact input has
// it made up at the next tag, so both end with mDepth=0. Start names follow the
// case sensitivity, end tags are matched in the opposite sense.
TEST_F(IncrementalReader, WalksMatchesNamesAndReportsTheEnd)
{
    const std::string broken = "WARNING: Incremental XML parsing ended with error: ";
    const QByteArray cased = "<Root><list><LIST/></list><after/></Root>";
    const Script scripts[] = {
        {compact, "bbannnnannnr",
         {"a", "-", "1 X=1", "a|1|a|~|2|0", "a|2|x|1|2|0", "b|1|b|~|3|0", "|3|t|~|3|0", "0", "-|21|~|~|3|1",
          "-|21|~|~|2|1", "-|21|~|~|2|0", "no report"}},
        {indented, "bnnnnnnn",
         {"a", "a|1|a|~|2|0", "a|2|x|1|2|0", "|3|\n |~|2|0", "b|1|b|~|3|0", "|3|t|~|3|0", "-|21|~|~|3|1",
          "-|21|~|~|2|1"}},
        {compact, "bNNNNNcnnccr", {"a", "c@3", "c|1|c|~|3|0", "-|21|~|~|3|1", "-@2", "-@0", success}},
        {compact, "bctcccr", {"a", "b@3", "t", "c@3", "-@3", "-@0", success}},
        {indented, "bctccccr", {"a", "b@3", "t", "-@3", "c@3", "-@3", "-@0", success}},
        {"<a>pre<b/>post</a>", "btrccr",
         {"a", "pre", "no report", "-@2", "-@2",
          broken + "Expected character data.\nError in: line=1, column=10, character offset=10"}},
        {"<a><b>te", "bNNNNNNncxr",
         {"a", "-|21|~|~|3|0", "-@3", "open@2 live 1",
          broken + "Premature end of document.\nError in: line=1, column=8, character offset=8"}},
        {compact, "bencr", {"a", "device closed", "-|21|~|~|0|0", "-@0", "no report"}},
        {"<a><b><b/>text</b><c/></a>", "bx5x3knn",
         {"b", "open@5 live 1", "closed@2 live 0", "closed@2 live 0", "c|1|c|~|3|0", "-|21|~|~|3|1"}, "b"},
        {cased, "br", {"-", success}, "List", true},
        {cased, "bcccc", {"list", "LIST@4", "-@4", "-@3", "after@3"}, "list", true},
        {cased, "bccc", {"list", "LIST@4", "-@4", "after@3"}, "List"},
    };
    for (const Script& script : scripts) {
        load(script.xml, script.caseSensitive);
        EXPECT_EQ(run(script.calls, script.beginAt), script.rows) << script.calls;
        if (recorder_logs("WARNING")) { // the parser's message is a value, never the format
            EXPECT_STREQ(recorder_format(0), "Incremental XML parsing ended with error: %s\n"
                                             "Error in: line=%d, column=%d, character offset=%d");
        }
    }
}

TEST_F(IncrementalReader, AnswersOnlyItsOwnDocumentAndNeedsAnOpenDevice)
{
    load(compact);
    run("b");
    EXPECT_NE(top->streamReader, nullptr);
    int type = 5, depth = 5;
    bool end = true;
    QString name = QStringLiteral("kept"), value;
    EXPECT_EQ(reader->getNextEntity(&type, &name, &value, &depth, &end, id() + 1), nullptr);
    EXPECT_EQ(std::make_tuple(type, depth, end, name), std::make_tuple(5, 5, true, QStringLiteral("kept")));

    QBuffer closed;
    RurUrOroIncrementalReader bare;
    EXPECT_FALSE(bare.setDevice(&closed));
    EXPECT_FALSE(bare.setDevice(nullptr));
    EXPECT_EQ(bare.beginTraversion(QString(), bare.getDocumentID()), nullptr) << "no device: the scan ends at once";
}

// Values and texts share memory the reader uses again: what a caller keeps
// stays as it was handed out, short or long.
TEST_F(IncrementalReader, KeptValuesAndTextsStayAsHandedOut)
{
    const QByteArray longText(3000, 'l');
    load("<a x=\"1\" y=\"22\">t<b z=\"333\">" + longText + "</b>u</a>");
    run("b");
    std::vector<QString> kept;
    for (int event = 0; event < 7; ++event) {
        int type = 0, depth = 0;
        bool end = false;
        QString name, value;
        Entity(reader->getNextEntity(&type, &name, &value, &depth, &end, id()));
        kept.insert(kept.end(), {name, value});
    }
    std::string shown;
    for (const QString& text : kept)
        shown += (text.isNull() ? std::string("~") : text.toStdString()) + "|";
    EXPECT_EQ(shown, "a|~|x|1|y|22|t|~|b|~|z|333|" + longText.toStdString() + "|~|");
}

// Hostile input: the limits themselves are the input guard's, held to by both
// document kinds alike (its tests); these rows are what the stream reader adds.

QByteArray withDtd(const QByteArray& declarations, const QByteArray& body)
{
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE r [" + declarations + "]>\n" + body + "\n";
}

// Two-letter names: a tag of a little more than the limit fits in one block the
// stream reader asks for.
QByteArray wideTag(int attributes, const QByteArray& value = QByteArray())
{
    const QByteArray letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QByteArray tag = "<w";
    for (int i = 0; i < attributes; ++i) {
        const QByteArray quote = i % 2 ? "'" : "\"";
        tag += ' ' + letters.mid(i / letters.size(), 1) + letters.mid(i % letters.size(), 1) + '=' + quote + value + quote;
    }
    return tag + "/>";
}

// Entity references and attribute defaults are weighed before the stream reader
// expands them; only the "=" of start tags count towards the attribute limit,
// not those in values, comments, CDATA, instructions, declarations or text.
// Ordinary use of entities is not held back. The rows a DOM load shares are in
// the input guard's table.
TEST_F(IncrementalReader, RefusesExpansionAndWideTagsWithTheNormalWarning)
{
    const int most = inputlimits::MaxAttributesPerElement;
    const QByteArray lookalike = "><x" + QByteArray(" a=b").repeated(2 * most);
    const QByteArray elsewhere = "<!DOCTYPE r [<!ENTITY e \"" + lookalike + "\">]><r><!--" + lookalike +
                                 "--><![CDATA[" + lookalike + "]]><?pi " + lookalike + "?>" +
                                 QByteArray(" a=b").repeated(2 * most);
    const char* const expansion = "expand to more text than allowed";
    const char* const wide = "more attributes than allowed (1024).\n";
    const std::pair<QByteArray, const char*> cases[] = {
        {withDtd("<!ENTITY % p \"<!--" + QByteArray(4000, 'x') + "-->\">" + QByteArray("%p;").repeated(200000), "<r/>"),
         expansion},
        {withDtd("<!ENTITY n \"&m;&m;\"><!ENTITY m \"(c) Example, all rights reserved\"><!ATTLIST r lang CDATA \"en\">",
                 "<r>" + QByteArray("&n;&amp;&#33;").repeated(100000) + "</r>"),
         success},
        {"<r>" + wideTag(most, "x=y") + "</r>", success},
        {elsewhere + wideTag(most) + "</r>", success},
        {utf16(elsewhere + wideTag(most) + "</r>"), success},
        {elsewhere + wideTag(most + 1, QByteArray(100, 'v') + ">") + "</r>", wide},
        // Tags spelled in UTF-7's base64 would pass every count unseen.
        {"<?xml version='1.0' encoding='UTF-7'?><r/>", "The encoding UTF-7 cannot be read incrementally"},
        {"<?xml version='1.0' encoding='ISO-8859-1'?><r>\xe9</r>", success},
    };
    for (const auto& [xml, message] : cases) {
        load(xml);
        run("bXN");
        EXPECT_NE(report().find(message), std::string::npos) << xml.left(80).constData();
    }
}

// An endless body: "<r>" and then text blocks, each closed by an empty element.
class GeneratedInput : public QIODevice {
public:
    explicit GeneratedInput(qint64 size) : size(size) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
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
    const qint64 size;
    qint64 position = 0;
    const QByteArray block = QByteArray(65532, 'x') + "<b/>";
    const QByteArray head = "<r>" + block;
};

TEST_F(IncrementalReader, ReportsOffsetsBeyondTwoGigabytesByTheirLow32Bits)
{
    const qint64 size = (qint64(1) << 31) + 65536 * 3 + 100;
    use(new GeneratedInput(size), true);
    EXPECT_EQ(run("bx"), (Rows{"r", "open@2 live 1"}));
    EXPECT_EQ(reader->charactersOffset(), size);
    const std::string low = std::to_string(static_cast<qint32>(static_cast<quint32>(size)));
    EXPECT_EQ(report(), "WARNING: Incremental XML parsing ended with error: Premature end of document.\n"
                        "Error in: line=1, column=" + low + ", character offset=" + low);
}

} // namespace
