#include "RangeSpinBox.h"

#include <QLineEdit>

TRangeSpinBox::TRangeSpinBox(int aMinimum, int aMaximum, int aStep, QWidget* aParent)
    : QSpinBox(aParent)
{
    setRange(aMinimum, aMaximum);
    setSingleStep(aStep);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setAccelerated(true);
}

void TRangeSpinBox::focusOutEvent(QFocusEvent* aEvent)
{
    bool number = false;
    const int typed = cleanText().toInt(&number);
    setValue(number ? typed : minimum());  // setValue keeps it within the range
    QSpinBox::focusOutEvent(aEvent);
}
