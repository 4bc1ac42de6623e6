#include "sim/loopbackserver.h"

#include <QSslSocket>

namespace halyard::sim {

void LoopbackServer::setTls(std::optional<QSslConfiguration> configuration)
{
    m_tls = std::move(configuration);
}

void LoopbackServer::incomingConnection(qintptr descriptor)
{
    if (!m_tls) {
        QTcpServer::incomingConnection(descriptor);
        return;
    }
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setSslConfiguration(*m_tls);
    // A client that fails the handshake is simply disconnected; readers never see its bytes.
    socket->startServerEncryption();
    addPendingConnection(socket);
}

} // namespace halyard::sim
