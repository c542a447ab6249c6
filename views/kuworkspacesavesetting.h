#pragma once

#include <QDialog>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class Ui_kuWorkspaceSaveSetting;

// Asks for the settings file to save to (through a save-file dialog only) and a description.
class kuWorkspaceSaveSetting : public QDialog
{
    Q_OBJECT
public:
    explicit kuWorkspaceSaveSetting(QWidget* parent = nullptr);
    ~kuWorkspaceSaveSetting() override;

    QString filePath() const;
    QString description() const;

public slots:
    void slot_getSaveFile();

private:
    std::unique_ptr<Ui_kuWorkspaceSaveSetting> ui;
    QToolButton* fileDialogBtn = nullptr;
    QLineEdit* pathSetting = nullptr;
    QPlainTextEdit* descriptionText = nullptr;
};
