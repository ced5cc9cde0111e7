#include "LinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

TLinkLabel::TLinkLabel(const QString& aText, QWidget* aParent) : QLabel(aText, aParent)
{
    setTextFormat(Qt::RichText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setStyleSheet(QStringLiteral("QLabel { color: palette(link); text-decoration: underline; }"));
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* aEvent)
{
    if (aEvent->button() == Qt::LeftButton && rect().contains(aEvent->position().toPoint()))
        emit linkClicked();
    QLabel::mouseReleaseEvent(aEvent);
}

void TLinkLabel::keyPressEvent(QKeyEvent* aEvent)
{
    const int key = aEvent->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        emit linkClicked();
        return;
    }
    QLabel::keyPressEvent(aEvent);
}
