#pragma once
// The Learn shortcut: `nolby --learn "topic"` starts a lesson on the topic. When an
// instance is already running, the second process hands the topic to it over a local
// socket (one bounded line, see LearnLine) and ends; otherwise the app starts with it. The
// desktop entry's "Learn" action runs `nolby --learn` without a topic, and the app asks for
// one.

#include <QLocalServer>
#include <QObject>
#include <QString>

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

    // Hands a topic to the instance listening on `socketPath`: true when one is running and
    // read it (a blank topic makes nothing there but still counts as taken, so a second
    // process started with a blank one ends quietly). Blocks for at most `timeoutMs`; call
    // it before the app's event loop runs (or off the main thread).
    static bool handOff(const std::string& topic, const QString& socketPath = defaultPath(), int timeoutMs = 1500);

    // Asks "What would you like to learn?"; the answer trimmed, none when cancelled or blank.
    static std::optional<std::string> askForTopic(QWidget* parent = nullptr);

    // Called with each topic a second process hands over (trimmed, never blank).
    std::function<void(const std::string& topic)> onLearn;

signals:
    // The same topic, for Qt connections.
    void learn(const QString& topic);
    // Any well-formed line arrived, blank or not: the desk may come forward.
    void reached();

private:
    void accept();
    void readFrom(QLocalSocket* socket);

    QString path_;
    QLocalServer server_;
};

}  // namespace nolby
