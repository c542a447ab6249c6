#pragma once

#include <QDialog>

#include <functional>

class QAbstractButton;
class QComboBox;
class QFontComboBox;
class QGraphicsSimpleTextItem;
class QLabel;
class QSignalMapper;
class QTextEdit;
class QToolButton;
class kuColorButton;
namespace Ui {
class kuTextObjectDialog;
}

// Writes and styles the text of a chart label, with a live preview. New-text
// mode: the caller reads the preview label afterwards. Edit mode: OK writes
// the result into the label's item; "Удалить" hides it. One run per dialog.
class kuTextObjectDialog : public QDialog
{
    Q_OBJECT

public:
    enum Mode
    {
        NewText = 1000,
        EditText = 1001,
        NotStarted = 1002
    };

    // Runs the dialog in place of the modal loop (tests); empty restores the loop.
    using Runner = std::function<int(kuTextObjectDialog* dialog)>;
    static void setRunner(Runner runner);

    explicit kuTextObjectDialog(QWidget* parent = nullptr);
    ~kuTextObjectDialog() override;

    int execNew();
    // False when the item was deleted (or is null).
    bool execEdit(QGraphicsSimpleTextItem* item);
    QLabel* previewLabel() const { return m_previewLabel; }
    int dialogMode() const { return m_dialogMode; }
    QString previewStyleFormat() const { return m_previewStyleFormat; }
    // Whether OK pushed the pointing hand that the placed text pops.
    bool cursorPushed() const { return m_cursorPushed; }

    QFontComboBox* fontComboBox() const { return m_fontComboBox; }
    QComboBox* sizeComboBox() const { return m_sizeComboBox; }
    QTextEdit* textEdit() const { return m_textEdit; }
    kuColorButton* colorButton() const { return m_colorButton; }
    QToolButton* boldToolButton() const { return m_boldToolButton; }
    QToolButton* italicToolButton() const { return m_italicToolButton; }
    QToolButton* underlineToolButton() const { return m_underlineToolButton; }
    QAbstractButton* deleteButton() const;

    // A font's size in points, derived from its pixel size when it has none; 0 when unknown.
    static int pointSizeOf(const QFont& font);

public slots:
    void handleTextChanged();
    void handleDeleteText(QAbstractButton* button);
    void handleLablePrevievStyle(int type);
    void accept() override;
    void reject() override;
    int exec() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void selectSize(const QFont& font);
    void showFontStyle(const QFont& font);

    Ui::kuTextObjectDialog* ui;
    QFontComboBox* m_fontComboBox;
    QComboBox* m_sizeComboBox;
    QLabel* m_previewLabel;
    QTextEdit* m_textEdit;
    kuColorButton* m_colorButton;
    QToolButton* m_boldToolButton;
    QToolButton* m_italicToolButton;
    QToolButton* m_underlineToolButton;
    QSignalMapper* m_signalMapper;
    QGraphicsSimpleTextItem* m_editedItem = nullptr;
    bool m_textDeleted = false;
    bool m_cursorPushed = false;
    int m_dialogMode = NotStarted;
    QString m_previewStyleFormat;
};
