#include "kuactionsmenubar.h"

#include "kuactionsmodel.h"

#include <QAction>
#include <QMenu>

kuActionsMenuBar::kuActionsMenuBar(QWidget* parent) : QMenuBar(parent)
{
    setObjectName(QStringLiteral("kuActionsMenuBar"));
}

kuActionsMenuBar::~kuActionsMenuBar()
{
    // The model may be our child and clear itself while we are half destroyed.
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
}

kuActionsModel* kuActionsMenuBar::model()
{
    if (!m_model)
        setModel(new kuActionsModel(this));
    return m_model;
}

void kuActionsMenuBar::setModel(kuActionsModel* model)
{
    if (m_model) {
        disconnect(m_model, &kuActionsModel::actionInserted, this, &kuActionsMenuBar::model_actionInserted);
        disconnect(m_model, &kuActionsModel::actionsCleared, this, &kuActionsMenuBar::model_actionsCleared);
        clear();
    }
    m_model = model;
    if (!m_model)
        return;

    const QList<QAction*> top = m_model->children(nullptr);
    for (QAction* action : top)
        model_actionInserted(action);
    connect(m_model, &kuActionsModel::actionInserted, this, &kuActionsMenuBar::model_actionInserted);
    connect(m_model, &kuActionsModel::actionsCleared, this, &kuActionsMenuBar::model_actionsCleared);
}

void kuActionsMenuBar::model_actionInserted(QAction* action)
{
    if (!m_model || !action || m_model->parentAction(action) || !action->menu())
        return;
    addMenu(action->menu());
}

void kuActionsMenuBar::model_actionsCleared()
{
    clear();
}
