// Where saved bytes go: a regular file is replaced whole or not at all, keeps its
// mode and owner, and is written in place where replacing it would lose a name or
// is not possible.
#include "rururorosavetarget.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SaveTarget : public ::testing::Test {
protected:
    QString path(const char* name) const { return scratch.filePath(QString::fromLatin1(name)); }
    QString write(const char* name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << name;
        return file.fileName();
    }
    static QByteArray read(const QString& name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    static bool save(const QString& name, const QByteArray& bytes)
    {
        RurUrOroSaveTarget target(QFile::encodeName(name));
        return target.open() && target.device()->write(bytes) == bytes.size() && target.commit();
    }
    static struct stat status(const QString& name)
    {
        struct stat found = {};
        EXPECT_EQ(::stat(QFile::encodeName(name).constData(), &found), 0) << qPrintable(name);
        return found;
    }
    QStringList entries(const char* directory = "") const
    {
        return QDir(path(directory)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir scratch;
};

// Until the commit the old content is all there is; a target dropped without
// one leaves it as it was. Either way nothing stays beside it.
TEST_F(SaveTarget, ReplacesARegularFileWholeOnlyWhenCommitted)
{
    const QString destination = write("doc.xml", "old");
    {
        RurUrOroSaveTarget target(QFile::encodeName(destination));
        ASSERT_TRUE(target.open());
        ASSERT_EQ(target.device()->write("dropped"), 7);
        EXPECT_EQ(entries().size(), 2) << "a new file beside";
    }
    EXPECT_EQ(read(destination), "old");
    EXPECT_EQ(entries(), QStringList(QStringLiteral("doc.xml")));

    RurUrOroSaveTarget target(QFile::encodeName(destination));
    ASSERT_TRUE(target.open());
    ASSERT_EQ(target.device()->write("new"), 3);
    ASSERT_TRUE(QFile::remove(destination)) << "removed meanwhile";
    EXPECT_TRUE(target.commit());
    EXPECT_EQ(read(destination), "new");
    EXPECT_EQ(entries(), QStringList(QStringLiteral("doc.xml")));
}

// A replaced file keeps its mode and owner; a new one gets what a plain open
// would give it under the umask.
TEST_F(SaveTarget, KeepsTheModeAndOwnerOfTheFileItReplaces)
{
    const mode_t savedMask = ::umask(027);
    const QString kept = write("kept.xml", "old");
    ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0604), 0);
    ASSERT_EQ(::chown(QFile::encodeName(kept).constData(), 1234, 5678), 0);
    EXPECT_TRUE(save(kept, "new"));
    EXPECT_TRUE(save(path("fresh.xml"), "new"));
    ::umask(savedMask);
    EXPECT_EQ(read(kept), "new");
    EXPECT_EQ(status(kept).st_mode & 07777, 0604u);
    EXPECT_EQ(status(kept).st_uid, 1234u);
    EXPECT_EQ(status(kept).st_gid, 5678u);
    EXPECT_EQ(status(path("fresh.xml")).st_mode & 07777, 0640u);
}

// A file with a second name is written in place, so both names see the new
// content; so is a writable file in a directory that takes no new file.
TEST_F(SaveTarget, WritesInPlaceWhereReplacingWouldLoseANameOrCannotBeDone)
{
    const QString first = write("first.xml", "old");
    ASSERT_EQ(::link(QFile::encodeName(first).constData(), QFile::encodeName(path("second.xml")).constData()), 0);
    EXPECT_TRUE(save(first, "new"));
    EXPECT_EQ(read(path("second.xml")), "new");
    EXPECT_EQ(status(path("second.xml")).st_nlink, 2u);

    ASSERT_TRUE(QDir(scratch.path()).mkdir(QStringLiteral("locked")));
    const QString inLocked = write("locked/doc.xml", "old");
    ASSERT_EQ(::chmod(QFile::encodeName(scratch.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(inLocked).constData(), 0666), 0);
    ::setfsuid(65534); // permission checks as nobody, for this thread
    const bool locked = !QFile(path("locked/probe")).open(QIODevice::WriteOnly);
    const bool saved = locked && save(inLocked, "new");
    ::setfsuid(::getuid());
    if (!locked)
        GTEST_SKIP() << "cannot take the right to write to a directory away";
    EXPECT_TRUE(saved);
    EXPECT_EQ(read(inLocked), "new");
    EXPECT_EQ(entries("locked"), QStringList(QStringLiteral("doc.xml")));
}

} // namespace
