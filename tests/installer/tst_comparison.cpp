// Comparing a PPD with its installed copy: the outcomes, their messages, and what cannot
// be opened.

#include "InstallerTestMain.h"
#include "framework/FolderItem.h"
#include "framework/TestApi.h"
#include "installer/Window1.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/time.h>

namespace {

// How a copy is set up: its content, or one of these words.
const QByteArray kMissing = "<missing>";
const QByteArray kFifo = "<fifo>";     // exists but never opens (and would block if it did)
const QByteArray kFolder = "<folder>"; // exists but is no file
const QByteArray kBrokenLink = "<broken link>";

const QByteArray kPPD = "*PPD-Adobe: \"4.3\"\n*ModelName: \"Example Laser\"\n";

} // namespace

class TestComparison : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void outcomes_data();
    void outcomes();
    void datesDoNotCount();

private:
    QString path(const QString& relative) const { return m_dir.path() + '/' + relative; }
    QString sourcePath(const QString& name) const { return path("app/PPDs/" + name); }
    QString destinationPath(const QString& name) const
    {
        return path("volume/Library/Printers/PPDs/Contents/Resources/en.lproj/" + name);
    }
    void make(const QString& at, const QByteArray& how);

    QTemporaryDir m_dir;
    testsupport::MessageBoxRecorder m_boxes;
};

void TestComparison::initTestCase()
{
    QVERIFY(QDir().mkpath(path("app/PPDs")));
    framework::setApplicationFolder(path("app"));
    framework::setBootVolumeRoot(path("volume"));
    Window1::accessor(); // opens on an empty folder: one message box, before any test
}

void TestComparison::init()
{
    QVERIFY(QDir().mkpath(path("app/PPDs")));
    QVERIFY(QDir().mkpath(destinationPath(QString())));
    m_boxes.clear();
}

void TestComparison::cleanup()
{
    QVERIFY(QDir(path("app")).removeRecursively());
    QVERIFY(QDir(path("volume")).removeRecursively());
}

void TestComparison::make(const QString& at, const QByteArray& how)
{
    if (how == kMissing)
        return;
    if (how == kFifo)
        QVERIFY(::mkfifo(QFile::encodeName(at).constData(), 0644) == 0);
    else if (how == kFolder)
        QVERIFY(QDir().mkpath(at));
    else if (how == kBrokenLink)
        QVERIFY(QFile::link(at + ".gone", at));
    else
        testsupport::writeFile(at, how);
}

void TestComparison::outcomes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("destination");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("messages"); // "source" and "destination" stand for paths

    const QStringList none;
    const QString notFound = QStringLiteral("Error, could not find source file a.ppd");
    QTest::newRow("identical") << "a.ppd" << kPPD << kPPD << true << none;
    QTest::newRow("one byte differs")
        << "a.ppd" << kPPD << QByteArray(kPPD).replace("4.3", "4.2") << false << none;
    QTest::newRow("only letter case differs")
        << "a.ppd" << kPPD << QByteArray(kPPD).replace("Laser", "LASER") << false << none;
    QTest::newRow("differ after a NUL byte")
        << "a.ppd" << QByteArray("abc\0def", 7) << QByteArray("abc\0xyz", 7) << false << none;
    QTest::newRow("one is a prefix") << "a.ppd" << kPPD << kPPD + "*End\n" << false << none;
    QTest::newRow("two empty files") << "a.ppd" << QByteArray("") << QByteArray("") << true << none;
    QTest::newRow("not installed") << "a.ppd" << kPPD << kMissing << false << none;
    QTest::newRow("not installed, no source") << "a.ppd" << kMissing << kMissing << false << none;
    QTest::newRow("installed, no source")
        << "a.ppd" << kMissing << kPPD << true << QStringList{notFound};
    QTest::newRow("source fails, installed has content")
        << "a.ppd" << kFifo << kPPD << false << QStringList{"source"};
    QTest::newRow("source fails, installed empty")
        << "a.ppd" << kFifo << QByteArray("") << true << QStringList{"source"};
    QTest::newRow("installed fails, source has content")
        << "a.ppd" << kPPD << kFolder << false << QStringList{"destination"};
    QTest::newRow("installed fails, source empty")
        << "a.ppd" << QByteArray("") << kBrokenLink << true << QStringList{"destination"};
    QTest::newRow("both fail") << "a.ppd" << kFolder << kFifo << true
                               << QStringList{"source", "destination"};
    QTest::newRow("colon in the name, identical") << "HP:Color.ppd" << kPPD << kPPD << true << none;
    QTest::newRow("colon in the name, source fails")
        << "HP:Color.ppd" << kFifo << kPPD << false << QStringList{"source"};
    QTest::newRow("non-ASCII name, differs")
        << QString::fromUtf8("Drücker.ppd") << kPPD << QByteArray("x") << false << none;
}

void TestComparison::outcomes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, destination);
    QFETCH(bool, result);
    QFETCH(QStringList, messages);
    make(sourcePath(name), source);
    make(destinationPath(name), destination);

    const long before = framework::test::yieldCount();
    QCOMPARE(Window1::accessor()->match(name), result);

    QStringList expected;
    for (const QString& message : messages) {
        if (message == "source")
            expected.append("Unable to open " + sourcePath(name));
        else if (message == "destination")
            expected.append("Unable to open " + destinationPath(name));
        else
            expected.append(message);
    }
    QCOMPARE(m_boxes.texts(), expected);

    // The walks cost one yield per level (one name, six names, one name); then one yield
    // after each file that was opened or tried.
    const bool bothThere = source != kMissing && destination != kMissing;
    QCOMPARE(framework::test::yieldCount() - before, 8L + (bothThere ? 2 : 0));
}

void TestComparison::datesDoNotCount()
{
    testsupport::writeFile(sourcePath("a.ppd"), kPPD);
    testsupport::writeFile(destinationPath("a.ppd"), kPPD);
    const timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    QVERIFY(::utimes(QFile::encodeName(destinationPath("a.ppd")).constData(), old) == 0);
    QVERIFY(Window1::accessor()->match("a.ppd"));

    // Same size, same date, different bytes.
    testsupport::writeFile(destinationPath("a.ppd"), QByteArray(kPPD).replace('A', 'B'));
    QVERIFY(::utimes(QFile::encodeName(sourcePath("a.ppd")).constData(), old) == 0);
    QVERIFY(::utimes(QFile::encodeName(destinationPath("a.ppd")).constData(), old) == 0);
    QVERIFY(!Window1::accessor()->match("a.ppd"));
    QVERIFY(m_boxes.texts().isEmpty());
}

PPD_INSTALLER_TEST_MAIN(TestComparison)
#include "tst_comparison.moc"
