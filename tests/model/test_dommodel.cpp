// DomModel's own shape and quirks, and Qt's model tester over the node tree model.
#include "dommodel.h"
#include "nodetreemodel.h"

#include <QAbstractItemModelTester>
#include <QDomElement>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QDomDocument parse(const QString& text)
{
    QDomDocument document;
    EXPECT_TRUE(document.setContent(text)) << qPrintable(text);
    return document;
}

// Fills row 0 of the root only, as a host that supplies some items would.
struct OneChildModel : DomModel {
    using DomModel::DomModel;
    DomItem* createDomItem(QDomElement& element) override
    {
        ++created;
        DomItem* root = DomModel::createDomItem(element);
        QDomNode first = element.firstChild();
        root->insertChild(0, new DomItem(first, 0, root));
        return root;
    }
    int created = 0;
};

TEST(DomModel, AnnouncesEveryChildNodeButIndexesOnlyInsertedItems)
{
    QDomDocument document = parse(QStringLiteral("<root>text<!--note--><a/><b x='1'/><c/></root>"));
    OneChildModel model(document);
    EXPECT_EQ(model.rowCount(), 5) << "text and comment nodes count as rows";
    EXPECT_FALSE(model.index(0, 0).isValid());

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    int rowsWhenAnnounced = -1;
    QObject::connect(&model, &QAbstractItemModel::modelAboutToBeReset, [&] { rowsWhenAnnounced = model.rowCount(); });
    QDomDocument next = parse(QStringLiteral("<other><a><x/></a><!--note--></other>"));
    model.setDocument(next);
    EXPECT_EQ(rowsWhenAnnounced, 2) << "the root is exchanged before the reset is announced";
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.created, 1);
    const QModelIndex first = model.index(0, 0);
    ASSERT_TRUE(first.isValid() && model.index(0, 1).isValid());
    EXPECT_EQ(static_cast<DomItem*>(first.internalPointer())->node().nodeName(), QStringLiteral("a"));
    EXPECT_FALSE(model.index(1, 0).isValid()) << "no item for the comment";
    EXPECT_EQ(model.rowCount(first), 1);
    EXPECT_EQ(model.flags(first), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    EXPECT_EQ(model.document(), next);
    next.documentElement().appendChild(next.createElement(QStringLiteral("d")));
    EXPECT_EQ(model.rowCount(), 3) << "the model shares the caller's document";

    QDomDocument empty;
    model.setDocument(empty);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(NodeTreeModel, PassesQtsModelTesterOnEveryDocumentAndAcrossResets)
{
    QFile file(QStringLiteral(SAMPLES_DIR "/catalog.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QDomDocument documents[4];
    ASSERT_TRUE(documents[0].setContent(&file));
    documents[1] = parse(QStringLiteral(
        "<?xml version='1.0'?><!DOCTYPE page [<!ENTITY co 'Acme'>]><html xmlns='http://www.w3.org/1999/xhtml'>"
        "<body><p>Made by &co; <b>now</b> and <i>then</i>.</p><?render fast?><hr/></body></html>"));
    documents[2] = parse(QStringLiteral(
        "<config version='2'><!-- defaults --><section name='net'><port>80</port>"
        "<host><![CDATA[a<b]]></host></section><section name='ui'/></config>"));

    NodeTreeModel model(documents[0]);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (QDomDocument& document : documents)
        model.setDocument(document);
    model.setDocument(documents[0]);

    ASSERT_EQ(model.rowCount(), 4) << "comment, two books and a magazine";
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("#comment"));
    EXPECT_EQ(model.index(1, 1).data().toString(), QStringLiteral("id=\"b1\" lang=\"en\""));
    const QModelIndex title = model.index(0, 0, model.index(1, 0));
    EXPECT_EQ(title.data().toString(), QStringLiteral("title"));
    EXPECT_EQ(model.index(0, 1, title).data().toString(), QStringLiteral("Gardening for Small Spaces"));
}

} // namespace
