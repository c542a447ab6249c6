#pragma once

#include <QMenuBar>
#include <QPointer>

class QAction;
class kuActionsModel;

// The main window's menu bar: shows the top-level menus of an actions model.
class kuActionsMenuBar : public QMenuBar
{
    Q_OBJECT

public:
    explicit kuActionsMenuBar(QWidget* parent = nullptr);
    ~kuActionsMenuBar() override;

    kuActionsModel* model();
    void setModel(kuActionsModel* model);

protected slots:
    void model_actionInserted(QAction* action);
    void model_actionsCleared();

private:
    QPointer<kuActionsModel> m_model;
};
