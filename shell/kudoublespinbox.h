#pragma once

#include <QDoubleSpinBox>

// Real numbers shown with a point as decimal mark and blanks between groups of thousands,
// whatever the system's language. Typed numbers may carry "," or "." as the decimal mark
// and blanks (also no-break ones) between groups; any other entry keeps the previous value.
class kuDoubleSpinBox : public QDoubleSpinBox
{
    Q_OBJECT

public:
    explicit kuDoubleSpinBox(QWidget* parent = nullptr);

    double valueFromText(const QString& text) const override;
    QString textFromValue(double value) const override;
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& input) const override;

    // Takes the text being typed as leaving the field would; false when it was refused and
    // the previous value came back.
    bool commitEntry();
    // Whether what was typed was refused (an emptied field too) when editing last ended;
    // it stays so until an entry is taken or the mark is cleared.
    bool entryRefused() const { return m_entryRefused; }
    void clearEntryRefused() { m_entryRefused = false; }
    // The text of the last refused entry, for telling the user what was not taken.
    QString refusedText() const { return m_refusedText; }

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString numberPart(const QString& text) const;
    void noteEntry();

    bool m_edited = false; // typed into since editing last ended
    bool m_entryRefused = false;
    QString m_refusedText;
};
