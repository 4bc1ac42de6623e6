#pragma once

#include <QString>

#include <expected>

namespace halyard::json {

// Why a JSON value did not decode: where (a key path such as "event.blocks[0].text") and what
// was wrong there. The description is what "Decoding failed: …" lines show. Shared by the
// reader of Slack's payloads and the reader of the program's own files.
struct DecodeError {
    QString path;
    QString message;

    QString description() const { return path.isEmpty() ? message : path + u": " + message; }

    friend bool operator==(const DecodeError&, const DecodeError&) = default;
};

template <typename T> using Decoded = std::expected<T, DecodeError>;

} // namespace halyard::json
