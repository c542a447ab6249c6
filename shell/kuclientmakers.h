#pragma once

#include "kuclient.h"

#include <QHash>
#include <QString>

#include <functional>

// What start-up registered with the main window: how the dialogs it shares and
// the trading windows are made. Only the main window's own files read it.
struct kuClientMakers
{
    kuClient::OrderManagerMaker makeOrderManager;
    std::function<void(kuOrderManager*)> resetOrderManager;
    kuClient::PaperListFormMaker makePaperListForm;
    std::function<void(kuPaperListForm*)> refillPaperListForm;
    std::function<int(kuPaperListForm*)> currentPaperID;
    QHash<int, kuClient::WindowMaker> windowMakers;
    kuClient::WorkspaceSettingMaker makeWorkspaceSetting;
    std::function<void(kuWorkspaceSetting*)> appendSetting;
    std::function<QString(kuWorkspaceSetting*)> loadedPath;
};

// The process's one set: registrations come before the main window and outlive it.
kuClientMakers& clientMakers();
