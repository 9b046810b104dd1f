// What becomes of staged text when there is nowhere to put it, and whether it
// all reached the target.
#include "full_device.h"
#include "rururorostreamwriter.h"

#include <gtest/gtest.h>

namespace {

const int threshold = 102400;

TEST(StagingArea, DropsWhatIsFlushedWhileTheTargetIsClosedAndWritesNothingAfterTheEnd)
{
    QByteArray plainText;
    QXmlStreamWriter plain(&plainText);
    QBuffer target;
    RurUrOroStreamWriter staged;
    staged.setTarget(&target);
    const auto both = [&](const auto& write) {
        write(staged);
        write(plain);
    };
    const auto element = [&](const char* name, const QString& text) {
        both([&](auto& w) { w.writeStartElement(QString::fromLatin1(name)); w.writeCharacters(text); w.writeEndElement(); });
    };
    both([](auto& w) { w.setAutoFormatting(true); w.setAutoFormattingIndent(-1); });
    staged.startDocument();
    plain.writeStartDocument();
    both([](auto& w) { w.writeStartElement(QStringLiteral("doc")); });
    element("lost", QString(threshold, QLatin1Char('y')));
    const int dropped = plainText.size();
    target.open(QIODevice::WriteOnly);
    element("kept", QStringLiteral("<1>"));
    staged.finishDocument();
    plain.writeEndDocument();
    EXPECT_EQ(target.buffer(), plainText.mid(dropped));

    const QByteArray ended = target.buffer();
    element("late", QString(2 * threshold, QLatin1Char('z')));
    staged.finishDocument();
    EXPECT_EQ(target.buffer(), ended);
    EXPECT_FALSE(staged.handedOverEverything());
}

// A piece the target takes only in part is text lost, as is one it refuses.
TEST(StagingArea, TellsWhetherEveryPieceReachedTheTarget)
{
    FullDevice roomy(2 * threshold), full(threshold);
    for (FullDevice* target : {&roomy, &full}) {
        RurUrOroStreamWriter staged;
        staged.setTarget(target);
        staged.startDocument();
        staged.writeStartElement(QStringLiteral("doc"));
        staged.writeStartElement(QStringLiteral("big"));
        staged.writeCharacters(QString(threshold, QLatin1Char('y')));
        staged.writeEndElement();
        staged.finishDocument();
        EXPECT_EQ(staged.handedOverEverything(), target == &roomy);
    }
}

} // namespace
