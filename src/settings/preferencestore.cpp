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

#include <condition_variable>
#include <mutex>
#include <thread>

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

// One thread per store that writes the newest values handed to it.
class PreferenceStore::Writer {
public:
    Writer(QString folder, QString filePath)
        : m_folder(std::move(folder))
        , m_filePath(std::move(filePath))
        , m_thread([this] { run(); })
    {
    }

    ~Writer()
    {
        {
            std::unique_lock lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    void submit(QJsonObject values)
    {
        {
            std::unique_lock lock(m_mutex);
            m_pending = std::move(values);
        }
        m_wake.notify_all();
    }

    void flush()
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return !m_pending && !m_writing; });
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_pending || m_stopping; });
            if (!m_pending)
                return; // stopping with nothing left to write
            const QJsonObject values = std::move(*m_pending);
            m_pending.reset();
            m_writing = true;
            lock.unlock();
            write(values);
            lock.lock();
            m_writing = false;
            m_idle.notify_all();
        }
    }

    void write(const QJsonObject& values)
    {
        auto written = makePrivateFolder(m_folder);
        if (written)
            written = writePrivateFile(
                m_filePath, QJsonDocument(values).toJson(QJsonDocument::Indented));
        // A full disk fails every write until space is freed: one line per run of failures.
        if (!written && !m_failing) {
            qCCritical(lcSettings, "Could not save preferences to %s: %s",
                qUtf8Printable(m_filePath), qUtf8Printable(written.error()));
        }
        m_failing = !written;
    }

    const QString m_folder;
    const QString m_filePath;
    bool m_failing = false; // writer thread only
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<QJsonObject> m_pending;
    bool m_writing = false;
    bool m_stopping = false;
    std::thread m_thread;
};

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
    if (!m_writer)
        m_writer = std::make_unique<Writer>(m_folder, m_filePath);
    m_writer->submit(m_values);
}

void PreferenceStore::flush()
{
    if (m_writer)
        m_writer->flush();
}

} // namespace halyard
