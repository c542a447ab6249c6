#pragma once

#include "cannedconverter.h"
#include "kuconnectionmanager.h"
#include "recordingconnector.h"

// While it lives, kuConnectionManager::instance() is a manager over one
// RecordingConnector whose converter is a CannedConverter: a window under test
// sends its requests to conn() and gets its data from converter(). Nothing
// touches the network. The instance set before comes back when it goes.
class FakeSession
{
public:
    FakeSession()
        : m_connector(new RecordingConnector),
          m_manager(kuConnectionManager::Connectors{m_connector}, kuConnectionManager::Converters{{3, &m_converter}})
    {
        m_manager.connection();
        m_previous = kuConnectionManager::setInstanceForTests(&m_manager);
    }
    ~FakeSession() { kuConnectionManager::setInstanceForTests(m_previous); }
    FakeSession(const FakeSession&) = delete;
    FakeSession& operator=(const FakeSession&) = delete;

    kuConnectionManager* manager() { return &m_manager; }
    // The manager's current connection (a new one after a hand-over).
    RecordingConn* conn() { return dynamic_cast<RecordingConn*>(m_manager.connection().data()); }
    CannedConverter* converter() { return &m_converter; }

private:
    CannedConverter m_converter;
    QSharedPointer<RecordingConnector> m_connector;
    kuConnectionManager m_manager;
    QPointer<kuConnectionManager> m_previous;
};
