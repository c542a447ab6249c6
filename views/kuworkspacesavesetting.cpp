#include "kuworkspacesavesetting.h"

#include "ui_kuworkspacesavesetting.h"

#include "kuapplication.h"

#include <QFileDialog>

kuWorkspaceSaveSetting::kuWorkspaceSaveSetting(QWidget* parent) : QDialog(parent), ui(new Ui_kuWorkspaceSaveSetting)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuWorkspaceSaveSetting"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    fileDialogBtn = ui->fileDialogBtn;
    pathSetting = ui->pathSetting;
    descriptionText = ui->descriptionText;
    connect(fileDialogBtn, &QToolButton::clicked, this, &kuWorkspaceSaveSetting::slot_getSaveFile);
}

kuWorkspaceSaveSetting::~kuWorkspaceSaveSetting() = default;

QString kuWorkspaceSaveSetting::filePath() const
{
    return pathSetting->text();
}

QString kuWorkspaceSaveSetting::description() const
{
    return descriptionText->toPlainText();
}

void kuWorkspaceSaveSetting::slot_getSaveFile()
{
    // The settings folder: the program's own folder may be read-only.
    const QString path = QFileDialog::getSaveFileName(this, tr("Файл настроек"), kuApplication::configPath(),
                                                      tr("Файл настроек (*.vlm);;All Files (*)"));
    if (!path.isEmpty())
        pathSetting->setText(path);
}
