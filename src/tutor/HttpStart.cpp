#include "tutor/Http.h"

namespace nolby::Http {

namespace {

// What the transfer's thread has reported and the main thread has not yet taken. At most
// one drain is posted at a time; reports that arrive meanwhile join it, so a fast stream
// reaches the main thread in few, larger pieces.
class Mailbox : public std::enable_shared_from_this<Mailbox> {
public:
    Mailbox(Scheduler& scheduler, Receiver receiver, std::shared_ptr<Transfer> transfer)
        : scheduler_(scheduler), receiver_(std::move(receiver)), transfer_(std::move(transfer)) {}

    void head(int status) {
        std::lock_guard lock(mutex_);
        head_ = status;
        schedule();
    }
    void body(std::string_view bytes) {
        std::lock_guard lock(mutex_);
        body_.append(bytes);
        schedule();
    }
    void end(std::optional<Failure::Kind> failure) {
        std::lock_guard lock(mutex_);
        ended_ = true;
        failure_ = failure;
        // Posted even after a cancel: the receiver is let go on the main thread, never on the
        // transfer's, whatever its callbacks hold.
        post();
    }

private:
    void schedule() {
        if (!transfer_->cancelled()) post();
    }
    void post() {
        if (posted_) return;
        posted_ = true;
        scheduler_.post([self = shared_from_this()] { self->drain(); });
    }

    // Main thread: hands over everything in order, head, body, end, and stops the moment the
    // receiver cancels.
    void drain() {
        std::optional<int> head;
        std::string body;
        bool ended;
        std::optional<Failure::Kind> failure;
        {
            std::lock_guard lock(mutex_);
            posted_ = false;
            head.swap(head_);
            body.swap(body_);
            ended = ended_;
            failure = failure_;
            ended_ = false;
        }
        if (head && receiver_.onHead && !transfer_->cancelled()) receiver_.onHead(*head);
        if (!body.empty() && receiver_.onBody && !transfer_->cancelled()) receiver_.onBody(body);
        if (ended) {
            Receiver done = std::move(receiver_);
            receiver_ = {};
            if (done.onEnd && !transfer_->cancelled()) done.onEnd(failure);
        }
    }

    Scheduler& scheduler_;
    Receiver receiver_;  // main thread only
    std::shared_ptr<Transfer> transfer_;
    std::mutex mutex_;
    std::optional<int> head_;
    std::string body_;
    bool ended_ = false;
    std::optional<Failure::Kind> failure_;
    bool posted_ = false;
};

}  // namespace

std::shared_ptr<Transfer> start(Scheduler& scheduler, Request request, Receiver receiver) {
    auto transfer = std::make_shared<Transfer>();
    auto mailbox = std::make_shared<Mailbox>(scheduler, std::move(receiver), transfer);
    scheduler.background([transfer, mailbox, request = std::move(request)] {
        std::optional<Failure::Kind> failure;
        if (!transfer->cancelled()) {
            Events events;
            events.head = [&](int status) { mailbox->head(status); };
            events.body = [&](std::string_view bytes) { mailbox->body(bytes); };
            failure = perform(request, events, transfer.get());
        }
        mailbox->end(failure);
    });
    return transfer;
}

}  // namespace nolby::Http
