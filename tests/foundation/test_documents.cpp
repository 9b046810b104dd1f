// Document IDs, live counters and the DOM position record.
#include "rururorodoc.h"

#include <QDomDocument>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(DocumentIds, CountFromOneReuseTheNewestAndNeverCollide)
{
    ASSERT_EQ(RurUrOroDoc::counter().value(), 0u);
    std::unique_ptr<RurUrOroDoc> docs[3];
    for (auto& doc : docs)
        doc = std::make_unique<RurUrOroDoc>();
    const auto ids = [&] {
        QString text;
        for (auto& doc : docs)
            text += QString::number(doc->getDocumentID());
        return text;
    };
    EXPECT_EQ(ids(), QStringLiteral("123"));
    docs[2].reset();
    docs[2] = std::make_unique<RurUrOroDoc>();
    EXPECT_EQ(ids(), QStringLiteral("123"));
    docs[0].reset();
    docs[0] = std::make_unique<RurUrOroDoc>(); // the live count, 3, is held
    EXPECT_EQ(ids(), QStringLiteral("123"));
}

TEST(LiveCounters, CountEntitiesAndThrowTheFaultTextBelowZero)
{
    LiveCounter counter("Widget: Something is very wrong !!!");
    counter.raise();
    EXPECT_EQ(counter.lower(), 0u);
    try {
        counter.lower();
        ADD_FAILURE() << "no fault thrown";
    } catch (QString* fault) {
        EXPECT_EQ(*fault, QStringLiteral("Widget: Something is very wrong !!!"));
        delete fault;
    }

    const quint32 before = RurUrOroEntity::counter().value();
    QXmlStreamReader reader;
    auto* streamEntity = new RurUrOroEntity(&reader, QStringLiteral("item"));
    RurUrOroEntity blank(nullptr);
    EXPECT_EQ(RurUrOroEntity::counter().value(), before + 2);
    releaseEntity(streamEntity);
    EXPECT_EQ(RurUrOroEntity::counter().value(), before + 1);
}

// Every field of a record, `complete` and the parent last.
QString fields(const VDomNode& record)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
        .arg(record.childIndex).arg(record.attributeIndex).arg(record.opened).arg(record.node.nodeName())
        .arg(record.children.count()).arg(record.attributes.count()).arg(record.complete)
        .arg(record.parent ? QLatin1String("parent") : QLatin1String("none"));
}

TEST(PositionRecords, CopiesTakeAllButCompleteAndEqualityIgnoresCompleteAndParent)
{
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(QStringLiteral("<a x='1'><b/><c/></a>")));
    const QDomElement element = doc.documentElement();
    VDomNode outer, source(&outer), assigned, finished;
    source.node = element;
    source.opened = source.complete = true;
    source.childIndex = source.attributeIndex = 1;
    source.children = element.childNodes();
    source.attributes = element.attributes();
    assigned = source;
    finished.complete = true;
    finished = VDomNode();
    EXPECT_EQ(fields(assigned), QStringLiteral("1 1 1 a 2 1 0 parent"));
    EXPECT_EQ(fields(VDomNode(source)), fields(assigned));
    EXPECT_TRUE(finished.complete);

    // Lists an opened record has not loaded stand for its node's own.
    VDomNode same(source), unloaded;
    same.complete = true;
    same.parent = nullptr;
    unloaded.node = element;
    unloaded.opened = true;
    unloaded.childIndex = unloaded.attributeIndex = 1;
    EXPECT_TRUE(same == source && unloaded == source);
    VDomNode changed[] = {source, source, source, source, source, source};
    changed[0].childIndex = 0;
    changed[1].attributeIndex = 0;
    changed[2].opened = false;
    changed[3].node = element.firstChild();
    changed[4].children = element.firstChild().childNodes();
    changed[5].attributes = element.firstChild().attributes();
    for (const VDomNode& record : changed)
        EXPECT_FALSE(record == source) << qPrintable(fields(record));
}

} // namespace
