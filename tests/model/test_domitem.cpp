// DomItem: ownership of children, rows by position, copies.
#include "domitem.h"

#include <QDomDocument>
#include <gtest/gtest.h>

namespace {

// Counts live instances, so a missed or repeated delete shows as a wrong count.
struct CountedItem : DomItem {
    static int live;
    explicit CountedItem(QDomNode& node) : DomItem(node, 7, nullptr) { ++live; }
    ~CountedItem() override { --live; }
};
int CountedItem::live = 0;

class DomItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(document.setContent(QStringLiteral("<r><a/></r>")));
        node = document.documentElement();
        CountedItem::live = 0;
    }
    void TearDown() override { EXPECT_EQ(CountedItem::live, 0); }
    CountedItem* make() { return new CountedItem(node); }

    QDomDocument document;
    QDomNode node;
};

// Insertions outside the list are clamped to its ends, so every item is kept.
TEST_F(DomItems, RowIsThePositionInTheParent)
{
    CountedItem root(node);
    CountedItem *first = make(), *second = make(), *front = make(), *before = make(), *after = make();
    EXPECT_EQ(first->row(), 0) << "no parent, whatever the constructor was given";
    const std::pair<int, CountedItem*> insertions[] = {{0, first}, {1, second}, {0, front}, {-5, before}, {99, after}};
    for (const auto& [row, item] : insertions)
        root.insertChild(row, item);
    const CountedItem* order[] = {before, front, first, second, after};
    for (int row = 0; row < 5; ++row) {
        ASSERT_EQ(root.child(row), order[row]);
        EXPECT_EQ(root.child(row)->row(), row);
    }
    EXPECT_EQ(root.child(-1), nullptr);
    EXPECT_EQ(root.child(5), nullptr);

    DomItem unlisted(node, 0, &root);
    EXPECT_EQ(unlisted.row(), -1);
    unlisted.node() = node.firstChild();
    EXPECT_EQ(unlisted.node().nodeName(), QStringLiteral("a")) << "node() is the item's own handle";
}

TEST_F(DomItems, OwnTheirSubtreeAndDeleteEachItemOnce)
{
    auto* root = make();
    for (int i = 0; i < 3; ++i) {
        root->insertChild(i, make());
        root->child(i)->insertChild(0, make());
    }
    root->removeChild(-1);
    root->removeChild(3);
    EXPECT_EQ(CountedItem::live, 7) << "out-of-range removals do nothing";
    DomItem* last = root->child(2);
    root->removeChild(1);
    EXPECT_EQ(CountedItem::live, 5) << "the removed child goes with its own child";
    EXPECT_EQ(last->row(), 1);
    delete root;
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
        EXPECT_EQ(copy.row(), -1) << "the parent does not list the copy";
        ASSERT_NE(copy.child(0), nullptr);
        EXPECT_NE(copy.child(0), original->child(0));
        EXPECT_EQ(copy.child(0)->parent(), &copy);
        EXPECT_NE(copy.child(0)->child(0), nullptr);
    }
    DomItem assigned(node, 0);
    assigned.insertChild(0, make());
    assigned = *original;
    EXPECT_EQ(CountedItem::live, 4) << "the copies freed their own children only";
    EXPECT_EQ(assigned.child(0)->parent(), &assigned);
    assigned = assigned;
    assigned = *assigned.child(0);
    ASSERT_NE(assigned.child(0), nullptr) << "assigned from its own child";
    EXPECT_EQ(assigned.child(0)->child(0), nullptr);
}

} // namespace
