// Document IDs, live counters and the DOM position record.
#include "rururorodoc.h"

#include <QDomDocument>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using Doc = std::unique_ptr<RurUrOroDoc>;

Doc makeDoc()
{
    return std::make_unique<RurUrOroDoc>();
}

class DocumentIds : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RurUrOroDoc::counter().value(), 0u); }
};

TEST_F(DocumentIds, CountUpFromOneAndReuseTheNewestAfterRemoval)
{
    Doc one = makeDoc(), two = makeDoc(), three = makeDoc();
    EXPECT_EQ(one->getDocumentID(), 1);
    EXPECT_EQ(two->getDocumentID(), 2);
    EXPECT_EQ(three->getDocumentID(), 3);
    three.reset();
    Doc again = makeDoc();
    EXPECT_EQ(again->getDocumentID(), 3);
}

TEST_F(DocumentIds, NeverIssueAnIdThatALiveDocumentHolds)
{
    Doc one = makeDoc(), two = makeDoc();
    one.reset();
    Doc next = makeDoc();
    EXPECT_NE(next->getDocumentID(), two->getDocumentID());
    EXPECT_GE(next->getDocumentID(), 1);
    Doc another = makeDoc();
    std::vector<int> ids = {two->getDocumentID(), next->getDocumentID(), another->getDocumentID()};
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "duplicate live ID";
}

TEST_F(DocumentIds, StayBoundedUnderChurn)
{
    Doc keep = makeDoc();
    for (int i = 0; i < 1000; ++i) {
        Doc a = makeDoc(), b = makeDoc();
        a.reset();
        EXPECT_LE(b->getDocumentID(), 3);
    }
}

TEST(LiveCounters, LoweringBelowZeroThrowsTheFaultText)
{
    LiveCounter counter("Widget: Something is very wrong !!!");
    counter.raise();
    EXPECT_EQ(counter.lower(), 0u);
    try {
        counter.lower();
        FAIL() << "no fault thrown";
    } catch (QString* fault) {
        EXPECT_EQ(*fault, QStringLiteral("Widget: Something is very wrong !!!"));
        delete fault;
    }
}

TEST(LiveCounters, DocumentsAndEntitiesAreCounted)
{
    const quint32 entitiesBefore = RurUrOroEntity::counter().value();
    {
        QXmlStreamReader reader;
        RurUrOroEntity streamEntity(&reader, QStringLiteral("item"));
        RurUrOroEntity domEntity(nullptr);
        EXPECT_EQ(RurUrOroEntity::counter().value(), entitiesBefore + 2);
        EXPECT_EQ(streamEntity.name, QStringLiteral("item"));
        EXPECT_EQ(streamEntity.domNode, nullptr);
        EXPECT_TRUE(domEntity.name.isNull());
        EXPECT_FALSE(domEntity.traversionComplete);
    }
    EXPECT_EQ(RurUrOroEntity::counter().value(), entitiesBefore);
}

TEST(Entities, ReleasingFreesTheirOwnRecord)
{
    QDomDocument doc;
    doc.setContent(QStringLiteral("<a/>"));
    auto* record = new VDomNode();
    record->node = doc.documentElement();
    auto* entity = new RurUrOroEntity(record);
    EXPECT_EQ(entity->name, QStringLiteral("a"));
    const quint32 before = RurUrOroEntity::counter().value();
    releaseEntity(entity);  // leak checkers catch a record left behind
    releaseEntity(nullptr);
    EXPECT_EQ(RurUrOroEntity::counter().value(), before - 1);
}

class PositionRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(doc.setContent(QStringLiteral("<a x='1'><b/><c/></a>")));
        element = doc.documentElement();
    }
    QDomDocument doc;
    QDomElement element;
};

TEST_F(PositionRecords, AssignmentCopiesAllButTheCompleteFlag)
{
    VDomNode outer;
    VDomNode source(&outer);
    source.node = element;
    source.opened = true;
    source.childIndex = 1;
    source.attributeIndex = 1;
    source.children = element.childNodes();
    source.attributes = element.attributes();
    source.complete = true;

    VDomNode target;
    target = source;
    EXPECT_EQ(target.node, element);
    EXPECT_EQ(target.childIndex, 1);
    EXPECT_EQ(target.attributeIndex, 1);
    EXPECT_TRUE(target.opened);
    EXPECT_EQ(target.parent, &outer);
    EXPECT_EQ(target.children.count(), 2);
    EXPECT_EQ(target.attributes.count(), 1);
    EXPECT_FALSE(target.complete);

    VDomNode finished;
    finished.complete = true;
    finished = VDomNode();
    EXPECT_TRUE(finished.complete);
}

TEST_F(PositionRecords, EqualityIgnoresCompleteAndParent)
{
    VDomNode outer;
    VDomNode left, right(&outer);
    left.node = right.node = element;
    right.complete = true;
    EXPECT_TRUE(left == right);

    right.childIndex = 0;
    EXPECT_FALSE(left == right);
    right.childIndex = left.childIndex;
    right.opened = true;
    EXPECT_FALSE(left == right);
    right.opened = false;
    right.node = element.firstChild();
    EXPECT_FALSE(left == right);
    right.node = element;
    right.attributes = element.attributes();
    EXPECT_FALSE(left == right);

    // Lists an opened record has not loaded stand for its node's own.
    VDomNode loadedLists, unloaded;
    loadedLists.node = unloaded.node = element;
    loadedLists.opened = unloaded.opened = true;
    loadedLists.children = element.childNodes();
    loadedLists.attributes = element.attributes();
    EXPECT_TRUE(loadedLists == unloaded);
    loadedLists.children = element.firstChild().childNodes();
    EXPECT_FALSE(loadedLists == unloaded);
}

TEST_F(PositionRecords, StartBlank)
{
    VDomNode blank;
    EXPECT_EQ(blank.childIndex, -1);
    EXPECT_EQ(blank.attributeIndex, -1);
    EXPECT_FALSE(blank.opened);
    EXPECT_FALSE(blank.complete);
    EXPECT_TRUE(blank.node.isNull());
    EXPECT_EQ(blank.parent, nullptr);
}

} // namespace
