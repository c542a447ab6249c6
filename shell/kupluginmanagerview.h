#pragma once

#include <QPointer>
#include <QTreeView>

class kuPluginManagerDelegate;

// Tree view of the plug-in catalogue; its delegate draws and clicks the rows.
class kuPluginManagerView : public QTreeView
{
    Q_OBJECT
public:
    explicit kuPluginManagerView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    kuPluginManagerDelegate* delegate() const;

private:
    QPointer<kuPluginManagerDelegate> m_delegate;
};
