// The file writer and the buffer writer: identical text for identical calls,
// the temporary file's life, saving, ending and taking the bytes.
#include "rururorobufferwriter.h"
#include "rururoroincrementalwriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>

namespace {

using Build = std::function<void(RurUrOroIncrementalWriterInterface&, int)>;

// The expected bytes of a streamed document.
QByteArray streamed(const QString& afterDeclaration)
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + afterDeclaration).toUtf8();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Saves as the C layer does: the destination is opened (created, emptied) first.
bool saveTo(RurUrOroDoc& document, const QString& path)
{
    QFile destination(path);
    destination.open(QIODevice::WriteOnly | QIODevice::Text);
    return document.save(&destination, document.getDocumentID());
}

// Every test runs with its own temporary directory, so temporary files can be counted.
class Writers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.isValid());
        QDir(scratch.path()).mkdir(QStringLiteral("tmp"));
        useTempDir(path(QStringLiteral("tmp")));
    }
    void TearDown() override
    {
        if (savedTempDir.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTempDir);
    }

    QString path(const QString& name) const { return scratch.filePath(name); }
    void useTempDir(const QString& dir) { qputenv("TMPDIR", QFile::encodeName(dir)); }
    // Temporary files this process holds, found through its descriptors since Qt
    // may leave one unnamed until its name is asked for; and any left in the directory.
    QStringList tempFiles() const
    {
        const QString dir = path(QStringLiteral("tmp/"));
        QStringList found = QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        const QDir descriptors(QStringLiteral("/proc/self/fd"));
        for (const QFileInfo& descriptor : descriptors.entryInfoList(QDir::AllEntries | QDir::System))
            if (descriptor.symLinkTarget().startsWith(dir))
                found << descriptor.absoluteFilePath();
        return found;
    }

    QByteArray savedFile(const QString& root, const Build& build)
    {
        RurUrOroIncrementalWriter writer(root);
        build(writer, writer.getDocumentID());
        return saveTo(writer, path(QStringLiteral("out.xml"))) ? readFile(path(QStringLiteral("out.xml")))
                                                                : QByteArray("<save failed>");
    }

    QTemporaryDir scratch;
    const QByteArray savedTempDir = qgetenv("TMPDIR");
};

QByteArray endedByCloseNode(const QString& root, const Build& build)
{
    RurUrOroBufferWriter writer(root);
    build(writer, writer.getDocumentID());
    while (writer.closeNode(writer.getDocumentID())) {
    }
    return writer.documentToByteArray();
}

QByteArray endedBySave(const QString& root, const Build& build)
{
    RurUrOroBufferWriter writer(root);
    build(writer, writer.getDocumentID());
    return writer.save(nullptr, writer.getDocumentID()) ? writer.documentToByteArray() : QByteArray("<failed>");
}

void markupAndNonAscii(RurUrOroIncrementalWriterInterface& w, int id)
{
    w.openNode(QStringLiteral("item"), id);
    w.addAttribute(QStringLiteral("note"), QStringLiteral("a<b & \"c\""), id);
    w.addText(QStringLiteral("1 < 2 & 3 > 0"), id);
    w.closeNode(id);
    w.openNode(QStringLiteral("empty"), id);
    w.closeNode(id);
    w.openNode(QStringLiteral("nested"), id);
    w.openNode(QStringLiteral("deeper"), id);
    w.addAttribute(QStringLiteral("lang"), QStringLiteral("čeština"), id);
    w.addText(QStringLiteral("Grüße ✓ 漢字 😀"), id);
}

TEST_F(Writers, GiveTheSameTextForTheSameCalls)
{
    const QByteArray expected = streamed(QStringLiteral("<doc>\n"
                                                        "\t<item note=\"a&lt;b &amp; &quot;c&quot;\">1 &lt; 2 &amp; 3 &gt; 0</item>\n"
                                                        "\t<empty/>\n"
                                                        "\t<nested>\n"
                                                        "\t\t<deeper lang=\"čeština\">Grüße ✓ 漢字 😀</deeper>\n"
                                                        "\t</nested>\n"
                                                        "</doc>\n"));
    EXPECT_EQ(savedFile(QStringLiteral("doc"), markupAndNonAscii), expected);

    const std::vector<std::pair<QString, Build>> cases = {
        {QString(), [](RurUrOroIncrementalWriterInterface&, int) {}},
        {QStringLiteral("doc"), markupAndNonAscii},
        {QStringLiteral("deep"),
         [](RurUrOroIncrementalWriterInterface& w, int id) {
             for (int level = 0; level < 40; ++level) {
                 w.openNode(QStringLiteral("l%1").arg(level), id);
                 w.addAttribute(QStringLiteral("n"), QString::number(level), id);
                 if (level % 3 == 0)
                     w.closeNode(id);
             }
             w.addText(QStringLiteral("\t<tab> & 'quote'\n"), id);
         }},
    };
    for (const auto& [root, build] : cases) {
        const QByteArray file = savedFile(root, build);
        EXPECT_TRUE(file.startsWith(streamed(QString()))) << file.constData();
        EXPECT_EQ(endedByCloseNode(root, build), file) << qPrintable(root);
        EXPECT_EQ(endedBySave(root, build), file) << qPrintable(root);
    }
    EXPECT_EQ(savedFile(QString(), cases[0].second), streamed(QStringLiteral("<root/>\n")));
}

TEST_F(Writers, FileWriterStreamsALargeDocumentInPiecesThatAddUpToTheStreamWritersText)
{
    QByteArray plainText;
    QXmlStreamWriter plain(&plainText);
    plain.setAutoFormatting(true);
    plain.setAutoFormattingIndent(-1);
    plain.writeStartDocument();
    plain.writeStartElement(QStringLiteral("catalog"));

    qint64 last = 0;
    int pieces = 0;
    {
        RurUrOroIncrementalWriter writer(QStringLiteral("catalog"));
        const int id = writer.getDocumentID();
        ASSERT_EQ(tempFiles().size(), 1);
        const QString temp = tempFiles().first();
        for (int i = 0; plainText.size() < 700 * 1024; ++i) {
            const QString text = i == 300 ? QString(3 * 102400, QLatin1Char('x')) : QStringLiteral("n %1").arg(i);
            writer.openNode(QStringLiteral("entry"), id);
            plain.writeStartElement(QStringLiteral("entry"));
            writer.addAttribute(QStringLiteral("id"), QString::number(i), id);
            plain.writeAttribute(QStringLiteral("id"), QString::number(i));
            writer.addText(text, id);
            plain.writeCharacters(text);
            ASSERT_EQ(QFileInfo(temp).size(), last) << "flushed before an element end";
            writer.closeNode(id);
            plain.writeEndElement();
            const qint64 now = QFileInfo(temp).size();
            ASSERT_TRUE(now == last || now - last > 102400) << now - last;
            pieces += now != last;
            last = now;
        }
        plain.writeEndDocument();
        EXPECT_TRUE(plainText.startsWith(readFile(temp)));
        ASSERT_TRUE(saveTo(writer, path(QStringLiteral("big.xml"))));
        EXPECT_FALSE(tempFiles().isEmpty()) << "a saved document keeps its temporary file";
    }
    EXPECT_GE(pieces, 4);
    EXPECT_EQ(readFile(path(QStringLiteral("big.xml"))), plainText);
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(Writers, FileWriterClosesWhatIsOpenAndSavesAnEndedDocumentOnceMore)
{
    RurUrOroIncrementalWriter writer(QStringLiteral("doc"));
    const int id = writer.getDocumentID();
    writer.openNode(QStringLiteral("a"), id);
    writer.openNode(QStringLiteral("b"), id);
    writer.addText(QStringLiteral("t"), id);
    EXPECT_FALSE(writer.openNode(QStringLiteral("foreign"), id + 1));
    EXPECT_FALSE(writer.closeNode(id + 1));
    EXPECT_FALSE(writer.save(nullptr, id + 1));
    const QByteArray expected = streamed(QStringLiteral("<doc>\n\t<a>\n\t\t<b>t</b>\n\t</a>\n</doc>\n"));

    ASSERT_TRUE(saveTo(writer, path(QStringLiteral("first.xml"))));
    EXPECT_FALSE(writer.closeNode(id)) << "the document is ended";
    EXPECT_TRUE(writer.openNode(QStringLiteral("late"), id));
    EXPECT_TRUE(writer.closeNode(id));
    EXPECT_FALSE(writer.closeNode(id));
    QFile longer(path(QStringLiteral("second.xml")));
    ASSERT_TRUE(longer.open(QIODevice::WriteOnly));
    longer.write(QByteArray(4096, 'j'));
    longer.close();
    EXPECT_TRUE(saveTo(writer, path(QStringLiteral("second.xml"))));
    EXPECT_FALSE(saveTo(writer, path(QStringLiteral("third.xml"))));
    EXPECT_EQ(readFile(path(QStringLiteral("first.xml"))), expected);
    EXPECT_EQ(readFile(path(QStringLiteral("second.xml"))), expected);
    EXPECT_TRUE(readFile(path(QStringLiteral("third.xml"))).isEmpty());
}

TEST_F(Writers, FileWriterLeavesNothingOnDiskWhenDestroyedUnsaved)
{
    {
        RurUrOroIncrementalWriter writer(QStringLiteral("doc"));
        writer.openNode(QStringLiteral("a"), writer.getDocumentID());
        EXPECT_EQ(tempFiles().size(), 1);
    }
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::Files), QStringList());
}

TEST_F(Writers, FileWriterFailsCleanlyWhereNoTemporaryFileCanBeMade)
{
    QFile blocker(path(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QStringList inRootBefore = QDir::root().entryList({QStringLiteral("qt_temp.*")});
    for (const QString& tempDir : {path(QStringLiteral("missing")), path(QStringLiteral("blocker"))}) {
        useTempDir(tempDir);
        RurUrOroIncrementalWriter writer(QStringLiteral("doc"));
        for (int i = 0; i < 5000; ++i) {
            writer.openNode(QStringLiteral("item"), writer.getDocumentID());
            writer.closeNode(writer.getDocumentID());
        }
        EXPECT_FALSE(saveTo(writer, path(QStringLiteral("out.xml")))) << qPrintable(tempDir);
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.xml"))));
    }
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("blocker"), QStringLiteral("tmp")}));
    EXPECT_EQ(QDir::root().entryList({QStringLiteral("qt_temp.*")}), inRootBefore);
}

TEST_F(Writers, FileWriterCopesWithADestinationThatIsMissingOrVanishes)
{
    RurUrOroIncrementalWriter writer(QStringLiteral("doc"));
    QBuffer notAFile;
    notAFile.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writer.save(&notAFile, writer.getDocumentID()));
    EXPECT_TRUE(notAFile.isOpen());
    EXPECT_FALSE(saveTo(writer, path(QStringLiteral("no/such/dir/out.xml"))));

    QFile vanishing(path(QStringLiteral("vanishing.xml")));
    ASSERT_TRUE(vanishing.open(QIODevice::WriteOnly | QIODevice::Text));
    QFile::remove(vanishing.fileName());
    EXPECT_TRUE(writer.save(&vanishing, writer.getDocumentID()));
    EXPECT_EQ(readFile(vanishing.fileName()), streamed(QStringLiteral("<doc/>\n")));

    QDir(scratch.path()).mkdir(QStringLiteral("gone"));
    QFile orphan(path(QStringLiteral("gone/out.xml")));
    ASSERT_TRUE(orphan.open(QIODevice::WriteOnly | QIODevice::Text));
    QDir(path(QStringLiteral("gone"))).removeRecursively();
    writer.openNode(QStringLiteral("again"), writer.getDocumentID());
    EXPECT_FALSE(writer.save(&orphan, writer.getDocumentID()));
}

TEST(BufferWriter, HandsOutSnapshotsThatLaterWritesLeaveAlone)
{
    RurUrOroBufferWriter writer(QStringLiteral("doc"));
    const int id = writer.getDocumentID();
    writer.openNode(QStringLiteral("item"), id);
    const QByteArray insideStartTag = writer.documentToByteArray();
    writer.addAttribute(QStringLiteral("a"), QStringLiteral("1"), id);
    const QByteArray withAttribute = writer.documentToByteArray();
    writer.addText(QStringLiteral("text"), id);
    EXPECT_FALSE(writer.addText(QStringLiteral("foreign"), id + 1));
    EXPECT_EQ(insideStartTag, streamed(QStringLiteral("<doc>\n\t<item")));
    EXPECT_EQ(withAttribute, streamed(QStringLiteral("<doc>\n\t<item a=\"1\"")));
    EXPECT_EQ(writer.documentToByteArray(), streamed(QStringLiteral("<doc>\n\t<item a=\"1\">text")));
}

TEST(BufferWriter, SaveOnlyEndsTheTextAndASecondEndingAddsALineBreak)
{
    RurUrOroBufferWriter writer(QStringLiteral("doc"));
    const int id = writer.getDocumentID();
    EXPECT_TRUE(writer.closeNode(id));
    EXPECT_FALSE(writer.closeNode(id));
    const QByteArray ended = writer.documentToByteArray();
    EXPECT_EQ(ended, streamed(QStringLiteral("<doc/>\n")));

    QBuffer device;
    EXPECT_TRUE(writer.save(&device, id));
    EXPECT_FALSE(writer.save(&device, id));
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(device.buffer().isEmpty());
    EXPECT_EQ(writer.documentToByteArray(), ended + "\n");

    EXPECT_TRUE(writer.openNode(QStringLiteral("after"), id));
    EXPECT_FALSE(writer.closeNode(id));
    EXPECT_TRUE(writer.save(&device, id));
    EXPECT_EQ(writer.documentToByteArray(), ended + "\n\n<after/>\n");
}

} // namespace
