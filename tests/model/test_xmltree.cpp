// The xmltree viewer, run as a user would, on an offscreen display.
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Xmltree : public ::testing::Test {
protected:
    // Runs the viewer on `xml` with a screenshot into the temporary directory.
    int run(const QString& xml)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(XMLTREE_PATH), {xml, QStringLiteral("--screenshot"), png});
        EXPECT_TRUE(process.waitForFinished(60000));
        out = QString::fromLocal8Bit(process.readAllStandardOutput());
        err = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("shot.png"));
    QString out, err;
};

TEST_F(Xmltree, ScreenshotShowsTheCatalogsTopLevelNodes)
{
    ASSERT_EQ(run(QStringLiteral(SAMPLES_DIR "/catalog.xml")), 0) << qPrintable(err);
    EXPECT_EQ(out, QStringLiteral("top-level rows: 4\n")) << "the comment, two books and the magazine";
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < 2; ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 1) << "blank screenshot";
}

TEST_F(Xmltree, RefusesMalformedXmlWithItsPosition)
{
    const QString xml = dir.filePath(QStringLiteral("broken.xml"));
    QFile file(xml);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<a>\n<b></a>\n");
    file.close();
    EXPECT_EQ(run(xml), 1);
    EXPECT_TRUE(err.contains(xml + QStringLiteral(":2:"))) << qPrintable(err);
    EXPECT_FALSE(QFile::exists(png));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
