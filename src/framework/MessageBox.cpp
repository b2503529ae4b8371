#include "framework/MessageBox.h"

#include "framework/TestApi.h"

#include <QApplication>
#include <QMessageBox>

namespace framework {
namespace {
test::MessageBoxHandler s_handler;
} // namespace

void messageBox(const QString& text)
{
    if (s_handler) {
        s_handler(text);
        return;
    }
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QCoreApplication::applicationName());
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.setAccessibleName(text);
    box.exec();
}

namespace test {
void setMessageBoxHandler(MessageBoxHandler handler)
{
    s_handler = std::move(handler);
}
} // namespace test

} // namespace framework
