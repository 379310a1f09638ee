#include "desk/single_copy.h"

#include "core/absolute_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace tvx {

namespace {

constexpr int kConnectMs = 1000;
constexpr int kSilentClientMs = 3000;   // a client that never finishes its record is dropped
constexpr char kTaken = '1';
constexpr char kRefused = '0';
constexpr char kDone[] = "tvxAnswered";

std::uint32_t LoadLe32(const QByteArray& b) {
    return std::uint32_t{static_cast<std::uint8_t>(b[0])} |
           std::uint32_t{static_cast<std::uint8_t>(b[1])} << 8 |
           std::uint32_t{static_cast<std::uint8_t>(b[2])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(b[3])} << 24;
}

void Answer(QLocalSocket* socket, char answer) {
    socket->setProperty(kDone, true);
    socket->write(&answer, 1);
    socket->flush();
    socket->disconnectFromServer();
}

}  // namespace

QString DefaultCopyName() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/tessivox.copy");
    return QStringLiteral("tessivox-%1.copy").arg(::getuid());
}

std::optional<QByteArray> HandOverRecord(const std::string& path) {
    if (path.size() + 1 > kMaxHandOverBytes)
        return std::nullopt;
    const auto count = static_cast<std::uint32_t>(path.size() + 1);
    QByteArray record;
    for (int shift = 0; shift < 32; shift += 8)
        record += static_cast<char>((count >> shift) & 0xFF);
    record += QByteArray::fromStdString(path);
    record += '\0';
    return record;
}

HandOver SendToFirstCopy(const QString& name, const std::string& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectMs))
        return HandOver::NoFirstCopy;
    const std::optional<QByteArray> record = HandOverRecord(path);
    if (!record)
        return HandOver::TooLong;
    socket.write(*record);
    if (!socket.waitForBytesWritten(timeoutMs))
        return HandOver::NoAnswer;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(timeoutMs))
            return HandOver::NoAnswer;
    char answer = 0;
    socket.read(&answer, 1);
    return answer == kTaken ? HandOver::Delivered : HandOver::Refused;
}

SingleCopy::SingleCopy(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleCopy::OnNewConnection);
}

SingleCopy::~SingleCopy() = default;

bool SingleCopy::Listen() {
    m_otherAlive = false;
    if (m_server->listen(m_name))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // The name is taken: by a live copy, which answers, or by a crashed one's socket file.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(kConnectMs)) {
        m_otherAlive = true;
        probe.abort();
        return false;
    }
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

bool SingleCopy::IsListening() const { return m_server->isListening(); }

QString SingleCopy::ErrorString() const { return m_server->errorString(); }

void SingleCopy::SetHeld(bool held) {
    m_held = held;
    if (held || !m_waiting)
        return;
    const QByteArray path = *m_waiting;
    m_waiting.reset();
    // Not from inside the release: whoever released is still finishing its own work, and a
    // load started here would run in the middle of it.
    QMetaObject::invokeMethod(this, [this, path] { Deliver(path); }, Qt::QueuedConnection);
}

void SingleCopy::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kSilentClientMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
    }
}

void SingleCopy::OnReadyRead(QLocalSocket* socket) {
    if (socket->property(kDone).toBool() || socket->bytesAvailable() < 4)
        return;
    const std::uint32_t count = LoadLe32(socket->peek(4));
    // Checked before anything is read: a record that would not fit is refused, never cut.
    if (count == 0 || count > kMaxHandOverBytes) {
        Answer(socket, kRefused);
        return;
    }
    if (socket->bytesAvailable() < 4 + static_cast<qint64>(count))
        return;
    socket->read(4);
    QByteArray data = socket->read(count);
    if (!data.endsWith('\0')) {
        Answer(socket, kRefused);
        return;
    }
    data.truncate(data.indexOf('\0'));
    Answer(socket, kTaken);
    // Delivered from the event loop, so that a long load never runs inside the socket's signal.
    QMetaObject::invokeMethod(this, [this, data] { Deliver(data); }, Qt::QueuedConnection);
}

void SingleCopy::Deliver(const QByteArray& path) {
    if (m_held) {
        m_waiting = path;
        return;
    }
    emit ToFront();
    if (!path.isEmpty())
        emit PathReceived(QFile::decodeName(path));
}

std::optional<int> HandOverOrListen(SingleCopy& copy, const std::string& path) {
    const std::string absolute = AbsolutePath(path);
    // Two tries: a copy that started at the same moment may win the name between them.
    for (int attempt = 0; attempt < 2; ++attempt) {
        switch (SendToFirstCopy(copy.Name(), absolute)) {
        case HandOver::Delivered:
            return 0;
        case HandOver::TooLong:
            std::fprintf(stderr,
                         "tessivox: the path is 1,024 characters or longer and cannot be "
                         "handed to the running copy: %s\n",
                         absolute.c_str());
            return 1;
        case HandOver::Refused:
            std::fprintf(stderr, "tessivox: the running copy refused the path: %s\n",
                         absolute.c_str());
            return 1;
        case HandOver::NoAnswer:
            std::fprintf(stderr, "tessivox: the running copy does not answer\n");
            return 1;
        case HandOver::NoFirstCopy:
            break;
        }
        if (copy.Listen())
            return std::nullopt;
        if (!copy.AnotherCopyAnswered()) {
            std::fprintf(stderr, "tessivox: later copies cannot reach this one: %s\n",
                         qPrintable(copy.ErrorString()));
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace tvx
