#pragma once

#include <QDialog>
#include <QJsonObject>

#include <memory>

class QListView;
class QTabWidget;
class QTableView;

namespace Ui {
class kuChartSettings;
}

// The chart's properties: its descriptors on page "График", its objects with
// their parameters on page "Менеджер". It edits a copy of the chart window's
// state and knows nothing of charts; deletions are reported at once.
class kuChartSettings : public QDialog
{
    Q_OBJECT

public:
    explicit kuChartSettings(QWidget* parent = nullptr);
    ~kuChartSettings() override;

    void setSettings(const QJsonObject& json);
    // 0 objects, 1 chart; anything else shows the objects.
    void setCurrentTab(int numPage);
    // The entry of that name (any letter case) on the current page.
    void selectObject(const QString& objectName);
    // The edited state after Save; empty otherwise.
    QJsonObject settings() const;

    QTabWidget* tabWidget() const;
    QListView* objectList() const;
    QTableView* objectTable() const;
    QListView* descriptorList() const;
    QTableView* descriptorTable() const;

public slots:
    void accept() override;
    void reject() override;
    void slot_deleteObject();
    void slot_deleteAllObject();

signals:
    void on_deleteObject(QString objectName);
    void on_deleteAllObject();

protected:
    void changeEvent(QEvent* event) override;

private:
    void enableDeleteButtons();
    // Shows the first cell holding a refused text, opened for editing; false when there is none.
    bool showRefused();

    std::unique_ptr<Ui::kuChartSettings> ui;
    QJsonObject m_json;
    bool m_accepted = false;
};
