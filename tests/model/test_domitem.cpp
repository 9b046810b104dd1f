// DomItem: ownership of children, rows by position, copies.
#include "domitem.h"

#include <QDomDocument>
#include <QDomElement>
#include <gtest/gtest.h>

namespace {

// Counts live instances, so a missed or repeated delete shows as a wrong count
// (and as an error under the address sanitizer).
struct CountedItem : DomItem {
    static int live;
    explicit CountedItem(QDomNode& node, DomItem* parent = nullptr) : DomItem(node, 7, parent) { ++live; }
    ~CountedItem() override { --live; }
};
int CountedItem::live = 0;

class DomItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(document.setContent(QStringLiteral("<r><a/><b/><c/></r>")));
        node = document.documentElement();
        CountedItem::live = 0;
    }
    void TearDown() override { EXPECT_EQ(CountedItem::live, 0); }

    CountedItem* make(DomItem* parent = nullptr) { return new CountedItem(node, parent); }

    QDomDocument document;
    QDomNode node;
};

TEST_F(DomItems, RowIsThePositionInTheParentAndIgnoresTheConstructorArgument)
{
    CountedItem root(node);
    CountedItem* first = make(&root);
    EXPECT_EQ(first->row(), -1) << "the constructor does not insert";
    root.insertChild(0, first);
    CountedItem* second = make();
    EXPECT_EQ(second->row(), 0) << "no parent";
    root.insertChild(1, second);
    EXPECT_EQ(second->row(), 1);
    EXPECT_EQ(second->parent(), &root);

    CountedItem* front = make();
    root.insertChild(0, front);
    EXPECT_EQ(front->row(), 0);
    EXPECT_EQ(first->row(), 1);
    EXPECT_EQ(second->row(), 2);
    EXPECT_EQ(root.child(2), second);
    EXPECT_EQ(root.child(-1), nullptr);
    EXPECT_EQ(root.child(3), nullptr);
    EXPECT_EQ(root.row(), 0);
}

TEST_F(DomItems, OwnTheirSubtreeAndDeleteEachItemOnce)
{
    auto* root = make();
    for (int i = 0; i < 3; ++i) {
        auto* child = make();
        root->insertChild(i, child);
        child->insertChild(0, make());
    }
    ASSERT_EQ(CountedItem::live, 7);

    root->removeChild(-1);
    root->removeChild(3);
    EXPECT_EQ(CountedItem::live, 7) << "out-of-range removals do nothing";
    DomItem* last = root->child(2);
    root->removeChild(1);
    EXPECT_EQ(CountedItem::live, 5) << "the removed child goes with its own child";
    EXPECT_EQ(last->row(), 1);
    delete root;
}

TEST_F(DomItems, OutOfRangeInsertionsAreClampedAndStillOwned)
{
    CountedItem root(node);
    CountedItem* middle = make();
    root.insertChild(0, middle);
    CountedItem* before = make();
    CountedItem* after = make();
    root.insertChild(-5, before);
    root.insertChild(99, after);
    EXPECT_EQ(before->row(), 0);
    EXPECT_EQ(middle->row(), 1);
    EXPECT_EQ(after->row(), 2);
    EXPECT_EQ(after->parent(), &root);
}

TEST_F(DomItems, NodeIsTheItemsOwnHandle)
{
    CountedItem item(node);
    EXPECT_EQ(item.node(), node);
    item.node() = document.documentElement().firstChild();
    EXPECT_EQ(item.node().nodeName(), QStringLiteral("a"));
}

TEST_F(DomItems, CopiesHaveChildrenOfTheirOwn)
{
    CountedItem parent(node);
    CountedItem* original = make();
    parent.insertChild(0, original);
    original->insertChild(0, make());
    original->child(0)->insertChild(0, make());

    {
        DomItem copy(*original);
        EXPECT_EQ(copy.node(), original->node());
        EXPECT_EQ(copy.parent(), &parent);
        EXPECT_EQ(copy.row(), -1) << "the parent does not list the copy";
        ASSERT_NE(copy.child(0), nullptr);
        EXPECT_NE(copy.child(0), original->child(0));
        EXPECT_EQ(copy.child(0)->parent(), &copy);
        EXPECT_NE(copy.child(0)->child(0), nullptr);
    }
    EXPECT_EQ(CountedItem::live, 4) << "destroying the copy left the original's children alone";

    DomItem assigned(node, 0);
    assigned.insertChild(0, make());
    assigned = *original;
    EXPECT_EQ(CountedItem::live, 4) << "the previous children were deleted";
    EXPECT_EQ(assigned.child(0)->parent(), &assigned);

    assigned = assigned;
    ASSERT_NE(assigned.child(0), nullptr);
    assigned = *assigned.child(0);
    ASSERT_NE(assigned.child(0), nullptr) << "assigned from its own child";
    EXPECT_EQ(assigned.child(0)->child(0), nullptr);
}

} // namespace
