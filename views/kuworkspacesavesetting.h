#pragma once

#include <QDialog>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class Ui_kuWorkspaceSaveSetting;

// Asks for the settings file to save to (typed, or chosen in a save-file dialog) and a description.
class kuWorkspaceSaveSetting : public QDialog
{
    Q_OBJECT
public:
    explicit kuWorkspaceSaveSetting(QWidget* parent = nullptr);
    ~kuWorkspaceSaveSetting() override;

    // The path as an absolute one; empty while none is given.
    QString filePath() const;
    QString description() const;

public slots:
    void slot_getSaveFile();

private slots:
    void updateOkButton();

private:
    std::unique_ptr<Ui_kuWorkspaceSaveSetting> ui;
    QToolButton* fileDialogBtn = nullptr;
    QLineEdit* pathSetting = nullptr;
    QPlainTextEdit* descriptionText = nullptr;
    QPushButton* okButton = nullptr;
};
