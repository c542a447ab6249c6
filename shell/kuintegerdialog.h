#pragma once

#include <QString>

class QWidget;

// QInputDialog::getInt with the program's number field (kuDoubleSpinBox without decimals), which
// reads typed numbers alike in every locale: Qt's own field takes "5,0" for 50 in the C locale.
// Returns the value when the user confirms, which *ok tells; the given value otherwise. An entry
// that is not a whole number in range keeps the dialog open and says so under the field.
int askInteger(QWidget* parent, const QString& title, const QString& label, int value, int minimum, int maximum,
               bool* ok);
