// "Show in Finder": the reveal script's parameters, and what the button hands to the file
// manager.

#include "InstallerTestMain.h"
#include "framework/EventLoop.h"
#include "framework/FolderItem.h"
#include "framework/Scripts.h"
#include "framework/TestApi.h"
#include "installer/Window1.h"
#include "resources/Script168.h"
#include "support/TestSupport.h"
#include "system/scriptreveal.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>

class TestReveal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    testsupport::MessageBoxRecorder m_boxes;
    QStringList m_shown;

    QString systemFolder() const
    {
        return m_folder.path() +
               QStringLiteral("/volume/Library/Printers/PPDs/Contents/Resources/en.lproj");
    }

    void pressShowInFinder()
    {
        qobject_cast<QPushButton*>(Window1::accessor()->control(QStringLiteral("PushButton1")))
            ->click();
        framework::yieldToEventLoop();
    }

private slots:
    void initTestCase()
    {
        testsupport::useSandbox(m_folder.path());
        testsupport::writeFile(m_folder.path() + QStringLiteral("/PPDs/a.ppd"),
                               "*PPD-Adobe: \"4.3\"\n");
        framework::test::setShowFoldersCall([this](const QStringList& urls) {
            m_shown += urls;
            return QString();
        });
    }

    void init()
    {
        m_shown.clear();
        m_boxes.clear();
    }

    void parametersTravelByType()
    {
        QList<QList<framework::ScriptParameter>> calls;
        framework::registerScript(scriptreveal::ScriptNumber,
                                  [&calls](const QList<framework::ScriptParameter>& parameters) {
                                      calls.append(parameters);
                                      return QStringLiteral("result %1").arg(calls.size());
                                  });

        QCOMPARE(scriptreveal::scriptreveal({}), QStringLiteral("result 1"));
        QVERIFY(calls.last().isEmpty());

        const long before = framework::test::yieldCount();
        QCOMPARE(scriptreveal::scriptreveal({framework::Variant(7),
                                             framework::Variant(QStringLiteral("a:b:")),
                                             framework::Variant(2.5), framework::Variant(true)}),
                 QStringLiteral("result 2"));
        QCOMPARE(framework::test::yieldCount() - before, 4);
        const QList<framework::ScriptParameter> expected = {
            qint64(7), QStringLiteral("a:b:"), QStringLiteral("2.5"), QStringLiteral("True")};
        QCOMPARE(calls.last(), expected);

        resources::registerScripts();
    }

    void showsTheSystemFolder()
    {
        QVERIFY(QDir().mkpath(systemFolder()));
        pressShowInFinder();
        QCOMPARE(m_shown, QStringList{QUrl::fromLocalFile(systemFolder()).toString()});
        QVERIFY(m_boxes.texts().isEmpty());
    }

    void folderNamesWithColonsSurviveTheColonPath()
    {
        const QString odd = m_folder.path() + QStringLiteral("/volume/odd:name");
        QVERIFY(QDir().mkpath(odd));
        const framework::FolderItem item = framework::Volume(0).Child(QStringLiteral("odd:name"));
        QCOMPARE(framework::ScriptCall(168).complete(),
                 QStringLiteral("The folder to show is missing."));
        framework::ScriptCall call(168);
        call.addString(item.AbsolutePath());
        QCOMPARE(call.complete(), QString());
        QCOMPARE(m_shown, QStringList{QUrl::fromLocalFile(odd).toString()});
    }

    void missingFolderShowsNothingAndSaysNothing()
    {
        QVERIFY(QDir(m_folder.path() + QStringLiteral("/volume/Library")).removeRecursively());
        pressShowInFinder(); // the folder is missing: the script finds nothing to show
        // "Library" as a file: no folder item can be formed below it.
        testsupport::writeFile(m_folder.path() + QStringLiteral("/volume/Library"), "not a folder");
        QVERIFY(Window1::accessor()->PPDfolder().isNil());
        pressShowInFinder();
        QVERIFY(m_shown.isEmpty());
        QVERIFY(m_boxes.texts().isEmpty());
    }
};

PPD_INSTALLER_TEST_MAIN(TestReveal)
#include "tst_reveal.moc"
