// The document manager: IDs, the working document, loading paths with their
// device ownership, and forwarding by document kind.
#include "genqtdomdocument.h"
#include "qtxmlmanager.h"
#include "rururorobufferwriter.h"
#include "rururoroincrementalreader.h"
#include "rururoroincrementalwriter.h"

#include <QBuffer>
#include <QPointer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// An open device whose destruction the test can watch.
QPointer<QBuffer> openBuffer(const char* text)
{
    auto* buffer = new QBuffer;
    buffer->setData(text);
    buffer->open(QIODevice::ReadOnly | QIODevice::Text);
    return buffer;
}

// The text of the not-supported error `call` throws, or a null string.
QString refusal(const std::function<void()>& call)
{
    try {
        call();
    } catch (QString* text) {
        const QString copy = *text;
        delete text;
        return copy;
    }
    return QString();
}

QString notSupported(const char* operation)
{
    return QStringLiteral("QtXmlManager: %1(...) is not supported for this document type.")
        .arg(QLatin1String(operation));
}

// Each test has a manager of its own; its documents go with it.
class Manager : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RurUrOroDoc::counter().value(), 0u) << "documents left by another test"; }

    int create(bool incrementalWriter = false)
    {
        int docID = -1;
        EXPECT_NE(manager.createDocument(&docID, incrementalWriter, QStringLiteral("r")), nullptr);
        return docID;
    }
    int createBuffer()
    {
        int docID = -1;
        EXPECT_NE(manager.createBufferWriter(&docID, QString()), nullptr);
        return docID;
    }
    int loadReader(const char* text)
    {
        int docID = -1;
        EXPECT_TRUE(manager.load(openBuffer(text), &docID, nullptr, nullptr, false, true));
        return docID;
    }

    QtXmlManager manager;
};

TEST_F(Manager, TheProcessWideInstanceStartsEmpty)
{
    QtXmlManager* instance = QtXmlManager::instance();
    EXPECT_EQ(instance, QtXmlManager::instance());
    EXPECT_EQ(instance->getWorkingDocument(), -1);
    EXPECT_EQ(instance->findDocument(1), nullptr);
}

TEST_F(Manager, IdsAndTheWorkingDocumentFollowCreationAndRemoval)
{
    EXPECT_EQ(manager.getWorkingDocument(), -1);
    const int dom = create(), writer = create(true), buffer = createBuffer();
    EXPECT_EQ(dom, 1);
    EXPECT_EQ(writer, 2);
    EXPECT_EQ(buffer, 3);
    EXPECT_EQ(manager.getWorkingDocument(), buffer);
    EXPECT_NE(dynamic_cast<GenQtDomDocument*>(manager.findDocument(dom)), nullptr);
    EXPECT_NE(dynamic_cast<RurUrOroIncrementalWriter*>(manager.findDocument(writer)), nullptr);
    EXPECT_NE(dynamic_cast<RurUrOroBufferWriter*>(manager.findDocument(buffer)), nullptr);

    EXPECT_EQ(manager.removeDocument(buffer), buffer);
    EXPECT_EQ(manager.getWorkingDocument(), -1);
    EXPECT_FALSE(manager.documentExist(buffer));
    EXPECT_EQ(create(), 3);

    manager.setWorkingDocument(writer);
    EXPECT_EQ(manager.removeDocument(-1), -1);
    EXPECT_EQ(manager.removeDocument(42), -1);
    EXPECT_EQ(manager.getWorkingDocument(), writer) << "nothing removed, nothing changed";
    EXPECT_EQ(manager.removeDocument(dom), dom);
    EXPECT_EQ(manager.getWorkingDocument(), -1) << "removing a document that was not working";

    manager.setWorkingDocument(writer);
    manager.setWorkingDocument(42);
    EXPECT_EQ(manager.getWorkingDocument(), -1);
    manager.setWorkingDocument(writer);
    manager.setWorkingDocument(-1);
    EXPECT_EQ(manager.getWorkingDocument(), -1);
}

TEST_F(Manager, IncrementalLoadKeepsTheDeviceOpenAndTheWorkingDocument)
{
    const int dom = create();
    QPointer<QBuffer> device = openBuffer("<a><b></a>");
    int docID = -1;
    ASSERT_TRUE(manager.load(device, &docID, nullptr, nullptr, false, true));
    EXPECT_NE(dynamic_cast<RurUrOroIncrementalReader*>(manager.findDocument(docID)), nullptr);
    EXPECT_EQ(manager.getWorkingDocument(), dom);
    ASSERT_FALSE(device.isNull());
    EXPECT_TRUE(device->isOpen());
    manager.removeDocument(docID);
    EXPECT_TRUE(device.isNull()) << "the reader did not release its device";
}

TEST_F(Manager, DomLoadClosesTheDeviceAndRegistersOnlyOnSuccess)
{
    QPointer<QBuffer> device = openBuffer("<a x=\"1\"/>");
    int docID = -1, line = -5, column = -5;
    ASSERT_TRUE(manager.load(device, &docID, &line, &column, true, false));
    EXPECT_TRUE(device.isNull());
    EXPECT_EQ(manager.getWorkingDocument(), docID);
    EXPECT_EQ(line, -5) << "positions are written only on failure";
    EXPECT_NE(dynamic_cast<GenQtDomDocument*>(manager.findDocument(docID)), nullptr);

    device = openBuffer("<a>\n<b>\n</c>");
    int failedID = 7;
    EXPECT_FALSE(manager.load(device, &failedID, &line, &column, false, false));
    EXPECT_TRUE(device.isNull());
    EXPECT_EQ(failedID, -1);
    EXPECT_EQ(line, 3);
    EXPECT_GT(column, 0);
    EXPECT_EQ(manager.getWorkingDocument(), -1);
    EXPECT_EQ(RurUrOroDoc::counter().value(), 1u) << "the half-made document is still alive";

    int untouched = 7;
    EXPECT_FALSE(manager.load(nullptr, &untouched, nullptr, nullptr, false, false));
    EXPECT_EQ(untouched, -1);
}

TEST_F(Manager, ReadingOperationsOnWritersFailAndLeaveTheWorkingDocument)
{
    const int dom = create();
    for (const int writer : {create(true), createBuffer()}) {
        manager.setWorkingDocument(dom);
        int type = 0;
        QString name, value;
        int depth = 0;
        bool end = false;
        RurUrOroEntity entity(nullptr);
        EXPECT_EQ(manager.beginTraversion(QString(), writer), nullptr);
        EXPECT_EQ(manager.getNextEntity(&type, &name, &value, &depth, &end, writer), nullptr);
        EXPECT_EQ(manager.getNextChildNode(&entity, &name, &depth, writer), nullptr);
        EXPECT_FALSE(manager.closeExistingNode(&entity, &depth, writer));
        EXPECT_FALSE(manager.getNamedAttribute(&entity, QStringLiteral("x"), &value, false, writer));
        EXPECT_EQ(manager.getAttributeCount(&entity, writer), 0);
        EXPECT_TRUE(manager.getNodeText(&entity, writer).isNull());
        EXPECT_EQ(manager.getLineNumber(writer), -1);
        manager.endTraversion(writer);
        EXPECT_FALSE(manager.openLevel(writer));
        EXPECT_EQ(manager.charactersOffset(writer), 0);
        EXPECT_EQ(manager.getWorkingDocument(), dom);
    }
}

TEST_F(Manager, WritingOperationsReachWritersOnlyAndNeverSelect)
{
    const int reader = loadReader("<a/>");
    const int dom = create();
    manager.setWorkingDocument(reader);
    EXPECT_FALSE(manager.openNode(QStringLiteral("x"), reader));
    EXPECT_FALSE(manager.addAttribute(QStringLiteral("x"), QString(), reader));
    EXPECT_FALSE(manager.addText(QStringLiteral("x"), reader));
    EXPECT_FALSE(manager.closeNode(reader));
    EXPECT_TRUE(manager.openNode(QStringLiteral("x"), dom));
    EXPECT_TRUE(manager.addAttribute(QStringLiteral("k"), QStringLiteral("v"), dom));
    EXPECT_TRUE(manager.closeNode(dom));
    EXPECT_EQ(manager.getWorkingDocument(), reader);
    EXPECT_FALSE(manager.openNode(QStringLiteral("x"), 42));
}

TEST_F(Manager, ReadingOperationsSelectTheirDocumentWhateverTheyAnswer)
{
    const int dom = create();
    const int reader = loadReader("<a><b/></a>");
    manager.setWorkingDocument(reader);
    manager.endTraversion(dom);
    EXPECT_EQ(manager.getWorkingDocument(), dom);
    EXPECT_EQ(manager.getAttributeCount(nullptr, reader), 0);
    EXPECT_EQ(manager.getWorkingDocument(), reader);
    bool more = true;
    EXPECT_FALSE(manager.elementHasMoreChildren(&more, reader));
    EXPECT_EQ(manager.getWorkingDocument(), reader) << "a reader has no DOM cursor";
    manager.elementHasMoreAttributes(&more, dom);
    EXPECT_EQ(manager.getWorkingDocument(), dom);
    EXPECT_EQ(manager.getLineNumber(42), -1);
    EXPECT_EQ(manager.getWorkingDocument(), dom);
}

TEST_F(Manager, KindSpecificOperationsRefuseOtherKinds)
{
    const int dom = create();
    const int buffer = createBuffer();
    const int reader = loadReader("<a><b/></a>");
    manager.setWorkingDocument(dom);
    int depth = 0;

    EXPECT_EQ(manager.getNamedNode(nullptr, QStringLiteral("b"), &depth, reader), nullptr);
    EXPECT_EQ(manager.getWorkingDocument(), dom) << "a null parent is refused before the lookup";
    RurUrOroEntity* start = manager.beginTraversion(QString(), reader);
    ASSERT_NE(start, nullptr);
    manager.setWorkingDocument(dom);
    EXPECT_EQ(refusal([&] { manager.getNamedNode(start, QStringLiteral("b"), &depth, reader); }),
              notSupported("getNamedNode"));
    EXPECT_EQ(manager.getWorkingDocument(), reader);
    releaseEntity(start);

    manager.setWorkingDocument(buffer);
    EXPECT_EQ(refusal([&] { manager.documentToString(reader); }), notSupported("documentToString"));
    EXPECT_EQ(refusal([&] { manager.documentToByteArray(dom); }), notSupported("documentToByteArray"));
    EXPECT_TRUE(manager.documentToString(42).isNull());
    EXPECT_TRUE(manager.documentToByteArray(42).isEmpty());
    EXPECT_EQ(manager.documentToString(dom), QStringLiteral("<r/>\n"));
    EXPECT_TRUE(manager.documentToByteArray(buffer).startsWith("<?xml"));
    EXPECT_EQ(manager.getWorkingDocument(), buffer);
}

TEST_F(Manager, CountsOffsetsAndSaving)
{
    int dom = -1;
    ASSERT_TRUE(manager.load(openBuffer("<r>text<x/></r>"), &dom, nullptr, nullptr, false, false));
    const int reader = loadReader("<a>text</a>");
    RurUrOroEntity* domStart = manager.beginTraversion(QString(), dom);
    RurUrOroEntity* readerStart = manager.beginTraversion(QString(), reader);
    ASSERT_NE(domStart, nullptr);
    ASSERT_NE(readerStart, nullptr);

    manager.setWorkingDocument(dom);
    EXPECT_EQ(manager.topLevelNodesCount(domStart, dom), 2);
    EXPECT_EQ(manager.topLevelNodesCount(nullptr, dom), 0);
    EXPECT_EQ(manager.topLevelNodesCount(domStart, reader), 0);
    EXPECT_EQ(manager.topLevelNodesCount(readerStart, reader), 0);
    EXPECT_EQ(manager.charactersOffset(dom), 0);
    EXPECT_GT(manager.charactersOffset(reader), 0);
    EXPECT_EQ(manager.getWorkingDocument(), dom);
    releaseEntity(readerStart);

    QBuffer target;
    target.open(QIODevice::WriteOnly);
    EXPECT_FALSE(manager.save(&target, reader));
    EXPECT_FALSE(manager.save(&target, 42));
    EXPECT_TRUE(manager.save(&target, dom));
    EXPECT_TRUE(target.isOpen()) << "the device stays the caller's";
    EXPECT_TRUE(target.data().startsWith("<?xml version='1.0' encoding='UTF-8'?>\n<r>"));
    EXPECT_EQ(manager.getWorkingDocument(), dom);
}

} // namespace
