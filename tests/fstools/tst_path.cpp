#include "framework/FolderItem.h"
#include "framework/TestApi.h"
#include "fstools/Path.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using framework::FolderItem;

class TestPath : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void walkWithoutCreating_data();
    void walkWithoutCreating();
    void creationFollowsTheFlags_data();
    void creationFollowsTheFlags();
    void nilLevelStopsTheWalk();
    void failedTargetCreationGivesNil();
    void existsOfNilAndOthers();

private:
    QString path(const QString& relative) const { return m_dir.path() + '/' + relative; }
    bool isFolder(const QString& relative) const { return QFileInfo(path(relative)).isDir(); }

    QTemporaryDir m_dir;
};

void TestPath::init()
{
    QVERIFY(QDir().mkpath(path("app")));
    QVERIFY(QDir().mkpath(path("volume/Library")));
    testsupport::writeFile(path("volume/Library/file.txt"), "x");
    framework::setApplicationFolder(path("app"));
    framework::setBootVolumeRoot(path("volume"));
}

void TestPath::cleanup()
{
    framework::setBootVolumeRoot(QStringLiteral("/"));
    framework::setApplicationFolder(QString());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestPath::walkWithoutCreating_data()
{
    QTest::addColumn<QString>("start"); // relative to the temporary folder; empty for nil
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("result"); // empty for nil
    QTest::addColumn<bool>("exists");
    QTest::newRow("empty list") << "volume" << QStringList{} << "volume" << true;
    QTest::newRow("nil start, empty list") << "" << QStringList{} << "app" << true;
    QTest::newRow("nil start, PPDs") << "" << QStringList{"PPDs"} << "app/PPDs" << false;
    QTest::newRow("existing") << "volume" << QStringList{"Library", "file.txt"}
                              << "volume/Library/file.txt" << true;
    QTest::newRow("missing last") << "volume" << QStringList{"Library", "none"}
                                  << "volume/Library/none" << false;
    QTest::newRow("missing levels")
        << "volume" << QStringList{"a", "b", "c"} << "volume/a/b/c" << false;
    QTest::newRow("below a file") << "volume" << QStringList{"Library", "file.txt", "x"} << ""
                                  << false;
    QTest::newRow("empty name") << "volume" << QStringList{"Library", ""} << "" << false;
}

void TestPath::walkWithoutCreating()
{
    QFETCH(QString, start);
    QFETCH(QStringList, names);
    QFETCH(QString, result);
    QFETCH(bool, exists);

    const FolderItem from =
        start.isEmpty() ? FolderItem() : FolderItem::fromNativePath(path(start));
    const long yields = framework::test::yieldCount();
    const FolderItem found = Path::descendant(from, names);
    QCOMPARE(found.isNil(), result.isEmpty());
    if (!result.isEmpty()) {
        QCOMPARE(found.nativePath(), path(result));
        QCOMPARE(Path::exists(found), exists);
        // One yield per level walked.
        QCOMPARE(framework::test::yieldCount() - yields, long(names.size()));
    }
    // Walking creates nothing.
    QVERIFY(!QFileInfo::exists(path("volume/a")));
    QVERIFY(!QFileInfo::exists(path("app/PPDs")));
}

void TestPath::creationFollowsTheFlags_data()
{
    QTest::addColumn<bool>("createMissing");
    QTest::addColumn<bool>("createTarget");
    QTest::addColumn<bool>("middleCreated");
    QTest::addColumn<bool>("targetCreated");
    QTest::newRow("neither") << false << false << false << false;
    QTest::newRow("target alone does nothing") << false << true << false << false;
    QTest::newRow("missing folders only") << true << false << true << false;
    QTest::newRow("missing folders and target") << true << true << true << true;
}

void TestPath::creationFollowsTheFlags()
{
    QFETCH(bool, createMissing);
    QFETCH(bool, createTarget);
    QFETCH(bool, middleCreated);
    QFETCH(bool, targetCreated);

    const FolderItem start = FolderItem::fromNativePath(path("volume/Library"));
    const FolderItem found =
        Path::descendantMethod(start, {"one", "two", "three"}, createMissing, createTarget);
    QVERIFY(!found.isNil());
    QCOMPARE(found.nativePath(), path("volume/Library/one/two/three"));
    QCOMPARE(isFolder("volume/Library/one"), middleCreated);
    QCOMPARE(isFolder("volume/Library/one/two"), middleCreated);
    QCOMPARE(isFolder("volume/Library/one/two/three"), targetCreated);
    QCOMPARE(found.Exists(), targetCreated);

    // A missing start folder is created too, when the walk stands on it.
    const FolderItem fresh = FolderItem::fromNativePath(path("volume/fresh"));
    Path::descendantMethod(fresh, {"x"}, createMissing, createTarget);
    QCOMPARE(isFolder("volume/fresh"), middleCreated);

    // With an empty list only the target rule applies, to the start itself.
    const FolderItem alone = FolderItem::fromNativePath(path("volume/alone"));
    QVERIFY(Path::descendantMethod(alone, {}, createMissing, createTarget).samePath(alone));
    QCOMPARE(isFolder("volume/alone"), targetCreated);
}

void TestPath::nilLevelStopsTheWalk()
{
    const FolderItem start = FolderItem::fromNativePath(path("volume"));
    const long yields = framework::test::yieldCount();
    QVERIFY(Path::descendantMethod(start, {"made", "a/b", "after"}, true, true).isNil());
    QCOMPARE(framework::test::yieldCount() - yields, 1L);
    // "made" was stood on when its child was asked for; nothing is made after the nil.
    QVERIFY(isFolder("volume/made"));
    QCOMPARE(QDir(path("volume/made")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList());
    QVERIFY(!QFileInfo::exists(path("volume/after")));
}

void TestPath::failedTargetCreationGivesNil()
{
    // Nobody, not even root, can make a folder there.
    const FolderItem proc = FolderItem::fromNativePath(QStringLiteral("/proc"));
    QVERIFY(Path::descendantMethod(proc, {"no-such-entry"}, true, true).isNil());
    const FolderItem kept = Path::descendantMethod(proc, {"no-such-entry"}, true, false);
    QVERIFY(!kept.isNil());
    QVERIFY(!kept.Exists());
}

void TestPath::existsOfNilAndOthers()
{
    QVERIFY(!Path::exists(FolderItem()));
    QVERIFY(!Path::exists(FolderItem::fromNativePath(path("volume/none"))));
    QVERIFY(Path::exists(FolderItem::fromNativePath(path("volume/Library/file.txt"))));
    QVERIFY(Path::exists(framework::Volume(0)));
}

PPD_TEST_MAIN(TestPath)
#include "tst_path.moc"
