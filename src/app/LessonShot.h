#pragma once
// "-screenshot FILE": once the tutor's first reply in the desk's notebook has been written
// out, saves the desk window as a PNG and quits (for running the app without a display).
// After five minutes without a finished reply it saves what is there and quits with 1.

#include "app/DeskWindow.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace nolby {

class LessonShot : public QObject {
public:
    LessonShot(DeskWindow* desk, QString file);

    // A reply has been received and the writer has written all of it.
    static bool replyWritten(const NotebookModel& model);

private:
    void check();
    void shoot(int status);

    DeskWindow* desk_;
    QString file_;
    QTimer poll_;
    int waited_ = 0;
    int settled_ = 0;
};

}  // namespace nolby
