#include "kuclient.h"

#include "kuclientmakers.h"

#include <QDialog>

void kuClient::setOrderManagerCreator(OrderManagerMaker make, std::function<void(kuOrderManager*)> reset)
{
    clientMakers().makeOrderManager = std::move(make);
    clientMakers().resetOrderManager = std::move(reset);
}

void kuClient::setPaperListFormCreator(PaperListFormMaker make, std::function<void(kuPaperListForm*)> refill,
                                       std::function<int(kuPaperListForm*)> current)
{
    clientMakers().makePaperListForm = std::move(make);
    clientMakers().refillPaperListForm = std::move(refill);
    clientMakers().currentPaperID = std::move(current);
    if (liveInstance())
        liveInstance()->updateMakerActions();
}

void kuClient::setWorkspaceSettingCreator(WorkspaceSettingMaker make, std::function<void(kuWorkspaceSetting*)> append,
                                          std::function<QString(kuWorkspaceSetting*)> loadedPath)
{
    clientMakers().makeWorkspaceSetting = std::move(make);
    clientMakers().appendSetting = std::move(append);
    clientMakers().loadedPath = std::move(loadedPath);
    if (liveInstance())
        liveInstance()->updateWorkspaceSettingActions();
}

kuOrderManager* kuClient::orderManager()
{
    const kuClientMakers& c = clientMakers();
    if (!m_orderManagerDialog) {
        m_orderManager = nullptr;
        if (!c.makeOrderManager)
            return nullptr;
        const auto made = c.makeOrderManager();
        m_orderManager = made.first;
        m_orderManagerDialog = made.second;
        if (!m_orderManagerDialog)
            return m_orderManager = nullptr;
    }
    if (c.resetOrderManager)
        c.resetOrderManager(m_orderManager);
    return m_orderManager;
}

kuPaperListForm* kuClient::paperListForm()
{
    const kuClientMakers& c = clientMakers();
    if (!m_paperListFormDialog) {
        m_paperListForm = nullptr;
        if (!c.makePaperListForm)
            return nullptr;
        const auto made = c.makePaperListForm(this);
        m_paperListForm = made.first;
        m_paperListFormDialog = made.second;
        if (!m_paperListFormDialog)
            return m_paperListForm = nullptr;
    }
    return m_paperListForm;
}

int kuClient::choosePaper()
{
    kuPaperListForm* form = paperListForm();
    const kuClientMakers& c = clientMakers();
    if (!form)
        return 0;
    if (c.refillPaperListForm)
        c.refillPaperListForm(form);
    const QPointer<QDialog> dialog = m_paperListFormDialog;
    if (dialog->exec() != QDialog::Accepted || !dialog)
        return 0;
    return c.currentPaperID ? c.currentPaperID(form) : 0;
}
