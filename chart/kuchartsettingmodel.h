#pragma once

#include <QAbstractItemModel>
#include <QJsonArray>
#include <QJsonObject>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QStyledItemDelegate>

// A node of the settings tree: the root, an entry (descriptor or chart object)
// or one of its parameters, with the name of the entry or child object whose
// "params" it came from.
class kuChartSettingItem
{
public:
    kuChartSettingItem(const QJsonObject& object, kuChartSettingItem* parent, const QString& ownerName = QString());
    ~kuChartSettingItem();
    kuChartSettingItem(const kuChartSettingItem&) = delete;
    kuChartSettingItem& operator=(const kuChartSettingItem&) = delete;

    kuChartSettingItem* appendChild(const QJsonObject& object, const QString& ownerName = QString());
    kuChartSettingItem* child(int row) const { return m_children.value(row); }
    int childCount() const { return m_children.size(); }
    // Position among the parent's children; 0 for the root.
    int row() const;
    // Deletes count children from row on.
    void removeChildren(int row, int count);
    kuChartSettingItem* parent() const { return m_parent; }
    QJsonObject& object() { return m_object; }
    const QJsonObject& object() const { return m_object; }
    QString ownerName() const { return m_ownerName; }
    // A typed text the cell did not take, kept to be shown and mended.
    bool isRefused() const { return m_refused; }
    QString refusedText() const { return m_refusedText; }
    void setRefused(bool refused, const QString& text = QString())
    {
        m_refused = refused;
        m_refusedText = refused ? text : QString();
    }

private:
    QList<kuChartSettingItem*> m_children;
    kuChartSettingItem* m_parent;
    QJsonObject m_object;
    QString m_ownerName;
    QString m_refusedText;
    bool m_refused = false;
};

// Entries ("name", "label", "params", "childrenObject") over their parameters
// ("label", "value", "availableValue", "hidden", "name"); edits replace "value".
class kuChartSettingModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Roles
    {
        AvailableValueRole = Qt::UserRole + 1,
        HiddenRole,
        NameRole,
        // A parameter that takes whole numbers only ("wholeNumber").
        WholeNumberRole,
        // The text typed into a number cell that is no number for it: the cell shows it
        // as refused until a number replaces it. Set with the text (a string, even empty);
        // reads as an invalid variant when the cell holds none.
        RefusedTextRole
    };

    explicit kuChartSettingModel(const QJsonArray& entries, QObject* parent = nullptr);
    ~kuChartSettingModel() override;

    // The entries in their order as read, each parameter written back to its owner.
    QJsonArray toJson() const;
    // The first value cell holding a refused text; invalid when none does.
    QModelIndex firstRefused() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

private:
    kuChartSettingItem* itemOf(const QModelIndex& index) const;
    static QJsonArray paramsOf(const kuChartSettingItem* entry, const QString& owner);

    kuChartSettingItem* m_root;
    QStringList m_titles;
};

// Hides the rows flagged "hidden", at every level.
class kuChartSettingProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit kuChartSettingProxyModel(QObject* parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
};

// A drop-down list for values offered by "availableValue"; a colour dialog on a double click on a colour;
// numbers are typed as text, with "," or "." alike, whatever the locale.
class kuChartSettingDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit kuChartSettingDelegate(QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    // What a number cell says of a text that is no number for it.
    static QString refusal(bool wholeNumber);

protected:
    // A number cell left with a refused text keeps it, shown as refused, rather than
    // dropping it without a word.
    bool eventFilter(QObject* editor, QEvent* event) override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};
