#include "app/LessonShot.h"

#include <QApplication>

#include <cstdio>

namespace nolby {

namespace {
constexpr int kPollMs = 250;
constexpr int kGiveUpMs = 5 * 60 * 1000;
// Polls in a row that must find the reply written: the painting and the last frames land.
constexpr int kSettledPolls = 8;
}  // namespace

LessonShot::LessonShot(DeskWindow* desk, QString file) : QObject(desk), desk_(desk), file_(std::move(file)) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &LessonShot::check);
    poll_.start();
}

bool LessonShot::replyWritten(const NotebookModel& model) {
    const auto& tutor = model.tutor.get();
    return !model.nb->turns.empty() && !model.scribe->busy.get() && !tutor.thinking && !tutor.reading;
}

void LessonShot::check() {
    waited_ += kPollMs;
    auto model = desk_->focusedIssue();
    settled_ = model && replyWritten(*model) ? settled_ + 1 : 0;
    if (settled_ >= kSettledPolls) return shoot(0);
    if (waited_ >= kGiveUpMs) {
        std::fprintf(stderr, "nolby: no reply was written within five minutes\n");
        shoot(1);
    }
}

void LessonShot::shoot(int status) {
    poll_.stop();
    if (!desk_->grab().save(file_, "PNG")) {
        std::fprintf(stderr, "nolby: could not save %s\n", file_.toLocal8Bit().constData());
        status = 1;
    }
    QApplication::exit(status);
}

}  // namespace nolby
