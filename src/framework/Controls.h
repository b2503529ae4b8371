#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>

namespace framework {

// A multi-line text field. Its text is kept exactly as the program gave it, bytes and line
// ends alike; what is shown is that text read as UTF-8, with carriage returns and line
// feeds as line breaks and any byte that is not UTF-8 shown as its Latin-1 letter.
class EditField : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit EditField(QWidget* parent = nullptr);

    QByteArray Text() const { return m_text; }
    void SetText(const QByteArray& text);
    // Adds to the end in place, without setting the whole text again.
    void AppendText(const QByteArray& text);

    // Scroll positions are the toolkit's; any value past the end shows the end.
    void SetScrollPosition(int position);
    void ScrollToEnd();
    // Redraws the field: at once when immediately is true, otherwise at the next yield.
    void Refresh(bool immediately);

private:
    QString displayText(const QByteArray& bytes);
    void holdRedrawForAFrame();

    // Drawing the field takes far longer than appending a line to it, so while text
    // streams in the field is drawn at most once a frame.
    static constexpr int FrameMilliseconds = 16;
    QElapsedTimer m_lastDrawAllowed;

    QByteArray m_text;
    QByteArray m_pending;     // the start of a UTF-8 sequence whose rest has not come yet
    bool m_lastWasCR = false; // a line feed right after a carriage return is the same break
};

// A push button whose action is the window's handler of its "Action" event.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(QWidget* parent = nullptr);

    void setActionHandler(std::function<void()> handler);
};

} // namespace framework
