// What becomes of staged text when there is nowhere to put it.
#include "rururorostreamwriter.h"

#include <gtest/gtest.h>

namespace {

const int threshold = 102400;

template <typename Writer>
void tabbed(Writer& writer)
{
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(-1);
}

TEST(StagingArea, DropsWhatIsFlushedWhileTheTargetIsClosedAndWritesNothingAfterTheEnd)
{
    QByteArray plainText;
    QXmlStreamWriter plain(&plainText);
    QBuffer target;
    RurUrOroStreamWriter staged;
    tabbed(plain);
    tabbed(staged);
    staged.setTarget(&target);
    staged.startDocument();
    plain.writeStartDocument();
    staged.writeStartElement(QStringLiteral("doc"));
    plain.writeStartElement(QStringLiteral("doc"));
    auto element = [&](const QString& name, const QString& text) {
        staged.writeStartElement(name);
        plain.writeStartElement(name);
        staged.writeCharacters(text);
        plain.writeCharacters(text);
        staged.writeEndElement();
        plain.writeEndElement();
    };

    element(QStringLiteral("lost"), QString(threshold, QLatin1Char('y')));
    const int dropped = plainText.size();
    target.open(QIODevice::WriteOnly);
    element(QStringLiteral("kept"), QStringLiteral("<1>"));
    staged.finishDocument();
    plain.writeEndDocument();
    EXPECT_EQ(target.buffer(), plainText.mid(dropped));

    const QByteArray ended = target.buffer();
    element(QStringLiteral("late"), QString(2 * threshold, QLatin1Char('z')));
    staged.finishDocument();
    EXPECT_EQ(target.buffer(), ended);
}

} // namespace
