#include "kuintegerdialog.h"

#include "kudoublespinbox.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("kuIntegerDialog", text);
}
} // namespace

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
    auto* message = new QLabel(dialog);
    message->setObjectName(QStringLiteral("message"));
    message->setWordWrap(true);
    message->setTextFormat(Qt::PlainText); // it repeats what was typed
    message->hide();
    layout->addWidget(message);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [=] {
        // A refused entry has put the old value back in the field: closing now would take it unseen.
        field->commitEntry();
        if (!field->entryRefused()) {
            dialog->accept();
            return;
        }
        QString typed = field->refusedText();
        field->clearEntryRefused();
        if (typed.size() > 24)
            typed = typed.left(23) + QChar(0x2026);
        const QString wanted = tr("Введите целое число от %1 до %2.").arg(minimum).arg(maximum);
        message->setText(typed.isEmpty() ? wanted : tr("«%1» не принято. %2").arg(typed, wanted));
        message->show();
        dialog->adjustSize(); // room for the message's lines
        field->setFocus();
        field->selectAll();
    });
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
