#include "framework/Window.h"

#include "framework/Controls.h"
#include "framework/Menu.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>

namespace framework {
namespace {
const char* const DesignRectProperty = "designRect";
const char* const AnchorsProperty = "anchors";
const char* const DesignContentSizeProperty = "designContentSize";
} // namespace

Window::Window() : m_content(new QWidget(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_content->setObjectName(QStringLiteral("content"));
    m_content->installEventFilter(this);
    setCentralWidget(m_content);

    // Return presses the default button and Escape the cancel button, wherever the focus
    // is, as in a dialog.
    auto* pressDefault = new QShortcut(QKeySequence(Qt::Key_Return), this);
    auto* pressDefaultEnter = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    auto* pressCancel = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    auto clickDefault = [this] {
        if (m_defaultButton && m_defaultButton->isVisible() && m_defaultButton->isEnabled())
            m_defaultButton->animateClick();
    };
    connect(pressDefault, &QShortcut::activated, this, clickDefault);
    connect(pressDefaultEnter, &QShortcut::activated, this, clickDefault);
    connect(pressCancel, &QShortcut::activated, this, [this] {
        if (m_cancelButton && m_cancelButton->isVisible() && m_cancelButton->isEnabled())
            m_cancelButton->animateClick();
    });
}

Window::~Window()
{
    // The menu bar is shared by the application and outlives any one window.
    if (m_menuBar && m_menuBar->parent() == this) {
        m_menuBar->hide();
        m_menuBar->setParent(nullptr);
    }
}

void Window::construct()
{
    Layout();
    CreateControls();
    show();
    Open();
}

void Window::applyDesign(const WindowDesign& design)
{
    setWindowTitle(design.title);
    m_content->setProperty(DesignContentSizeProperty, QSize(design.width, design.height));
    m_content->setMinimumSize(design.minWidth, design.minHeight);
    m_content->setMaximumSize(design.maxWidth, design.maxHeight);
    if (design.background.isValid()) {
        QPalette palette = m_content->palette();
        palette.setColor(QPalette::Window, design.background);
        m_content->setPalette(palette);
        m_content->setAutoFillBackground(true);
    }
    m_content->resize(design.width, design.height);
    resize(design.width, design.height + (menuWidget() ? menuWidget()->sizeHint().height() : 0));
}

void Window::setWindowMenuBar(MenuBar* bar)
{
    // The toolkit deletes a menu widget that is replaced, so a bar is set only once; the
    // program has one bar for all its windows.
    if (menuWidget() == bar)
        return;
    m_menuBar = bar;
    setMenuWidget(bar);
    if (bar)
        bar->show();
}

MenuBar* Window::windowMenuBar() const
{
    return m_menuBar;
}

void Window::addControl(QWidget* control, const QString& name)
{
    control->setParent(m_content);
    control->setObjectName(name);
}

void Window::applyControlDesign(QWidget* control, const ControlDesign& design)
{
    control->setProperty(DesignRectProperty,
                         QRect(design.left, design.top, design.width, design.height));
    control->setProperty(AnchorsProperty, design.anchors);
    control->setGeometry(design.left, design.top, design.width, design.height);
    // Sizes were set on a 72 dpi screen, where a point is a pixel.
    QFont font =
        design.fontName == QLatin1String("System") ? QApplication::font() : QFont(design.fontName);
    font.setPixelSize(design.fontSize);
    control->setFont(font);
    control->setAccessibleName(design.caption.isEmpty() ? design.name : design.caption);
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->setText(design.caption);
        button->setAutoDefault(false);
        button->setDefault(design.defaultButton);
        if (design.defaultButton)
            m_defaultButton = button;
        if (design.cancelButton)
            m_cancelButton = button;
    }
    if (auto* field = qobject_cast<EditField*>(control)) {
        field->setReadOnly(design.readOnly);
        if (design.background.isValid()) {
            QPalette palette = field->palette();
            palette.setColor(QPalette::Base, design.background);
            field->setPalette(palette);
        }
    }
    control->show();
}

QWidget* Window::control(const QString& name) const
{
    return m_content->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

void Window::updateNow()
{
    repaint();
}

bool Window::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_content && event->type() == QEvent::Resize)
        placeControls();
    return QMainWindow::eventFilter(watched, event);
}

// Keeps each control's distance to the edges it is anchored to; a control anchored to
// two opposite edges stretches.
void Window::placeControls()
{
    const QSize designSize = m_content->property(DesignContentSizeProperty).toSize();
    if (!designSize.isValid())
        return;
    const int dx = m_content->width() - designSize.width();
    const int dy = m_content->height() - designSize.height();
    for (QWidget* control : m_content->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QVariant rectValue = control->property(DesignRectProperty);
        if (!rectValue.isValid())
            continue;
        const QRect r = rectValue.toRect();
        const unsigned anchors = control->property(AnchorsProperty).toUInt();
        QRect placed = r;
        const bool left = anchors & AnchorLeft, right = anchors & AnchorRight;
        const bool top = anchors & AnchorTop, bottom = anchors & AnchorBottom;
        if (left && right)
            placed.setWidth(r.width() + dx);
        else if (right)
            placed.moveLeft(r.left() + dx);
        if (top && bottom)
            placed.setHeight(r.height() + dy);
        else if (bottom)
            placed.moveTop(r.top() + dy);
        control->setGeometry(placed);
    }
}

QList<QWidget*> Window::allWindows()
{
    return QApplication::topLevelWidgets();
}

} // namespace framework
