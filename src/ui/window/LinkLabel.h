#pragma once
// A label shown as a link ("<a>text</a>") that reports a click, or Enter and
// Space when it has the keyboard focus. The address is the program's to
// choose, so the caption stays a plain catalogue text.

#include <QLabel>

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString& aText, QWidget* aParent = nullptr);

signals:
    void linkClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* aEvent) override;
    void keyPressEvent(QKeyEvent* aEvent) override;
};
