#pragma once

#include <QDoubleSpinBox>

// Real numbers with a point as decimal mark and blanks between groups of
// thousands, whatever the system's language.
class kuDoubleSpinBox : public QDoubleSpinBox
{
    Q_OBJECT

public:
    explicit kuDoubleSpinBox(QWidget* parent = nullptr);

    double valueFromText(const QString& text) const override;
    QString textFromValue(double value) const override;
    QValidator::State validate(QString& text, int& pos) const override;

private:
    QString withoutGroupBlanks(const QString& text, int* pos = nullptr) const;
};
