#include "installer/debugRoutines.h"

#include "framework/Controls.h"
#include "framework/NilObjectException.h"
#include "installer/Window1.h"

using framework::nonNil;

namespace debugRoutines {
namespace {

framework::EditField* logField()
{
    return nonNil(qobject_cast<framework::EditField*>(
        nonNil(Window1::accessor())->control(QStringLiteral("EditFieldLog"))));
}

} // namespace

void outputDebugString(const QByteArray& text)
{
    // Log text is UTF-8; bytes that carry no encoding (the copy tool's output) are taken
    // as they are, without conversion.
    framework::EditField* field = logField();
    field->AppendText(text);
    logField()->ScrollToEnd();
    logField()->Refresh(false);
}

void outputDebugString(const QString& text)
{
    outputDebugString(text.toUtf8());
}

void outputDebugLine(const QByteArray& text)
{
    outputDebugString(text + '\r');
}

void outputDebugLine(const QString& text)
{
    outputDebugLine(text.toUtf8());
}

} // namespace debugRoutines

void Window1::reportAnyErrorCode(const QString& context, const framework::FolderItem& item)
{
    const int code = item.LastError();
    if (code == 0)
        return;
    debugRoutines::outputDebugLine(QStringLiteral("error %1 %2 %3")
                                       .arg(code)
                                       .arg(context, item.AbsolutePath()));
}
