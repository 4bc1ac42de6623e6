#pragma once

#include <QSslConfiguration>
#include <QTcpServer>

#include <optional>

namespace halyard::sim {

// A TCP server whose incoming connections are plain, or TLS once a configuration is set. Qt 6.4
// has no QSslServer, so encryption starts here, before the connection is handed out: readers
// then see only decrypted bytes and need not know which kind they got.
class LoopbackServer : public QTcpServer {
    Q_OBJECT
public:
    using QTcpServer::QTcpServer;

    // Applies to connections accepted later; nullopt goes back to plain TCP.
    void setTls(std::optional<QSslConfiguration> configuration);
    bool isTls() const { return m_tls.has_value(); }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    std::optional<QSslConfiguration> m_tls;
};

} // namespace halyard::sim
