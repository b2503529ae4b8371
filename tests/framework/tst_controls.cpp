// The framework's widgets: the log field's text and display, anchored controls, menus,
// and the unhandled-exception path.

#include "framework/Controls.h"
#include "framework/Menu.h"
#include "framework/NilObjectException.h"
#include "framework/Runtime.h"
#include "framework/TestApi.h"
#include "framework/Window.h"
#include "support/TestMain.h"
#include "support/TestSupport.h"

#include <QScrollBar>
#include <QTimer>

using framework::EditField;

namespace {

// A window with one control per anchoring, for the resize test.
class AnchoredWindow : public framework::Window
{
public:
    QWidget* stretching = nullptr;
    QWidget* bottomRight = nullptr;
    QWidget* bottomLeft = nullptr;

protected:
    void Layout() override
    {
        applyDesign({QStringLiteral("t"), 691, 555, 64, 64, 32000, 32000, QColor()});
    }
    void CreateControls() override
    {
        using namespace framework;
        stretching = place(QStringLiteral("log"), 13, 14, 658, 416,
                           AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
        bottomRight = place(QStringLiteral("quit"), 562, 517, 109, 20, AnchorRight | AnchorBottom);
        bottomLeft = place(QStringLiteral("debug"), 12, 515, 69, 20, AnchorLeft | AnchorBottom);
    }
    void Open() override {}

private:
    QWidget* place(const QString& name, int x, int y, int w, int h, unsigned anchors)
    {
        auto* widget = new framework::PushButton;
        addControl(widget, name);
        applyControlDesign(widget, {name, framework::ControlClass::PushButton, x, y, w, h, name,
                                    anchors, QStringLiteral("System"), 12});
        return widget;
    }
};

} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void fieldKeepsBytesAndShowsLineBreaks_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("shown");

        QTest::newRow("carriage returns end lines")
            << QList<QByteArray>{"one\r", "two\r"} << QByteArray("one\rtwo\r")
            << QStringLiteral("one\ntwo\n");
        QTest::newRow("line feeds stay line feeds")
            << QList<QByteArray>{"a\nb\n"} << QByteArray("a\nb\n") << QStringLiteral("a\nb\n");
        QTest::newRow("CR LF is one break, also across pieces")
            << QList<QByteArray>{"a\r", "\nb"} << QByteArray("a\r\nb") << QStringLiteral("a\nb");
        QTest::newRow("pieces continue the line")
            << QList<QByteArray>{"ab", "cd"} << QByteArray("abcd") << QStringLiteral("abcd");
        QTest::newRow("UTF-8 split between pieces")
            << QList<QByteArray>{"caf\xc3", "\xa9!"} << QByteArray("caf\xc3\xa9!")
            << QStringLiteral("caf\u00e9!");
        QTest::newRow("bytes that are not UTF-8 show as Latin-1")
            << QList<QByteArray>{"x\xe9y\xff"} << QByteArray("x\xe9y\xff")
            << QStringLiteral("x\u00e9y\u00ff");
        QTest::newRow("overlong and surrogate forms are not UTF-8")
            << QList<QByteArray>{"\xc1\xbf\xed\xbf\xbf"} << QByteArray("\xc1\xbf\xed\xbf\xbf")
            << QStringLiteral("\u00c1\u00bf\u00ed\u00bf\u00bf");
        QTest::newRow("four-byte sequence")
            << QList<QByteArray>{"\xf0\x9f\x96\xa8"} << QByteArray("\xf0\x9f\x96\xa8")
            << QString::fromUtf8("\xf0\x9f\x96\xa8");
    }

    void fieldKeepsBytesAndShowsLineBreaks()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(QByteArray, text);
        QFETCH(QString, shown);
        EditField field;
        for (const QByteArray& piece : pieces)
            field.AppendText(piece);
        QCOMPARE(field.Text(), text);
        QCOMPARE(field.toPlainText(), shown);
    }

    void scrollingToTheEndShowsTheEnd()
    {
        EditField field;
        field.resize(300, 100);
        field.show();
        for (int i = 0; i < 500; ++i)
            field.AppendText(QByteArray::number(i) + '\r');
        field.ScrollToEnd();
        QVERIFY(field.verticalScrollBar()->maximum() > 0);
        QCOMPARE(field.verticalScrollBar()->value(), field.verticalScrollBar()->maximum());
        field.SetScrollPosition(0);
        QCOMPARE(field.verticalScrollBar()->value(), 0);
        field.SetScrollPosition(100000000);
        QCOMPARE(field.verticalScrollBar()->value(), field.verticalScrollBar()->maximum());
    }

    void resizingKeepsAnchoredDistances()
    {
        AnchoredWindow window;
        window.construct();
        QWidget* content = window.centralWidget();
        QCOMPARE(content->size(), QSize(691, 555));
        window.resize(window.width() + 200, window.height() + 100);
        QTRY_COMPARE(content->size(), QSize(891, 655));
        QCOMPARE(window.stretching->geometry(), QRect(13, 14, 858, 516));
        QCOMPARE(window.bottomRight->geometry(), QRect(762, 617, 109, 20));
        QCOMPARE(window.bottomLeft->geometry(), QRect(12, 615, 69, 20));
    }

    void menuBarFindsItemsByName()
    {
        framework::MenuBar bar;
        auto* title = new framework::MenuItem(&bar);
        title->applyDesign({QStringLiteral("FileMenu"), QStringLiteral("&File"), {}, false});
        bar.Append(title);
        auto* quit = new framework::QuitMenuItem(&bar);
        quit->applyDesign(
            {QStringLiteral("FileQuit"), QStringLiteral("Quit"), QStringLiteral("Q"), true});
        bar.Menu(0)->Append(quit);

        QCOMPARE(bar.Child(QStringLiteral("FileMenu")), title);
        QCOMPARE(bar.Child(QStringLiteral("FileQuit")), quit);
        QCOMPARE(bar.Child(QStringLiteral("Nothing")), nullptr);
        QCOMPARE(bar.Menu(1), nullptr);
        QCOMPARE(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(quit->menuRole(), QAction::QuitRole);
    }

    void exceptionInAButtonsActionIsReported()
    {
        testsupport::MessageBoxRecorder boxes;
        framework::PushButton button;
        button.setActionHandler([] { throw NilObjectException(); });
        button.click();
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY(boxes.texts().first().contains(QLatin1String("NilObjectException")));
        QCOMPARE(framework::exitRoutine(), 1);
    }

    // An exception that leaves an event handler must not cross the toolkit: the user is
    // told which one it was and the event loop ends with a non-zero status.
    void exceptionInAnEventHandlerEndsTheProgramInOrder()
    {
        testsupport::MessageBoxRecorder boxes;
        bool afterwards = false;
        QTimer::singleShot(0, [] { throw NilObjectException(); });
        QTimer::singleShot(5000, [&] {
            afterwards = true;
            QCoreApplication::exit(0);
        });
        framework::runEventLoop();
        QVERIFY(!afterwards);
        QCOMPARE(framework::exitRoutine(), 1);
        QCOMPARE(boxes.texts().size(), 1);
        QVERIFY2(boxes.texts().first().contains(QLatin1String("NilObjectException")),
                 qPrintable(boxes.texts().first()));
    }
};

PPD_TEST_MAIN(TestControls)
#include "tst_controls.moc"
