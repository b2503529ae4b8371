#include "framework/Controls.h"

#include "framework/Runtime.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>

namespace framework {
namespace {

// Length of the UTF-8 sequence that starts with this byte, 0 when it cannot start one.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Whether the second byte is allowed after this lead byte (rules out overlong forms,
// surrogates and code points past U+10FFFF).
bool secondByteFits(unsigned char lead, unsigned char second)
{
    if ((second & 0xC0) != 0x80)
        return false;
    switch (lead) {
    case 0xE0:
        return second >= 0xA0;
    case 0xED:
        return second <= 0x9F;
    case 0xF0:
        return second >= 0x90;
    case 0xF4:
        return second <= 0x8F;
    default:
        return true;
    }
}

} // namespace

EditField::EditField(QWidget* parent) : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void EditField::SetText(const QByteArray& text)
{
    m_text.clear();
    m_pending.clear();
    m_lastWasCR = false;
    clear();
    AppendText(text);
}

void EditField::AppendText(const QByteArray& text)
{
    if (text.isEmpty())
        return;
    holdRedrawForAFrame();
    m_text += text;
    const QString shown = displayText(text);
    if (shown.isEmpty())
        return;
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
}

void EditField::holdRedrawForAFrame()
{
    if (!updatesEnabled())
        return; // held already; the timer lets the next frame be drawn
    if (m_lastDrawAllowed.isValid() && m_lastDrawAllowed.elapsed() < FrameMilliseconds) {
        setUpdatesEnabled(false);
        QTimer::singleShot(FrameMilliseconds - int(m_lastDrawAllowed.elapsed()), this, [this] {
            setUpdatesEnabled(true);
            m_lastDrawAllowed.restart();
        });
        return;
    }
    m_lastDrawAllowed.restart();
}

QString EditField::displayText(const QByteArray& text)
{
    const QByteArray bytes = m_pending + text;
    m_pending.clear();
    QString shown;
    shown.reserve(bytes.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char c = data[i];
        if (c == '\r' || c == '\n') {
            if (!(c == '\n' && m_lastWasCR))
                shown += QChar(u'\n');
            m_lastWasCR = c == '\r';
            ++i;
            continue;
        }
        m_lastWasCR = false;
        const int length = sequenceLength(c);
        if (length == 1) {
            shown += QChar(c);
            ++i;
            continue;
        }
        // Check the continuation bytes that are here; a sequence cut by the end of this
        // piece waits for the next one.
        bool valid = length > 0;
        int have = 1;
        while (valid && have < length && i + have < size) {
            const unsigned char next = data[i + have];
            valid = have == 1 ? secondByteFits(c, next) : (next & 0xC0) == 0x80;
            if (valid)
                ++have;
        }
        if (valid && have < length) {
            m_pending = bytes.mid(i);
            break;
        }
        if (valid && have == length) {
            shown += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        } else {
            shown += QChar(c); // not UTF-8: show the byte as its Latin-1 letter
            ++i;
        }
    }
    return shown;
}

void EditField::SetScrollPosition(int position)
{
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(qMin(position, bar->maximum()));
}

void EditField::ScrollToEnd()
{
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

void EditField::Refresh(bool immediately)
{
    if (immediately)
        viewport()->repaint();
    else
        viewport()->update();
}

PushButton::PushButton(QWidget* parent) : QPushButton(parent) {}

void PushButton::setActionHandler(std::function<void()> handler)
{
    // An exception that leaves the handler goes to the unhandled-exception routine here,
    // before it would have to unwind through the toolkit's signal delivery.
    connect(this, &QPushButton::clicked, this, [handler = std::move(handler)] {
        try {
            handler();
        } catch (const std::exception& exception) {
            unhandledException(&exception);
        } catch (...) {
            unhandledException(nullptr);
        }
    });
}

} // namespace framework
