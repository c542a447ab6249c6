#include "kuloginform.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace {
QPointer<kuLoginForm> g_form;
}

kuLoginForm::kuLoginForm()
{
    setObjectName(QStringLiteral("kuLoginForm"));
    setWindowTitle(QStringLiteral("Velmoran"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buttons);
}

QPointer<kuLoginForm> kuLoginForm::instance()
{
    if (!g_form)
        g_form = new kuLoginForm;
    return g_form;
}
