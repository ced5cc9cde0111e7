#pragma once
// A spin box that always holds a value of its range: a value set by code or
// typed is brought into the range, and text that is no number reads as the
// minimum when the field loses the focus.

#include <QSpinBox>

class TRangeSpinBox : public QSpinBox {
    Q_OBJECT
public:
    TRangeSpinBox(int aMinimum, int aMaximum, int aStep, QWidget* aParent = nullptr);

protected:
    void focusOutEvent(QFocusEvent* aEvent) override;
};
