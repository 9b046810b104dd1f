// The xmltree viewer, run as a user would, on an offscreen display.
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Runs the viewer on `xml` with a screenshot into `png`: the exit code, then what it printed.
QStringList run(const QString& xml, const QString& png)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(XMLTREE_PATH), {xml, QStringLiteral("--screenshot"), png});
    EXPECT_TRUE(process.waitForFinished(60000));
    const bool exited = process.exitStatus() == QProcess::NormalExit;
    return {QString::number(exited ? process.exitCode() : -1), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(Xmltree, ScreenshotShowsTheCatalogsTopLevelNodesAndMalformedXmlIsRefusedWithItsPosition)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("shot.png")), broken = dir.filePath(QStringLiteral("broken.xml"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("<a>\n<b></a>\n") > 0);
    file.close();
    const QStringList refused = run(broken, png);
    EXPECT_EQ(refused.mid(0, 2), QStringList({QStringLiteral("1"), QString()}));
    EXPECT_TRUE(refused.value(2).contains(broken + QStringLiteral(":2:"))) << qPrintable(refused.value(2));
    EXPECT_FALSE(QFile::exists(png));

    const QStringList shown = run(QStringLiteral(SAMPLES_DIR "/catalog.xml"), png);
    ASSERT_EQ(shown.value(0), QStringLiteral("0")) << qPrintable(shown.value(2));
    EXPECT_EQ(shown.value(1), QStringLiteral("top-level rows: 4\n")) << "the comment, two books and the magazine";
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < 2; ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 1) << "blank screenshot";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
