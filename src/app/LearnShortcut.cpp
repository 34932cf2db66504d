#include "app/LearnShortcut.h"

#include <QFile>
#include <QInputDialog>
#include <QLocalSocket>
#include <QTimer>

namespace nolby {

namespace {

// What a connection has sent so far, and whether its line has been read.
const char* const kReceived = "nolbyReceived";
const char* const kDone = "nolbyDone";

}  // namespace

LearnShortcut::LearnShortcut(QString socketPath, QObject* parent) : QObject(parent), path_(std::move(socketPath)) {
    // Only this user may reach the socket (its folder is private already; a fallback folder
    // in /tmp is not).
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &LearnShortcut::accept);
}

LearnShortcut::~LearnShortcut() { server_.close(); }

QString LearnShortcut::defaultPath() { return QString::fromStdString(LearnLine::socketPath()); }

bool LearnShortcut::listen() {
    if (server_.isListening()) return true;
    // Someone answers there: another instance is running and keeps its socket. (Asked
    // first: with access options set, listening puts a new socket in place of an old one.)
    {
        QLocalSocket probe;
        probe.connectToServer(path_);
        if (probe.waitForConnected(300)) return false;
    }
    if (server_.listen(path_)) return true;
    if (server_.serverError() != QAbstractSocket::AddressInUseError) return false;
    // No one answers: an instance that crashed left its socket behind.
    QLocalServer::removeServer(path_);
    return server_.listen(path_);
}

void LearnShortcut::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        // A sender that never finishes its line does not keep a connection open for ever.
        QTimer::singleShot(kIdleMs, socket, [socket] { socket->abort(); });
        readFrom(socket);
    }
}

void LearnShortcut::readFrom(QLocalSocket* socket) {
    if (socket->property(kDone).toBool()) return;
    QByteArray received = socket->property(kReceived).toByteArray();
    // Never hold more than one line's worth, whatever a sender pours in.
    received += socket->read(static_cast<qint64>(LearnLine::kMaxLine) + 1 - received.size());
    socket->setProperty(kReceived, received);
    const auto read = LearnLine::decode(std::string_view(received.constData(), static_cast<size_t>(received.size())));
    switch (read.state) {
    case LearnLine::Read::State::waiting:
        return;
    case LearnLine::Read::State::garbage:
        socket->abort();
        return;
    case LearnLine::Read::State::line:
        break;
    }
    socket->setProperty(kDone, true);
    socket->write(LearnLine::kReply.data(), static_cast<qint64>(LearnLine::kReply.size()));
    socket->flush();
    socket->disconnectFromServer();
    emit reached();
    const LearnLine::Request& request = *read.request;
    if (request.kind == LearnLine::Request::Kind::learn && !request.text.empty()) {
        if (onLearn) onLearn(request.text);
        emit learn(QString::fromStdString(request.text));
    }
    if (request.kind == LearnLine::Request::Kind::open && onOpen) onOpen(request.text);
}

LearnShortcut::HandOff LearnShortcut::handOff(const LearnLine::Request& request, const QString& socketPath,
                                              int connectMs, int replyMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(connectMs)) return HandOff::nobody;
    const std::string line = LearnLine::encode(request);
    socket.write(line.data(), static_cast<qint64>(line.size()));
    if (!socket.waitForBytesWritten(replyMs)) return HandOff::silent;
    // Taken only once the instance says so: a socket that accepts and then dies took nothing.
    QByteArray reply;
    while (reply.size() < static_cast<qsizetype>(LearnLine::kReply.size())) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(replyMs)) break;
        reply += socket.read(static_cast<qint64>(LearnLine::kReply.size()) - reply.size());
    }
    return reply == QByteArray(LearnLine::kReply.data(), static_cast<qsizetype>(LearnLine::kReply.size()))
               ? HandOff::taken
               : HandOff::silent;
}

std::optional<std::string> LearnShortcut::askForTopic(QWidget* parent) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, "Learn in Nolby", "What would you like to learn?",
                                               QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return LearnLine::topic(text.toStdString());
}

}  // namespace nolby
