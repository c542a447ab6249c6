#include "kuworkspacesavesetting.h"

#include "ui_kuworkspacesavesetting.h"

#include "kuapplication.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>

kuWorkspaceSaveSetting::kuWorkspaceSaveSetting(QWidget* parent) : QDialog(parent), ui(new Ui_kuWorkspaceSaveSetting)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuWorkspaceSaveSetting"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    fileDialogBtn = ui->fileDialogBtn;
    pathSetting = ui->pathSetting;
    descriptionText = ui->descriptionText;
    connect(fileDialogBtn, &QToolButton::clicked, this, &kuWorkspaceSaveSetting::slot_getSaveFile);
    // No file, no save: OK waits for a path, typed or chosen.
    okButton = ui->buttonBox->button(QDialogButtonBox::Ok);
    connect(pathSetting, &QLineEdit::textChanged, this, &kuWorkspaceSaveSetting::updateOkButton);
    updateOkButton();
}

kuWorkspaceSaveSetting::~kuWorkspaceSaveSetting() = default;

// A typed name without a folder goes where the browse dialog starts, not wherever the program was started.
QString kuWorkspaceSaveSetting::filePath() const
{
    const QString typed = pathSetting->text().trimmed();
    return typed.isEmpty() ? QString() : QDir::cleanPath(QDir(kuApplication::configPath()).absoluteFilePath(typed));
}

QString kuWorkspaceSaveSetting::description() const
{
    return descriptionText->toPlainText();
}

void kuWorkspaceSaveSetting::slot_getSaveFile()
{
    // The settings folder: the program's own folder may be read-only.
    const QString path = QFileDialog::getSaveFileName(this, tr("Файл настроек"), kuApplication::configPath(),
                                                      tr("Файл настроек (*.vlm);;Все файлы (*)"));
    if (!path.isEmpty())
        pathSetting->setText(path);
}

void kuWorkspaceSaveSetting::updateOkButton()
{
    if (okButton)
        okButton->setEnabled(!pathSetting->text().trimmed().isEmpty());
}
