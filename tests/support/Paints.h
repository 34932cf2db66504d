#pragma once
// Counts the paint events delivered while it lives, by receiver: those of one object, or of
// every object in the application.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>

#include <map>

namespace nolby::test {

class Paints : public QObject {
public:
    // Every object's paint events.
    Paints() : watched_(QCoreApplication::instance()) { watched_->installEventFilter(this); }
    // Only `watched`'s.
    explicit Paints(QObject* watched) : watched_(watched) { watched_->installEventFilter(this); }
    ~Paints() override {
        if (watched_) watched_->removeEventFilter(this);
    }

    // Paint events `receiver` has had.
    int of(const QObject* receiver) const {
        auto found = seen_.find(receiver);
        return found == seen_.end() ? 0 : found->second;
    }
    // Paint events counted, whoever had them.
    int total() const {
        int n = 0;
        for (const auto& [receiver, count] : seen_) n += count;
        return n;
    }
    void clear() { seen_.clear(); }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++seen_[receiver];
        return false;
    }

private:
    QPointer<QObject> watched_;
    std::map<const QObject*, int> seen_;
};

}  // namespace nolby::test
