#pragma once
// An observable value. Views and models subscribe to the fields they read and are told
// after each change. Storing a value equal to the current one (by the type's own ==) is
// silent; changing the value in place through modify() always notifies, because the
// caller said it changed. Everything runs on the main thread; observers are called in the
// order they subscribed, and may subscribe or unsubscribe while being called.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace nolby {

// Keeps an observation alive; destroying or resetting it stops the calls.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::shared_ptr<void> token) : token_(std::move(token)) {}
    void reset() { token_.reset(); }
    explicit operator bool() const { return bool(token_); }

private:
    std::shared_ptr<void> token_;
};

template <class T>
class Observed {
public:
    Observed() = default;
    explicit Observed(T value) : value_(std::move(value)) {}
    Observed(const Observed&) = delete;
    Observed& operator=(const Observed&) = delete;

    const T& get() const { return value_; }
    const T& operator*() const { return value_; }
    const T* operator->() const { return &value_; }

    // Stores `value`; notifies unless it equals the old value. An equal value is still
    // stored: equality may look at part of a value (a notebook compares by id and date), and
    // the other parts must not be lost.
    void set(T value) {
        const bool same = value_ == value;
        value_ = std::move(value);
        if (!same) notify();
    }

    // Changes the value in place and always notifies.
    template <class F>
    void modify(F&& change) {
        std::forward<F>(change)(value_);
        notify();
    }

    // Calls `onChange` after every change until the subscription goes away.
    [[nodiscard]] Subscription observe(std::function<void()> onChange) {
        auto entry = std::make_shared<std::function<void()>>(std::move(onChange));
        observers_.push_back(entry);
        return Subscription(entry);
    }

    // Tells the observers that the value changed without changing it.
    void notify() {
        // A copy, so observers may subscribe or unsubscribe while being called.
        std::vector<std::weak_ptr<std::function<void()>>> current;
        current.reserve(observers_.size());
        bool stale = false;
        for (auto& o : observers_) {
            if (o.expired()) stale = true;
            else current.push_back(o);
        }
        if (stale) std::erase_if(observers_, [](auto& o) { return o.expired(); });
        for (auto& o : current)
            if (auto f = o.lock()) (*f)();
    }

private:
    T value_{};
    std::vector<std::weak_ptr<std::function<void()>>> observers_;
};

}  // namespace nolby
