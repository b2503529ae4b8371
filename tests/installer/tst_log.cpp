// The log pane: what each routine appends, and that the end stays in view.

#include "InstallerTestMain.h"
#include "framework/Controls.h"
#include "framework/FolderItem.h"
#include "framework/NilObjectException.h"
#include "installer/Window1.h"
#include "installer/debugRoutines.h"
#include "support/TestSupport.h"

#include <QScrollBar>
#include <QTemporaryDir>

using namespace debugRoutines;

class TestLog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    testsupport::MessageBoxRecorder m_boxes;

    static framework::EditField* field()
    {
        return qobject_cast<framework::EditField*>(
            Window1::accessor()->control(QStringLiteral("EditFieldLog")));
    }

    // The log's text after the introduction.
    static QByteArray appended(const QByteArray& before)
    {
        const QByteArray now = field()->Text();
        return now.startsWith(before) ? now.mid(before.size()) : QByteArray("<log was changed>");
    }

private slots:
    void initTestCase()
    {
        // No PPDs: the window opens with an empty log.
        testsupport::useSandbox(m_folder.path());
    }

    void linesAndPieces()
    {
        const QByteArray before = field()->Text();
        outputDebugLine(QString());
        outputDebugString(QStringLiteral("ab"));
        outputDebugString(QByteArray("cd"));
        outputDebugLine(QStringLiteral("\u00e9t\u00e9"));
        outputDebugString(QByteArray("raw\nlines\r\nstay\xff"));
        QCOMPARE(appended(before), QByteArray("\rabcd\xc3\xa9t\xc3\xa9\rraw\nlines\r\nstay\xff"));
    }

    void endStaysInViewAfterEveryAppend()
    {
        Window1::accessor()->resize(700, 600);
        QScrollBar* bar = field()->verticalScrollBar();
        for (int i = 0; i < 300; ++i) {
            outputDebugLine(QStringLiteral("line %1").arg(i));
            QCOMPARE(bar->value(), bar->maximum());
        }
        QVERIFY(bar->maximum() > 0);
    }

    void reportAnyErrorCodeLogsOnlyAnError()
    {
        Window1* window = Window1::accessor();
        const framework::FolderItem missing =
            framework::GetFolderItem(QStringLiteral("no such file.ppd"));
        const QByteArray before = field()->Text();
        window->reportAnyErrorCode(QStringLiteral("reading"), missing);
        QCOMPARE(field()->Text(), before);

        QVERIFY(!missing.OpenBinaryFile());
        QVERIFY(missing.LastError() != 0);
        window->reportAnyErrorCode(QStringLiteral("reading"), missing);
        QCOMPARE(appended(before), QStringLiteral("error %1 reading %2\r")
                                       .arg(missing.LastError())
                                       .arg(missing.AbsolutePath())
                                       .toUtf8());

        QVERIFY_THROWS_EXCEPTION(NilObjectException,
                                 window->reportAnyErrorCode(QStringLiteral("x"), {}));
        QCOMPARE(appended(before).count('\r'), 1);
    }

    void loggingWithoutAWindowOpensOne()
    {
        delete Window1::accessor();
        m_boxes.clear();
        outputDebugLine(QStringLiteral("first"));
        Window1* window = Window1::accessor();
        QVERIFY(window->isVisible());
        // The new window's introduction found no PPDs and said so in a box, not the log.
        QCOMPARE(m_boxes.texts().size(), 1);
        QCOMPARE(field()->Text(), QByteArray("first\r"));
    }
};

PPD_INSTALLER_TEST_MAIN(TestLog)
#include "tst_log.moc"
