// The xmltree viewer, run as a user would with an offscreen display.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode;
    QString out;
    QString err;
};

Outcome xmltree(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(XMLTREE_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

int distinctColours(const QImage& image, int enough)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < enough; ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

TEST(Xmltree, ScreenshotShowsTheCatalogsTopLevelNodes)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("catalog.png"));
    const Outcome run = xmltree({QStringLiteral(SAMPLES_DIR "/catalog.xml"), QStringLiteral("--screenshot"), png});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    // The comment, two books and the magazine.
    EXPECT_EQ(run.out, QStringLiteral("top-level rows: 4\n"));
    QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(distinctColours(image, 16), 1) << "blank screenshot";
}

TEST(Xmltree, RefusesMalformedXmlWithItsPosition)
{
    QTemporaryDir dir;
    const QString xml = dir.filePath(QStringLiteral("broken.xml"));
    QFile file(xml);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<a>\n<b></a>\n");
    file.close();
    const QString png = dir.filePath(QStringLiteral("broken.png"));
    const Outcome run = xmltree({xml, QStringLiteral("--screenshot"), png});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(xml + QStringLiteral(":2:"))) << qPrintable(run.err);
    EXPECT_FALSE(QFile::exists(png));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
