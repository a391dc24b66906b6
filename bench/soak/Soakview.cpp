#include "bench/soak/Soakview.h"

#include <stdexcept>
#include <system_error>

namespace soak {

void SoakView::ShowConnection(const std::string& text) {
    const bool on = text != Connection::OffLineText;
    if (on && !onLine_ && wasOnLine_) ++reconnections_;
    if (!on && onLine_) {
        ++offLine_;
        offLineAt_.push_back(LogBytes());
    }
    wasOnLine_ = wasOnLine_ || on;
    onLine_ = on;
}

void SoakView::DrawSample(int index) {
    if (!core_) throw std::logic_error("SoakView: a sample was drawn before Attach");
    RecordedSample s;
    const TraceStore& store = core_->store();
    for (int trace = 0; trace < TraceCount; ++trace) s.values[trace] = store.value(trace, index);
    s.withFan = core_->connection().kind() == DeviceKind::Krf51;
    s.logBytes = LogBytes();
    samples_.push_back(s);
}

std::size_t SoakView::LogBytes() const {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(log_, error);
    if (error) throw std::runtime_error("station log: " + error.message());
    return static_cast<std::size_t>(bytes);
}

std::optional<std::string> SoakView::CompareStore(std::size_t firstSample) const {
    const TraceStore& store = core_->store();
    if (firstSample + static_cast<std::size_t>(store.count()) != samples_.size())
        return "the store holds " + std::to_string(store.count()) + " samples, " +
               std::to_string(samples_.size() - firstSample) + " were drawn";
    for (int i = 0; i < store.count(); ++i)
        for (int trace = 0; trace < TraceCount; ++trace)
            if (store.value(trace, i) != samples_[firstSample + i].values[trace])
                return "store slot " + std::to_string(i) + " of " + std::string(TraceKeys[trace]) +
                       " changed after it was drawn";
    return std::nullopt;
}

}  // namespace soak
