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

QByteArray streamed(const char* afterDeclaration)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + QByteArray(afterDeclaration);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Saves as the C layer does, opening (creating, emptying) the destination first.
// The file's bytes, after "refused: " when the save failed.
QByteArray saveAs(RurUrOroDoc& document, const QString& path)
{
    QFile destination(path);
    destination.open(QIODevice::WriteOnly | QIODevice::Text);
    const bool saved = document.save(&destination, document.getDocumentID());
    destination.close();
    return (saved ? QByteArray() : QByteArray("refused: ")) + readFile(path);
}

// Every test has a temporary directory of its own, so temporary files can be counted.
class Writers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(scratch.path()).mkdir(QStringLiteral("tmp")));
        qputenv("TMPDIR", QFile::encodeName(path("tmp")));
    }
    void TearDown() override
    {
        if (savedTempDir.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTempDir);
    }

    QString path(const char* name) const { return scratch.filePath(QString::fromLatin1(name)); }
    // Temporary files this process holds, found through its descriptors since Qt
    // may leave one unnamed until its name is asked for; and any left in the directory.
    QStringList tempFiles() const
    {
        const QString dir = path("tmp/");
        QStringList found = QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& descriptor : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System))
            if (descriptor.symLinkTarget().startsWith(dir))
                found << descriptor.absoluteFilePath();
        return found;
    }
    QByteArray savedFile(const QString& root, const Build& build)
    {
        RurUrOroIncrementalWriter writer(root);
        build(writer, writer.getDocumentID());
        return saveAs(writer, path("out.xml"));
    }

    QTemporaryDir scratch;
    const QByteArray savedTempDir = qgetenv("TMPDIR");
};

// The buffer writer's text, ended element by element or by save.
QByteArray buffered(const QString& root, const Build& build, bool bySave)
{
    RurUrOroBufferWriter writer(root);
    const int id = writer.getDocumentID();
    build(writer, id);
    if (bySave)
        return writer.save(nullptr, id) ? writer.documentToByteArray() : QByteArray("<failed>");
    while (writer.closeNode(id)) {
    }
    return writer.documentToByteArray();
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
    const std::tuple<QString, Build, QByteArray> cases[] = {
        {QString(), [](RurUrOroIncrementalWriterInterface&, int) {}, streamed("<root/>\n")},
        {QStringLiteral("doc"), markupAndNonAscii,
         streamed("<doc>\n"
                  "\t<item note=\"a&lt;b &amp; &quot;c&quot;\">1 &lt; 2 &amp; 3 &gt; 0</item>\n"
                  "\t<empty/>\n"
                  "\t<nested>\n"
                  "\t\t<deeper lang=\"čeština\">Grüße ✓ 漢字 😀</deeper>\n"
                  "\t</nested>\n"
                  "</doc>\n")},
        // Twenty levels left open, compared between the writers only.
        {QStringLiteral("deep"), [](RurUrOroIncrementalWriterInterface& w, int id) { for (int i = 0; i < 10; ++i) markupAndNonAscii(w, id); },
         QByteArray()},
    };
    for (const auto& [root, build, expected] : cases) {
        const QByteArray file = savedFile(root, build);
        if (!expected.isEmpty()) {
            EXPECT_EQ(file, expected);
        }
        EXPECT_EQ(buffered(root, build, false), file) << qPrintable(root);
        EXPECT_EQ(buffered(root, build, true), file) << qPrintable(root);
    }
}

// Pieces end at element ends, each larger than the staging area; one text alone
// is three times larger. The buffer writer shows what the whole should be.
TEST_F(Writers, FileWriterStreamsALargeDocumentInPiecesThatAddUpToTheBufferWritersText)
{
    RurUrOroBufferWriter whole(QStringLiteral("catalog"));
    qint64 last = 0;
    int pieces = 0;
    {
        RurUrOroIncrementalWriter writer(QStringLiteral("catalog"));
        const auto both = [&](const Build& build) {
            build(writer, writer.getDocumentID());
            build(whole, whole.getDocumentID());
        };
        ASSERT_EQ(tempFiles().size(), 1);
        const QString temp = tempFiles().first();
        for (int i = 0; i < 13000; ++i) {
            both([i](RurUrOroIncrementalWriterInterface& w, int id) {
                w.openNode(QStringLiteral("entry"), id);
                w.addAttribute(QStringLiteral("id"), QString::number(i), id);
                w.addText(i == 300 ? QString(3 * 102400, QLatin1Char('x')) : QStringLiteral("n %1").arg(i), id);
            });
            ASSERT_EQ(QFileInfo(temp).size(), last) << "flushed before an element end";
            both([](RurUrOroIncrementalWriterInterface& w, int id) { w.closeNode(id); });
            const qint64 now = QFileInfo(temp).size();
            ASSERT_TRUE(now == last || now - last > 102400) << now - last;
            pieces += now != last;
            last = now;
        }
        both([](RurUrOroIncrementalWriterInterface& w, int id) { w.closeNode(id); });
        EXPECT_TRUE(whole.documentToByteArray().startsWith(readFile(temp)));
        EXPECT_EQ(saveAs(writer, path("big.xml")), whole.documentToByteArray());
        EXPECT_FALSE(tempFiles().isEmpty()) << "a saved document keeps its temporary file";
    }
    EXPECT_GE(pieces, 4);
    EXPECT_GT(whole.documentToByteArray().size(), 700 * 1024);
    EXPECT_TRUE(tempFiles().isEmpty());
}

// Save closes what is open; a save after the end ends once more, over whatever
// the destination held; a third save finds nothing left to end.
TEST_F(Writers, FileWriterClosesWhatIsOpenAndSavesAnEndedDocumentOnceMore)
{
    RurUrOroIncrementalWriter writer(QStringLiteral("doc"));
    const int id = writer.getDocumentID();
    writer.openNode(QStringLiteral("a"), id);
    writer.openNode(QStringLiteral("b"), id);
    writer.addText(QStringLiteral("t"), id);
    const QByteArray expected = streamed("<doc>\n\t<a>\n\t\t<b>t</b>\n\t</a>\n</doc>\n");
    EXPECT_EQ(saveAs(writer, path("first.xml")), expected);
    EXPECT_FALSE(writer.closeNode(id)) << "the document is ended";
    EXPECT_TRUE(writer.openNode(QStringLiteral("late"), id));
    EXPECT_TRUE(writer.closeNode(id));
    EXPECT_FALSE(writer.closeNode(id));
    QFile longer(path("second.xml"));
    ASSERT_TRUE(longer.open(QIODevice::WriteOnly) && longer.write(QByteArray(4096, 'j')) == 4096);
    longer.close();
    EXPECT_EQ(saveAs(writer, path("second.xml")), expected);
    EXPECT_EQ(saveAs(writer, path("third.xml")), QByteArray("refused: "));
}

// Any other device is refused before anything is ended, so the caller can
// still save elsewhere.
TEST_F(Writers, FileWriterSavesOnlyToAFile)
{
    RurUrOroIncrementalWriter writer(QStringLiteral("doc"));
    writer.openNode(QStringLiteral("a"), writer.getDocumentID());
    QBuffer notAFile;
    notAFile.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writer.save(&notAFile, writer.getDocumentID()));
    EXPECT_TRUE(notAFile.isOpen() && notAFile.data().isEmpty());
    writer.openNode(QStringLiteral("b"), writer.getDocumentID());
    // A destination removed after it was opened is made again.
    QFile vanishing(path("vanishing.xml"));
    ASSERT_TRUE(vanishing.open(QIODevice::WriteOnly | QIODevice::Text) && QFile::remove(vanishing.fileName()));
    EXPECT_TRUE(writer.save(&vanishing, writer.getDocumentID()));
    EXPECT_EQ(readFile(vanishing.fileName()), streamed("<doc>\n\t<a>\n\t\t<b/>\n\t</a>\n</doc>\n"));
}

TEST_F(Writers, FileWriterFailsCleanlyWhereNoTemporaryFileCanBeMade)
{
    ASSERT_TRUE(QFile(path("blocker")).open(QIODevice::WriteOnly));
    const QStringList inRootBefore = QDir::root().entryList({QStringLiteral("qt_temp.*")});
    for (const char* tempDir : {"missing", "blocker"}) {
        qputenv("TMPDIR", QFile::encodeName(path(tempDir)));
        RurUrOroIncrementalWriter writer(QStringLiteral("doc"));
        for (int i = 0; i < 5000; ++i) {
            writer.openNode(QStringLiteral("item"), writer.getDocumentID());
            writer.closeNode(writer.getDocumentID());
        }
        EXPECT_EQ(saveAs(writer, path("out.xml")), QByteArray("refused: <unreadable>")) << tempDir;
    }
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("blocker"), QStringLiteral("tmp")}));
    EXPECT_EQ(QDir::root().entryList({QStringLiteral("qt_temp.*")}), inRootBefore);
}

// The bytes are a snapshot, even inside an open start tag. Save only ends the
// text and leaves the device alone; a second ending adds a line break.
TEST(BufferWriter, SnapshotsAndEndings)
{
    RurUrOroBufferWriter writer(QStringLiteral("doc"));
    const int id = writer.getDocumentID();
    writer.openNode(QStringLiteral("item"), id);
    const QByteArray insideStartTag = writer.documentToByteArray();
    writer.addAttribute(QStringLiteral("a"), QStringLiteral("1"), id);
    const QByteArray withAttribute = writer.documentToByteArray();
    writer.addText(QStringLiteral("text"), id);
    EXPECT_EQ(insideStartTag, streamed("<doc>\n\t<item"));
    EXPECT_EQ(withAttribute, streamed("<doc>\n\t<item a=\"1\""));
    EXPECT_EQ(writer.documentToByteArray(), streamed("<doc>\n\t<item a=\"1\">text"));

    EXPECT_TRUE(writer.closeNode(id) && writer.closeNode(id));
    EXPECT_FALSE(writer.closeNode(id));
    const QByteArray ended = writer.documentToByteArray();
    EXPECT_EQ(ended, streamed("<doc>\n\t<item a=\"1\">text</item>\n</doc>\n"));
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
