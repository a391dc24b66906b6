#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

/// Acts on the first modal window of type T that an event loop shows while this object lives:
/// the modal dialogs' own loops are where a test gets its turn. Stops after acting once.
///
///     OnModal<QMessageBox> box([&](QMessageBox& b) { text = b.text(); b.accept(); });
///     form.exec();  // or anything that opens the box
template <typename T>
class OnModal {
  public:
    explicit OnModal(std::function<void(T&)> action) : action_(std::move(action)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
            if (modal == nullptr) return;
            timer_.stop();
            ++seen_;
            action_(*modal);
        });
        timer_.start();
    }
    OnModal(const OnModal&) = delete;
    OnModal& operator=(const OnModal&) = delete;

    /// How many times a T was met: 0 or 1.
    int seen() const { return seen_; }

  private:
    std::function<void(T&)> action_;
    QTimer timer_;
    int seen_ = 0;
};
