#pragma once
// The running instance's door for later starts. `nolby --learn "topic"` starts a lesson on
// the topic, `nolby -open ...` opens a notebook, a plain `nolby` only brings the desk
// forward: when an instance is already running, the second process hands its request to it
// over a local socket (one bounded line, see LearnLine) and ends; otherwise the app starts
// with it. The desktop entry's "Learn" action runs `nolby --learn` without a topic, and the
// app asks for one.

#include <QLocalServer>
#include <QObject>
#include <QString>

#include "app/LearnLine.h"

#include <functional>
#include <optional>
#include <string>

class QLocalSocket;
class QWidget;

namespace nolby {

class LearnShortcut : public QObject {
    Q_OBJECT
public:
    // A sender that connects and then says nothing is dropped after this long.
    static constexpr int kIdleMs = 3000;

    // The server of the running instance, listening on `socketPath` (by default the one in
    // the runtime folder) once listen() succeeds.
    explicit LearnShortcut(QString socketPath = defaultPath(), QObject* parent = nullptr);
    ~LearnShortcut() override;

    static QString defaultPath();

    // Starts listening. A socket left behind by an instance that ended without removing it
    // is replaced; false when another live instance holds it or the folder refuses.
    bool listen();
    bool listening() const { return server_.isListening(); }
    const QString& path() const { return path_; }

    // How a hand-off went.
    enum class HandOff {
        taken,   // an instance read the request (a blank topic makes nothing there but still
                 // counts, so a second process started with a blank one ends quietly)
        nobody,  // nothing listens on the socket
        silent,  // something took the line but never answered
    };
    // Hands `request` to the instance listening on `socketPath`. Blocks for at most
    // `connectMs` to reach it and `replyMs` for its answer; call it before the app's event
    // loop runs (or off the main thread). The line is sent once: a slow instance still acts
    // on it, so a caller must not send it again.
    static HandOff handOff(const LearnLine::Request& request, const QString& socketPath = defaultPath(),
                           int connectMs = 1500, int replyMs = 1500);

    // Asks "What would you like to learn?"; the answer trimmed, none when cancelled or blank.
    static std::optional<std::string> askForTopic(QWidget* parent = nullptr);

    // Called with each topic a second process hands over (trimmed, never blank).
    std::function<void(const std::string& topic)> onLearn;
    // Called with each notebook a second process asks to open, as "-open" names it.
    std::function<void(const std::string& notebook)> onOpen;

signals:
    // The same topic, for Qt connections.
    void learn(const QString& topic);
    // Any well-formed line arrived, whatever it asks: the desk comes forward.
    void reached();

private:
    void accept();
    void readFrom(QLocalSocket* socket);

    QString path_;
    QLocalServer server_;
};

}  // namespace nolby
