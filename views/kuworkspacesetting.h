#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QVariantList>
#include <memory>

class QPushButton;
class Ui_kuWorkspaceSetting;
class kuTableView;
class kuWorkspaceSettingModel;
class kuWorkspaceSettingProxyModel;

// The known settings files of table settings: save the layout to a new one,
// forget one, or choose one to load (the main window then loads loadedPath()).
class kuWorkspaceSetting : public QDialog
{
    Q_OBJECT
public:
    explicit kuWorkspaceSetting(QWidget* parent = nullptr);
    ~kuWorkspaceSetting() override;

    // Lets the main window make this dialog for its save and load entries.
    static void registerWithClient();

    // The path of the row the last load made active; empty until then.
    QString loadedPath() const;
    void reloadRows();
    void fillModel(const QVariantList& rows);
    void setupView();

    kuWorkspaceSettingProxyModel* proxyModel() const { return m_proxy.get(); }
    kuTableView* view() const { return settingView; }

public slots:
    int exec() override;
    void appendSetting();
    void slot_removeSetting();
    void slot_loadSetting();
    void slot_currentRowChanged(QModelIndex current, QModelIndex previous);

private:
    std::unique_ptr<Ui_kuWorkspaceSetting> ui;
    std::unique_ptr<kuWorkspaceSettingProxyModel> m_proxy;
    kuWorkspaceSettingModel* m_model = nullptr;
    kuTableView* settingView = nullptr;
    QPushButton* btnAddSetting = nullptr;
    QPushButton* btnRemoveSetting = nullptr;
    QPushButton* btnLoadSetting = nullptr;
    QString m_loadedPath;
};
