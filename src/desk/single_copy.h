#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace tvx {

// The hand-over record: the byte count (little-endian 32-bit) of the path with its terminating
// zero, then those bytes. The first copy answers one byte: '1' taken, '0' refused.
inline constexpr std::size_t kMaxHandOverBytes = 1024;   // the terminating zero included

// Per user: in the user's runtime folder when there is one, else a name with the user's id.
QString DefaultCopyName();

// The record for a path, or nothing when the path is 1,024 bytes or longer: such a path is
// refused, never cut.
std::optional<QByteArray> HandOverRecord(const std::string& path);

enum class HandOver {
    Delivered,     // the first copy took it
    Refused,       // the first copy answered that it would not take it
    TooLong,       // not sent: 1,024 bytes or more
    NoFirstCopy,   // nobody listens on the name
    NoAnswer,      // a copy took the connection but did not answer in time
};
HandOver SendToFirstCopy(const QString& name, const std::string& path, int timeoutMs = 5000);

// The first copy's side: listens on the name with user-only access and turns each record into
// signals on the window thread.
class SingleCopy : public QObject {
    Q_OBJECT
public:
    explicit SingleCopy(QString name = DefaultCopyName(), QObject* parent = nullptr);
    ~SingleCopy() override;

    // True when this copy now listens. False when a live copy answers on the name, or when
    // listening failed for another reason (ErrorString() says why; the program may run alone).
    // A socket left behind by a crashed copy is removed and taken over.
    bool Listen();
    bool IsListening() const;
    bool AnotherCopyAnswered() const { return m_otherAlive; }
    QString ErrorString() const;
    QString Name() const { return m_name; }

    // While held (a pass owns the window), the last record received waits; release delivers it
    // from the event loop, after the caller has returned.
    void SetHeld(bool held);

signals:
    void ToFront();                       // every record taken, even an empty one
    void PathReceived(const QString& path);   // a record with a path in it

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);
    void Deliver(const QByteArray& path);

    QString m_name;
    QLocalServer* m_server;
    bool m_otherAlive = false;
    bool m_held = false;
    std::optional<QByteArray> m_waiting;
};

// What a start of the program does first: hand `path` to a running copy and say the exit
// status to end with, or nothing when this copy is the first (then `copy` listens). A relative
// path is made absolute here, since the first copy may run in another folder.
std::optional<int> HandOverOrListen(SingleCopy& copy, const std::string& path);

}  // namespace tvx
