#include "settings/preferencestore.h"

#include "common/logging.h"
#include "common/privatefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {
// Byte data is stored as {"base64": "..."} so that it stays apart from strings.
constexpr QStringView kDataKey = u"base64";
} // namespace

QString PreferenceStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/Halyard"_s;
}

PreferenceStore::PreferenceStore(const QString& folder)
    : m_folder(QFileInfo(folder).absoluteFilePath())
    , m_filePath(QDir(m_folder).filePath(kFileName.toString()))
{
    load();
}

PreferenceStore::~PreferenceStore() = default;

void PreferenceStore::load()
{
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_readOnly = true;
        qCCritical(lcSettings, "Preferences file %s cannot be read (%s); using the defaults",
            qUtf8Printable(m_filePath), qUtf8Printable(file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    QString reason;
    if (error.error != QJsonParseError::NoError)
        reason = error.errorString() + u" at offset "_s + QString::number(error.offset);
    else if (!document.isObject())
        reason = u"not a JSON object"_s;
    if (reason.isEmpty()) {
        m_values = document.object();
        return;
    }

    const auto kept = keepDamagedFileAside(reason);
    if (!kept) {
        m_readOnly = true;
        qCCritical(lcSettings,
            "Preferences file %s is damaged (%s) and could not be kept aside (%s); using the "
            "defaults without saving",
            qUtf8Printable(m_filePath), qUtf8Printable(reason), qUtf8Printable(kept.error()));
    }
}

std::expected<void, QString> PreferenceStore::keepDamagedFileAside(const QString& reason)
{
    const auto keptPath = keepFileAside(m_filePath);
    if (!keptPath)
        return std::unexpected(keptPath.error());
    qCCritical(lcSettings,
        "Preferences file was damaged (%s); kept it as %s and using the defaults",
        qUtf8Printable(reason), qUtf8Printable(*keptPath));
    return {};
}

std::optional<bool> PreferenceStore::boolValue(const QString& key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

std::optional<QString> PreferenceStore::stringValue(const QString& key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<QByteArray> PreferenceStore::dataValue(const QString& key) const
{
    const QJsonValue value = m_values.value(key);
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue encoded = object.value(kDataKey);
    if (object.size() != 1 || !encoded.isString())
        return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(
        encoded.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded.decoded);
}

void PreferenceStore::setBool(const QString& key, bool value)
{
    m_values.insert(key, value);
    save();
}

void PreferenceStore::setString(const QString& key, const QString& value)
{
    m_values.insert(key, value);
    save();
}

void PreferenceStore::setData(const QString& key, const QByteArray& value)
{
    m_values.insert(
        key, QJsonObject { { kDataKey.toString(), QString::fromLatin1(value.toBase64()) } });
    save();
}

void PreferenceStore::remove(const QString& key)
{
    m_values.remove(key);
    save();
}

void PreferenceStore::save()
{
    if (m_readOnly)
        return;
    if (!m_writer) {
        m_writer = std::make_unique<LatestWinsWriter<QJsonObject>>(
            [folder = m_folder, filePath = m_filePath, failing = false](
                const QJsonObject& values) mutable {
                auto written = makePrivateFolder(folder);
                if (written)
                    written = writePrivateFile(
                        filePath, QJsonDocument(values).toJson(QJsonDocument::Indented));
                // A full disk fails every write until space is freed: one line per run of
                // failures. Only the writer thread touches `failing`.
                if (!written && !failing) {
                    qCCritical(lcSettings, "Could not save preferences to %s: %s",
                        qUtf8Printable(filePath), qUtf8Printable(written.error()));
                }
                failing = !written;
            });
    }
    m_writer->submit(m_values);
}

void PreferenceStore::flush()
{
    if (m_writer)
        m_writer->flush();
}

} // namespace halyard
