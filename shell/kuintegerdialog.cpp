#include "kuintegerdialog.h"

#include "kudoublespinbox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

int askInteger(QWidget* parent, const QString& title, const QString& label, int value, int minimum, int maximum,
               bool* ok)
{
    if (ok)
        *ok = false;
    const QPointer<QDialog> dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("kuIntegerDialog"));
    dialog->setWindowTitle(title);
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(label, dialog));
    auto* field = new kuDoubleSpinBox(dialog);
    field->setDecimals(0);
    field->setRange(minimum, maximum);
    field->setValue(value);
    field->selectAll();
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    if (!dialog)
        return value; // went with its parent while it ran
    const int result = int(field->value());
    delete dialog.data();
    if (!accepted)
        return value;
    if (ok)
        *ok = true;
    return result;
}
