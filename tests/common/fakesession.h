#pragma once

#include "cannedconverter.h"
#include "kuconnectionmanager.h"
#include "recordingconnector.h"

// While it lives, kuConnectionManager::instance() is a manager over one
// RecordingConnector whose converter is a CannedConverter (or another one, such
// as the program's own): a window under test sends its requests to conn() and
// gets its data from converter(). Nothing touches the network. The instance set
// before comes back when it goes.
template <typename Converter>
class BasicFakeSession
{
public:
    BasicFakeSession()
        : m_connector(new RecordingConnector),
          m_manager(kuConnectionManager::Connectors{m_connector}, kuConnectionManager::Converters{{3, &m_converter}})
    {
        m_manager.connection();
        m_previous = kuConnectionManager::setInstanceForTests(&m_manager);
    }
    ~BasicFakeSession() { kuConnectionManager::setInstanceForTests(m_previous); }
    BasicFakeSession(const BasicFakeSession&) = delete;
    BasicFakeSession& operator=(const BasicFakeSession&) = delete;

    kuConnectionManager* manager() { return &m_manager; }
    // The manager's current connection (a new one after a hand-over).
    RecordingConn* conn() { return dynamic_cast<RecordingConn*>(m_manager.connection().data()); }
    Converter* converter() { return &m_converter; }

private:
    Converter m_converter;
    QSharedPointer<RecordingConnector> m_connector;
    kuConnectionManager m_manager;
    QPointer<kuConnectionManager> m_previous;
};

using FakeSession = BasicFakeSession<CannedConverter>;
