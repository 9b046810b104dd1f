// The file writer and the buffer writer: identical text for identical calls,
// the temporary file's life, saving, ending and taking the bytes.
#include "full_device.h"
#include "rururorobufferwriter.h"
#include "rururoroincrementalwriter.h"
#include "rururorosavetarget.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>

namespace {

using Writer = RurUrOroIncrementalWriterInterface;

QByteArray streamed(const char* afterDeclaration)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + QByteArray(afterDeclaration);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Saves as the C layer does; "refused: " marks a failed save.
QByteArray saveAs(RurUrOroDoc& document, const QString& path)
{
    RurUrOroSaveTarget target(QFile::encodeName(path));
    const bool saved = target.open() && document.save(target.device(), document.getDocumentID()) && target.commit();
    return (saved ? QByteArray() : QByteArray("refused: ")) + readFile(path);
}

// One entry of a catalog; the text of entry 300 alone is three times the staging area.
void entry(Writer& writer, int id, int i)
{
    writer.openNode(QStringLiteral("entry"), id);
    writer.addAttribute(QStringLiteral("id"), QString::number(i), id);
    writer.addText(i == 300 ? QString(3 * 102400, QLatin1Char('x')) : QStringLiteral("n %1").arg(i), id);
    writer.closeNode(id);
}

// Every test has a temporary directory of its own, so temporary files can be counted.
class Writers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(scratch.path()).mkdir(QStringLiteral("tmp")));
        qputenv("TMPDIR", QFile::encodeName(path("tmp")));
    }
    void TearDown() override { savedTempDir.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", savedTempDir); }

    QString path(const char* name) const { return scratch.filePath(QString::fromLatin1(name)); }
    // Temporary files this process holds, found through its descriptors since Qt
    // may leave one unnamed until its name is asked for; and any left in the directory.
    QStringList tempFiles() const
    {
        const QString dir = path("tmp/");
        QStringList found = QDir(dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System))
            if (fd.symLinkTarget().startsWith(dir))
                found << fd.absoluteFilePath();
        return found;
    }

    QTemporaryDir scratch;
    const QByteArray savedTempDir = qgetenv("TMPDIR");
};

TEST_F(Writers, GiveTheSameTextForTheSameCalls)
{
    const std::tuple<QString, std::function<void(Writer&, int)>, QByteArray> cases[] = {
        {QString(), [](Writer&, int) {}, streamed("<root/>\n")},
        {QStringLiteral("doc"),
         [](Writer& w, int id) {
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
         },
         streamed("<doc>\n\t<item note=\"a&lt;b &amp; &quot;c&quot;\">1 &lt; 2 &amp; 3 &gt; 0</item>\n\t<empty/>\n"
                  "\t<nested>\n\t\t<deeper lang=\"čeština\">Grüße ✓ 漢字 😀</deeper>\n\t</nested>\n</doc>\n")},
    };
    for (const auto& [root, build, expected] : cases) {
        RurUrOroIncrementalWriter file(root);
        RurUrOroBufferWriter buffer(root);
        build(file, file.getDocumentID());
        build(buffer, buffer.getDocumentID());
        EXPECT_EQ(saveAs(file, path("out.xml")), expected);
        EXPECT_TRUE(buffer.save(nullptr, buffer.getDocumentID()));
        EXPECT_EQ(buffer.documentToByteArray(), expected);
    }
}

// The file writer hands its text on only at element ends, in pieces larger than
// the staging area. The temporary file outlives a save, not the writer.
TEST_F(Writers, FileWriterStreamsALargeDocumentInPiecesThatAddUpToTheBufferWritersText)
{
    RurUrOroBufferWriter whole(QStringLiteral("catalog"));
    for (int i = 0; i < 13000; ++i)
        entry(whole, whole.getDocumentID(), i);
    ASSERT_TRUE(whole.closeNode(whole.getDocumentID()));
    int pieces = 0;
    {
        RurUrOroIncrementalWriter file(QStringLiteral("catalog"));
        const int id = file.getDocumentID();
        ASSERT_EQ(tempFiles().size(), 1);
        const QString temp = tempFiles().first();
        qint64 last = 0;
        for (int i = 0; i < 13000; ++i) {
            entry(file, id, i);
            const qint64 now = QFileInfo(temp).size();
            ASSERT_TRUE(now == last || now - last > 102400) << now - last;
            ASSERT_TRUE(now == 0 || whole.documentToByteArray().left(now).endsWith("</entry>"));
            pieces += now != last;
            last = now;
        }
        EXPECT_EQ(saveAs(file, path("big.xml")), whole.documentToByteArray());
        EXPECT_FALSE(tempFiles().isEmpty()) << "a saved document keeps its temporary file";
    }
    EXPECT_GE(pieces, 4);
    EXPECT_TRUE(tempFiles().isEmpty());
}

// Save closes what is open and ends the document; calls after the end open and
// close again, and a second ending is the last. Only the buffer writer's text goes on.
TEST_F(Writers, EndTheirDocumentTheSameWay)
{
    const QByteArray ended = streamed("<doc>\n\t<a>\n\t\t<b>t</b>\n\t</a>\n</doc>\n");
    RurUrOroIncrementalWriter file(QStringLiteral("doc"));
    RurUrOroBufferWriter buffer(QStringLiteral("doc"));
    const std::pair<Writer*, QByteArrayList> cases[] = {
        {&file, {ended, ended, "refused: <unreadable>"}},
        {&buffer, {"", "", "refused: <unreadable>"}},
    };
    for (const auto& [writer, saved] : cases) {
        auto& document = dynamic_cast<RurUrOroDoc&>(*writer);
        const int id = document.getDocumentID();
        writer->openNode(QStringLiteral("a"), id);
        writer->openNode(QStringLiteral("b"), id);
        writer->addText(QStringLiteral("t"), id);
        QByteArrayList saves{saveAs(document, path("first.xml"))};
        const std::vector<bool> calls{writer->closeNode(id), writer->openNode(QStringLiteral("late"), id),
                                      writer->closeNode(id), writer->closeNode(id)};
        saves << saveAs(document, path("second.xml")) << saveAs(document, path("third.xml"));
        EXPECT_EQ(saves, saved);
        EXPECT_EQ(calls, std::vector<bool>({false, true, true, false}));
    }
    EXPECT_EQ(buffer.documentToByteArray(), ended + "\n<late/>\n\n");
}

TEST(BufferWriter, TakesASnapshotEvenInsideAStartTag)
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
}

// Any open device takes the text, and a device that takes less fails the save.
// A file not yet opened is made when missing, never overwritten. Without a device
// to write to nothing is ended, so the caller can still save elsewhere.
TEST_F(Writers, FileWriterWritesThroughAnyOpenDeviceAndMakesOnlyMissingFiles)
{
    RurUrOroIncrementalWriter writer(QStringLiteral("doc"));
    const int id = writer.getDocumentID();
    writer.openNode(QStringLiteral("a"), id);
    QBuffer unopenedBuffer;
    EXPECT_FALSE(writer.save(nullptr, id));
    EXPECT_FALSE(writer.save(&unopenedBuffer, id));
    writer.openNode(QStringLiteral("b"), id);
    QSaveFile saveFile(path("saved.xml"));
    ASSERT_TRUE(saveFile.open(QIODevice::WriteOnly));
    EXPECT_TRUE(writer.save(&saveFile, id) && saveFile.commit());

    // Each save after the second needs a new opening, which adds nothing.
    QFile existing(path("saved.xml")), missing(path("missing.xml"));
    FullDevice full(20);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    std::vector<bool> saved;
    for (QIODevice* device : std::initializer_list<QIODevice*>{&existing, &missing, &full, &buffer}) {
        saved.push_back(writer.save(device, id));
        writer.openNode(QStringLiteral("late"), id);
    }
    EXPECT_EQ(saved, std::vector<bool>({false, true, false, true}));
    const QByteArray text = streamed("<doc>\n\t<a>\n\t\t<b/>\n\t</a>\n</doc>\n");
    EXPECT_EQ(readFile(saveFile.fileName()), text);
    EXPECT_EQ(readFile(missing.fileName()), text);
    EXPECT_EQ(buffer.data(), text);
}

// Without a temporary file the document goes nowhere and save fails, leaving no
// destination; nothing is made elsewhere.
TEST_F(Writers, FileWriterFailsCleanlyWhereNoTemporaryFileCanBeMade)
{
    ASSERT_TRUE(QFile(path("blocker")).open(QIODevice::WriteOnly));
    const QStringList inRootBefore = QDir::root().entryList({QStringLiteral("qt_temp.*")});
    for (const char* tempDir : {"missing", "blocker"}) {
        qputenv("TMPDIR", QFile::encodeName(path(tempDir)));
        RurUrOroIncrementalWriter writer(QStringLiteral("doc"));
        for (int i = 0; i < 5000; ++i)
            entry(writer, writer.getDocumentID(), i);
        EXPECT_EQ(saveAs(writer, path("out.xml")), QByteArray("refused: <unreadable>")) << tempDir;
    }
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("blocker"), QStringLiteral("tmp")}));
    EXPECT_EQ(QDir::root().entryList({QStringLiteral("qt_temp.*")}), inRootBefore);
}

} // namespace
