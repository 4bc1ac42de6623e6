#pragma once

#include "settings/keychainservice.h"

#include <memory>

namespace halyard {

// The tokens a service manager hands over as credential files (LoadCredential=,
// LoadCredentialEncrypted=): "slack-bot-token" and "slack-app-token" in one folder, read-only.
// For servers without a Secret Service; the tokens never pass through the environment or the
// command line.
class CredentialsFolder : public KeychainService {
public:
    explicit CredentialsFolder(QString folder);

    // A store on $CREDENTIALS_DIRECTORY when it holds both files; null otherwise.
    static std::unique_ptr<KeychainService> fromEnvironment();

    QCoro::Task<std::expected<void, KeychainError>> set(QString value, QString account) override;
    // One line, surrounding white space removed (the file of `echo … | systemd-creds encrypt`
    // ends in a line break).
    QCoro::Task<std::expected<std::optional<QString>, KeychainError>> get(QString account) override;
    QCoro::Task<std::expected<void, KeychainError>> remove(QString account) override;

    // The file that holds the account's value; empty for an account it does not keep.
    static QString fileName(QStringView account);

private:
    QString m_folder;
};

} // namespace halyard
