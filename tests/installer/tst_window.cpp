// The installer window: how it is built and opened, its menu bar, debug mode, the Quit
// and Debug buttons, and the default and cancel keys.

#include "InstallerTestMain.h"
#include "app/MenuBar1.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/EventLoop.h"
#include "framework/FolderItem.h"
#include "framework/Keyboard.h"
#include "framework/Menu.h"
#include "framework/TestApi.h"
#include "installer/Window1.h"
#include "installer/debugRoutines.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QTemporaryDir>

using framework::Keyboard;

class TestWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    testsupport::MessageBoxRecorder m_boxes;

    Window1* freshWindow()
    {
        delete framework::Window::find<Window1>();
        return Window1::accessor();
    }

    framework::EditField* log(Window1* window)
    {
        return qobject_cast<framework::EditField*>(window->control(QStringLiteral("EditFieldLog")));
    }

private slots:
    void initTestCase()
    {
        testsupport::useSandbox(m_folder.path());
        testsupport::writeFile(m_folder.path() + QStringLiteral("/PPDs/a.ppd"),
                               "*PPD-Adobe: \"4.3\"\n");
    }

    void init()
    {
        framework::test::setKeyboardModifiers(Qt::NoModifier);
        framework::test::resetQuitRequest();
        m_boxes.clear();
    }

    void accessorBuildsOneWindowWithItsControls()
    {
        Window1* window = freshWindow();
        QVERIFY(window);
        QCOMPARE(Window1::accessor(), window);
        QCOMPARE(window->windowTitle(), QStringLiteral("PPD installer"));
        QCOMPARE(window->centralWidget()->size(), QSize(691, 555));

        struct Expected
        {
            const char* name;
            QRect geometry;
            const char* caption;
        };
        const Expected controls[] = {
            {"EditFieldLog", {13, 14, 658, 416}, nullptr},
            {"PushButtonQuit", {562, 517, 109, 20}, "Quit"},
            {"PushButtonDebug", {12, 515, 69, 20}, "Debug"},
            {"PushButton1", {562, 482, 109, 20}, "Show in Finder"},
            {"PushButtonInstall", {562, 447, 109, 20}, "Install PPDs"},
        };
        for (const Expected& expected : controls) {
            QWidget* control = window->control(QString::fromLatin1(expected.name));
            QVERIFY2(control, expected.name);
            QCOMPARE(control->geometry(), expected.geometry);
            QCOMPARE(control->font().pixelSize(), 12);
            if (expected.caption)
                QCOMPARE(qobject_cast<QPushButton*>(control)->text(),
                         QString::fromLatin1(expected.caption));
        }
        auto* install =
            qobject_cast<QPushButton*>(window->control(QStringLiteral("PushButtonInstall")));
        QVERIFY(install->isDefault());
        QVERIFY(!qobject_cast<QPushButton*>(window->control(QStringLiteral("PushButtonQuit")))
                     ->isDefault());
    }

    void applicationAndWindowShareTheMenuBar()
    {
        Window1* window = freshWindow();
        QCOMPARE(MenuBar1::shared(), MenuBar1::shared());
        QCOMPARE(framework::application()->menuBar(), MenuBar1::shared());
        QCOMPARE(window->windowMenuBar(), MenuBar1::shared());
        // A later window gets the same bar back.
        QCOMPARE(freshWindow()->windowMenuBar(), MenuBar1::shared());
    }

    void menuBarHoldsFileAndEdit()
    {
        Window1* window = freshWindow();
        framework::MenuBar* bar = window->windowMenuBar();
        QCOMPARE(bar->actions().size(), 2);
        QCOMPARE(bar->Menu(0)->text(), QStringLiteral("&File"));
        QCOMPARE(bar->Menu(1)->text(), QStringLiteral("&Edit"));

        const QList<QAction*> file = bar->Menu(0)->menu()->actions();
        QCOMPARE(file.size(), 1);
        QCOMPARE(file[0]->text(), QStringLiteral("Quit"));
        QCOMPARE(file[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));

        const QList<QAction*> edit = bar->Menu(1)->menu()->actions();
        const QStringList texts = {QStringLiteral("&Undo"),  QString(),
                                   QStringLiteral("Cu&t"),   QStringLiteral("&Copy"),
                                   QStringLiteral("&Paste"), QStringLiteral("Clear")};
        const QStringList keys = {QStringLiteral("Ctrl+Z"), QString(),
                                  QStringLiteral("Ctrl+X"), QStringLiteral("Ctrl+C"),
                                  QStringLiteral("Ctrl+V"), QString()};
        QCOMPARE(edit.size(), texts.size());
        for (int i = 0; i < edit.size(); ++i) {
            QCOMPARE(edit[i]->isSeparator(), i == 1);
            if (i != 1)
                QCOMPARE(edit[i]->text(), texts[i]);
            QCOMPARE(edit[i]->shortcut(), QKeySequence(keys[i]));
        }
        QVERIFY(edit[1]->objectName().isEmpty());

        QCOMPARE(window->FileMenu()->Name(), QStringLiteral("FileMenu"));
        QCOMPARE(window->EditMenu()->Name(), QStringLiteral("EditMenu"));
        QCOMPARE(window->EditUndo()->Name(), QStringLiteral("EditUndo"));
        QCOMPARE(window->EditCut()->Name(), QStringLiteral("EditCut"));
        QCOMPARE(window->EditCopy()->Name(), QStringLiteral("EditCopy"));
        QCOMPARE(window->EditPaste()->Name(), QStringLiteral("EditPaste"));
        QCOMPARE(window->EditClear()->Name(), QStringLiteral("EditClear"));
        QVERIFY(window->FileQuit());
        QCOMPARE(window->FileQuit()->Name(), QStringLiteral("FileQuit"));
    }

    void debugModeNeedsCommandAndOption_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("debug");
        QTest::addColumn<QList<int>>("masksRead");
        const QList<int> commandOnly = {Keyboard::CommandKey};
        const QList<int> both = {Keyboard::CommandKey, Keyboard::OptionKey};
        QTest::newRow("neither") << int(Qt::NoModifier) << false << commandOnly;
        QTest::newRow("option only, never read") << int(Qt::AltModifier) << false << commandOnly;
        QTest::newRow("command only") << int(Qt::ControlModifier) << false << both;
        QTest::newRow("command and option")
            << int(Qt::ControlModifier | Qt::AltModifier) << true << both;
        QTest::newRow("with shift too")
            << int(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier) << true << both;
    }

    void debugModeNeedsCommandAndOption()
    {
        QFETCH(int, modifiers);
        QFETCH(bool, debug);
        QFETCH(QList<int>, masksRead);
        framework::test::setKeyboardModifiers(Qt::KeyboardModifiers(modifiers));
        Window1* window = freshWindow();
        QCOMPARE(window->debugMode(), debug);
        QCOMPARE(window->control(QStringLiteral("PushButtonDebug"))->isVisible(), debug);
        QCOMPARE(framework::test::keyboardReads(), masksRead);
    }

    void debugButtonDoesNothing()
    {
        framework::test::setKeyboardModifiers(Qt::ControlModifier | Qt::AltModifier);
        Window1* window = freshWindow();
        const QByteArray before = log(window)->Text();
        m_boxes.clear();
        qobject_cast<QPushButton*>(window->control(QStringLiteral("PushButtonDebug")))->click();
        framework::yieldToEventLoop();
        QCOMPARE(log(window)->Text(), before);
        QVERIFY(m_boxes.texts().isEmpty());
        QVERIFY(!framework::quitRequested());
        QCOMPARE(Window1::accessor(), window);
    }

    void quitButtonAndEscapeQuit()
    {
        Window1* window = freshWindow();
        qobject_cast<QPushButton*>(window->control(QStringLiteral("PushButtonQuit")))->click();
        QVERIFY(framework::quitRequested());

        framework::test::resetQuitRequest();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(framework::quitRequested());

        framework::test::resetQuitRequest();
        window->FileQuit()->trigger();
        QVERIFY(framework::quitRequested());
    }

    void editCopyCopiesTheSelectedLogText()
    {
        Window1* window = freshWindow();
        framework::EditField* field = log(window);
        debugRoutines::outputDebugLine(QStringLiteral("some text to copy"));
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        field->setFocus();
        field->selectAll();
        QVERIFY(!field->textCursor().selectedText().isEmpty());
        window->EditCopy()->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), field->toPlainText());
    }
};

PPD_INSTALLER_TEST_MAIN(TestWindow)
#include "tst_window.moc"
