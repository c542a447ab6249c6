#pragma once

#include <QComboBox>
#include <QStringList>

class QStandardItem;

// Combo box whose entries carry check boxes; the face lists the checked ones.
class kuCheckComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit kuCheckComboBox(QWidget* parent = nullptr);

    QStringList checkedItems() const { return m_checkedItems; }
    void setCheckedItems(const QStringList& items);
    // The text drawn on the face, shortened to fit.
    QString displayText() const { return m_displayText; }

public slots:
    void handlerRowsInserted(const QModelIndex& parent, int start, int end);
    void handlerRowsRemoved(const QModelIndex& parent, int start, int end);
    void handlerItemChanged(QStandardItem* item);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void initialize();
    void collectCheckedItems();
    void updateDisplayText();
    QRect textRect() const;

    QStringList m_checkedItems;
    QString m_displayText;
};
