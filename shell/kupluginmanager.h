#pragma once

#include "wintype.h"

#include <QDialog>
#include <QMap>
#include <QPointer>
#include <QSharedPointer>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

namespace Ui {
class kuPluginManager;
}
class kuLightBoxWidget;
class kuPluginManagerItem;
class kuPluginManagerModel;
class kuPluginManagerView;

// The dialog "Управление расширениями": the server's plug-in catalogue with
// the widget plug-ins of this machine, and the user's choices about them.
class kuPluginManager : public QDialog
{
    Q_OBJECT
public:
    using ItemMap = QMap<QString, QSharedPointer<kuPluginManagerItem>>;

    explicit kuPluginManager(QWidget* parent = nullptr);
    ~kuPluginManager() override;

    void refreshPlugins();
    void markLoadedPlugins(ItemMap& items);
    kuPluginManagerModel* model() const;

public slots:
    void serverPluginSync();
    void slot_serverPluginSync(WinType winType, QVariantList dataList, QVariantMap args);
    void reject() override;

private:
    void dropVanishedRows(const QVariantMap& args);

    std::unique_ptr<Ui::kuPluginManager> ui;
    QPointer<kuPluginManagerModel> m_model;
    QPointer<kuPluginManagerView> m_view;
    QPointer<kuLightBoxWidget> m_lightBox;
};
